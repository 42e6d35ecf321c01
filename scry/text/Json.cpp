// scry json's document.
#include "text/Json.h"

#include "Korg_Kronos_Defs/BankNames.h"
#include "StStrL/StStrL.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

using nlohmann::ordered_json;

ordered_json PlaysJson(const Plays& plays)
{
    const Target& target = plays.target;
    ordered_json json{{"type", SlotTypeText(target.type)},
                      {"bank", SlotBankName(static_cast<std::uint8_t>(target.type), target.bank)},
                      {"number", target.number}};
    if (plays.record != nullptr)
        json["name"] = Utf8(plays.record->name);
    else
        json["note"] = ResolutionNote(plays.resolution);
    return json;
}

ordered_json SlotJson(const FileModel& file, std::size_t number, const Slot& slot)
{
    ordered_json json{{"slot", number},
                      {"name", Utf8(slot.name)},
                      {"used", slot.used},
                      {"plays", PlaysJson(WhatSlotPlays(file, TargetOf(slot.fields)))}};
    for (const SlotSetting& setting : SlotSettings)
        json[setting.key] = SettingOf(slot.fields, setting);
    json["fingerprint"] = HexLong(slot.fingerprint);
    return json;
}

std::string JsonText(const ordered_json& document)
{
    // File names that are no UTF-8 come escaped (JsonFileName); a byte that is none would become U+FFFD.
    return document.dump(1, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

namespace {

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
        banks.push_back({{"id", IdText(bank.id)},
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
    for (const Problem& problem : file.problems)
        problems.push_back(ProblemText(problem));
    // The file's name is bytes of the command line, kept as they are where they are UTF-8, else
    // escaped so that they can be had back.
    bool escaped = false;
    ordered_json json{{"name", JsonFileName(file.name, escaped)}};
    if (escaped)
        json["nameEscaped"] = true;
    json["size"] = file.size;
    json["format"] = FormatName(file.formatCode);
    json["damaged"] = file.Damaged();
    json["problems"] = std::move(problems);
    json["setLists"] = std::move(setLists);
    json["banks"] = std::move(banks);
    json["chunks"] = std::move(chunks);
    return json;
}

}   // namespace

void WriteJson(std::string& out, const std::vector<FileModel>& files, bool all)
{
    ordered_json document{{"files", ordered_json::array()}};
    for (const FileModel& file : files)
        document["files"].push_back(FileJson(file, all));
    out += JsonText(document);
}

}   // namespace scry
