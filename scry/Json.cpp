// scry json.
#include "Json.h"

#include <nlohmann/json.hpp>

#include "StStrL/StStrL.h"
#include "Text.h"
#include "Vocabulary.h"

namespace scry {

namespace {

using nlohmann::ordered_json;

ordered_json SlotJson(const FileModel& file, std::size_t number, const Slot& slot)
{
    const SlotFields& fields = slot.fields;
    const Plays plays = WhatSlotPlays(file, fields);
    ordered_json playsJson{{"type", SlotTypeText(fields.type)}, {"bank", Utf8(fields.bankText)}, {"number", fields.number}};
    if (plays.record != nullptr)
        playsJson["name"] = Utf8(plays.record->name);
    else
        playsJson["note"] = ResolutionNote(plays.resolution);
    ordered_json json{{"slot", number}, {"name", Utf8(slot.name)}, {"used", slot.used}, {"plays", playsJson}};
    for (const SlotSetting& setting : SlotSettings)
        json[setting.key] = fields.*setting.field;
    json["fingerprint"] = HexLong(slot.fingerprint);
    return json;
}

ordered_json FileJson(const FileModel& file, bool all)
{
    ordered_json setLists = ordered_json::array();
    ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        ordered_json slots = ordered_json::array();
        for (std::size_t j = 0; j < list.slots.size(); ++j)
            if (list.slots[j].readable && (all || list.slots[j].used))
                slots.push_back(SlotJson(file, j, list.slots[j]));
        ordered_json entry{{"number", i}, {"name", Utf8(list.name)}, {"eq", HexLong(list.eq)}, {"slots", slots}};
        if (ordinal > 0)
            entry["bank"] = ordinal;
        if (!list.readable)
            entry["readable"] = false;
        setLists.push_back(entry);
    });
    ordered_json banks = ordered_json::array();
    for (const Bank& bank : file.banks) {
        const RecordKind* kind = RecordKindOf(bank.kind);
        if (kind == nullptr)
            continue;
        ordered_json records = ordered_json::array();
        for (std::size_t i = 0; i < bank.records.size(); ++i)
            records.push_back({{"number", i},
                               {"name", Utf8(bank.records[i].name)},
                               {"fingerprint", HexLong(bank.records[i].fingerprint)},
                               {"sound", HexLong(bank.records[i].sound)}});
        banks.push_back({{"id", IdTextOf(bank.id)},
                         {"kind", kind->noun},
                         {"name", Utf8(bank.name)},
                         {"occurrence", bank.occurrence},
                         {"loaded", bank.loaded},
                         {"records", records}});
    }
    ordered_json chunks = ordered_json::array();
    for (const Chunk& chunk : file.chunks)
        chunks.push_back({{"id", Utf8(chunk.id)},
                          {"holds", chunk.padding ? "zero padding" : ChunkHolds(chunk.id)},
                          {"offset", chunk.offset},
                          {"size", chunk.size},
                          {"fingerprint", HexLong(chunk.fingerprint)},
                          {"cut", chunk.cut}});
    ordered_json problems = ordered_json::array();
    for (const std::string& problem : file.problems)
        problems.push_back(problem);
    // The file's name is bytes of the command line, kept as they are (UTF-8 where the system's is).
    return {{"name", file.name},         {"size", file.size},    {"format", FormatName(file.formatCode)},
            {"damaged", file.Damaged()}, {"problems", problems}, {"setLists", setLists},
            {"banks", banks},            {"chunks", chunks}};
}

}   // namespace

void WriteJson(std::string& out, const std::vector<FileModel>& files, bool all)
{
    ordered_json document{{"files", ordered_json::array()}};
    for (const FileModel& file : files)
        document["files"].push_back(FileJson(file, all));
    // Bytes that are no UTF-8 (a file name from a system that is not) become U+FFFD.
    out += document.dump(1, ' ', false, ordered_json::error_handler_t::replace);
    out += '\n';
}

int RunJson(const Options& options, Console& console)
{
    Session session(console, options.files, options.output);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        std::string out;
        WriteJson(out, models, options.all);
        session.Deliver(out);
    }
    return session.StatusWith(Success);
}

}   // namespace scry
