// scry json: every model as one document, for scripts.
#include <nlohmann/json.hpp>

#include "Commands.h"

namespace scry {

namespace {

using nlohmann::ordered_json;

ordered_json SlotJson(const FileModel& file, std::size_t number, const Slot& slot)
{
    const SlotAttributes& a = slot.attributes;
    const Plays plays = WhatSlotPlays(file, a);
    ordered_json playsJson{{"type", plays.kind}, {"bank", Utf8(a.bankText)}, {"number", a.number}};
    if (plays.note.empty())
        playsJson["name"] = Utf8(plays.name);
    else
        playsJson["note"] = plays.note;
    return {{"slot", number},
            {"name", Utf8(slot.name)},
            {"used", slot.used},
            {"plays", playsJson},
            {"color", a.color},
            {"font", a.font},
            {"transpose", a.transpose},
            {"holdTime", a.holdTime},
            {"volume", a.volume},
            {"kbdTrack", a.kbdTrack},
            {"fingerprint", Hex8(slot.fingerprint)}};
}

ordered_json FileJson(const FileModel& file, bool all)
{
    ordered_json setLists = ordered_json::array();
    ordered_json banks = ordered_json::array();
    for (const Bank& bank : file.banks) {
        if (bank.kind == Kind::SLS1) {
            for (std::size_t i = 0; i < bank.setLists.size(); ++i) {
                const SetList& list = bank.setLists[i];
                ordered_json slots = ordered_json::array();
                for (std::size_t j = 0; j < list.slots.size(); ++j)
                    if (all || list.slots[j].used)
                        slots.push_back(SlotJson(file, j, list.slots[j]));
                setLists.push_back({{"number", i}, {"name", Utf8(list.name)}, {"eq", Hex8(list.eq)}, {"slots", slots}});
            }
            continue;
        }
        ordered_json records = ordered_json::array();
        for (std::size_t i = 0; i < bank.records.size(); ++i)
            records.push_back({{"number", i},
                               {"name", Utf8(bank.records[i].name)},
                               {"fingerprint", Hex8(bank.records[i].fingerprint)},
                               {"sound", Hex8(bank.records[i].sound)}});
        banks.push_back({{"id", bank.id},
                         {"kind", bank.kind == Kind::CMB1 ? "combination" : "program"},
                         {"name", Utf8(bank.name)},
                         {"loaded", bank.loaded},
                         {"records", records}});
    }
    ordered_json chunks = ordered_json::array();
    for (const Chunk& chunk : file.chunks)
        chunks.push_back({{"id", Utf8(chunk.id)},
                          {"holds", ChunkHolds(chunk.id)},
                          {"offset", chunk.offset},
                          {"size", chunk.size},
                          {"fingerprint", Hex8(chunk.fingerprint)},
                          {"cut", chunk.cut}});
    ordered_json problems = ordered_json::array();
    for (const std::string& problem : file.problems)
        problems.push_back(Utf8(problem));
    return {{"name", Utf8(file.name)}, {"size", file.size},    {"format", FormatName(file.formatCode)},
            {"problems", problems},    {"setLists", setLists}, {"banks", banks},
            {"chunks", chunks}};
}

}   // namespace

void WriteJson(std::ostream& out, const std::vector<FileModel>& files, bool all)
{
    ordered_json document{{"files", ordered_json::array()}};
    for (const FileModel& file : files)
        document["files"].push_back(FileJson(file, all));
    out << document.dump(1) << "\n";
}

}   // namespace scry
