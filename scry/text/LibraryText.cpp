// Hits and groups of a library search.
#include "text/LibraryText.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include <nlohmann/json.hpp>

#include "StStrL/StStrL.h"
#include "model/Vocabulary.h"
#include "text/Json.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

using nlohmann::ordered_json;

namespace {

const char* RecordType(const LibraryRecord& record) { return record.place.kind == Kind::CMB1 ? "Combi" : "Prog"; }

std::string Place(const LibraryRecord& record)
{
    return std::string(RecordType(record)) + " " +
           RecordPlaceText(record.bankName, record.occurrence, record.occurrences, record.place.number);
}

// What the slot plays, as show says it.
Plays PlaysOf(const LibrarySlot& slot, Record& played)
{
    played = {slot.playsName, 0, slot.playsSound};
    return {slot.target, slot.resolution, slot.resolution == Resolution::Found ? &played : nullptr, 0};
}

// A set list's or slot's number as the rows keep it (below 128).
std::uint32_t Index(std::size_t number) { return static_cast<std::uint32_t>(number); }

std::string SetListWord(const LibrarySetList& list) { return "SETLIST " + Pad3(list.number); }

std::string SlotsUsed(std::uint32_t used) { return std::to_string(used) + (used == 1 ? " slot used" : " slots used"); }

// A hit as find says it, after its file.
std::string SetListHit(const LibrarySetList& list)
{
    return SetListWord(list) + "  " + Quoted(list.name) + "  " + HexLong(list.fingerprint) + "  " +
           SlotsUsed(list.used);
}

std::string SlotHit(const LibrarySlot& slot)
{
    Record played;
    return "SLOT " + SlotKey(slot.at) + "  " + Quoted(slot.name) + "  " + HexLong(slot.fingerprint) + "  plays " +
           PlaysText(PlaysOf(slot, played));
}

std::string RecordHit(const LibraryRecord& record)
{
    return Place(record) + "  " + Quoted(record.name) + "  " + HexLong(record.sound);
}

// "HD-1 program", "EXi program", "combination".
std::string SoundKind(ChunkId chunk)
{
    const BankChunkInfo* info = BankChunkOf(chunk);
    if (info != nullptr && info->engine[0] != '\0')
        return std::string(info->engine) + " program";
    return "combination";
}

std::string PlacesInFiles(std::size_t places, std::size_t files)
{
    return std::to_string(places) + " places in " + std::to_string(files) + (files == 1 ? " file" : " files");
}

ordered_json RecordJson(const LibraryRecord& record)
{
    return {{"kind", record.place.kind == Kind::CMB1 ? "combination" : "program"},
            {"engine", BankChunkOf(record.chunk) != nullptr ? BankChunkOf(record.chunk)->engine : ""},
            {"bank", Utf8(record.bankName)},
            {"bank_of_that_place", record.occurrence + 1},
            {"number", record.place.number},
            {"name", Utf8(record.name)},
            {"fingerprint", HexLong(record.fingerprint)},
            {"sound", HexLong(record.sound)}};
}

ordered_json SetListJson(const LibrarySetList& list)
{
    return {{"kind", "set list"},
            {"set_list", list.number},
            {"name", Utf8(list.name)},
            {"fingerprint", HexLong(list.fingerprint)},
            {"used_slots", list.used}};
}

ordered_json SlotJson(const LibrarySlot& slot)
{
    Record played;
    return {{"kind", "slot"},
            {"set_list", slot.at.setList},
            {"slot", slot.at.slot},
            {"name", Utf8(slot.name)},
            {"fingerprint", HexLong(slot.fingerprint)},
            {"plays", PlaysJson(PlaysOf(slot, played))}};
}

// The thing's fields after its file's.
ordered_json InFile(const std::string& path, const ordered_json& thing)
{
    bool escaped = false;
    ordered_json json{{"file", JsonFileName(path, escaped)}};
    if (escaped)
        json["fileEscaped"] = true;
    for (const auto& [key, value] : thing.items())
        json[key] = value;
    return json;
}

}   // namespace

std::string ProgressText(const ScanProgress& progress)
{
    char size[32];
    std::snprintf(size, sizeof size, "%.1f GB", static_cast<double>(progress.bytes) / 1e9);
    return "reading " + std::to_string(progress.done) + "/" + std::to_string(progress.count) + " files, " + size;
}

std::string FindLines(const std::vector<LibraryEntry>& entries, const std::vector<FileHits>& hits)
{
    std::string text;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const std::string file = LineText(entries[i].file.path) + "  ";
        for (const LibrarySetList& list : hits[i].setLists)
            text += file + SetListHit(list) + "\n";
        for (const LibrarySlot& slot : hits[i].slots)
            text += file + SlotHit(slot) + "\n";
        for (const LibraryRecord& record : hits[i].records)
            text += file + RecordHit(record) + "\n";
    }
    return text;
}

std::string FindGroupedLines(const std::vector<LibraryEntry>& entries, const std::vector<FileHits>& hits)
{
    // A hit, its place for the order of the lines, and the files that hold it the same. Hits are
    // the same where every field is (place, name, fingerprint, and what a slot plays).
    struct Group {
        std::tuple<int, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> order;
        std::string line;
        std::vector<std::size_t> files;
    };
    std::vector<Group> groups;
    std::map<std::tuple<int, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::string, std::uint32_t,
                        std::uint32_t, std::uint32_t, std::string, std::uint32_t>,
             std::size_t>
        index;
    const auto add = [&](std::size_t file, const auto& key, const auto& order,
                         const std::function<std::string()>& line) {
        const auto [at, fresh] = index.emplace(key, groups.size());
        if (fresh)
            groups.push_back({order, line(), {}});
        Group& group = groups[at->second];
        if (group.files.empty() || group.files.back() != file)
            group.files.push_back(file);
    };
    for (std::size_t i = 0; i < hits.size(); ++i) {
        for (const LibrarySetList& list : hits[i].setLists)
            add(i,
                std::make_tuple(0, list.number, 0u, 0u, 0u, list.name, list.fingerprint, list.used, 0u, std::string(),
                                0u),
                std::make_tuple(0, list.number, 0u, 0u, 0u), [&] { return SetListHit(list); });
        for (const LibrarySlot& slot : hits[i].slots) {
            const std::uint32_t target = static_cast<std::uint32_t>(slot.target.type) << 16 |
                                         static_cast<std::uint32_t>(slot.target.bank) << 8 | slot.target.number;
            add(i,
                std::make_tuple(1, Index(slot.at.setList), Index(slot.at.slot), target,
                                static_cast<std::uint32_t>(slot.resolution), slot.name, slot.fingerprint,
                                slot.playsChunk, slot.playsSound, slot.playsName, 0u),
                std::make_tuple(1, Index(slot.at.setList), Index(slot.at.slot), 0u, 0u), [&] { return SlotHit(slot); });
        }
        for (const LibraryRecord& record : hits[i].records)
            add(i,
                std::make_tuple(2, record.place.kind, record.place.bankId, record.occurrence, record.place.number,
                                record.name, record.fingerprint, record.chunk, record.occurrences, std::string(), 0u),
                std::make_tuple(2, record.place.kind, record.place.bankId, record.occurrence, record.place.number),
                [&] { return RecordHit(record); });
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        return a.order != b.order ? a.order < b.order : a.files.front() < b.files.front();
    });
    constexpr std::size_t FilesNamed = 8;   // a line names this many files at most
    std::string text;
    for (const Group& group : groups) {
        text += group.line + "  in ";
        if (group.files.size() > 1)
            text += std::to_string(group.files.size()) + " files: ";
        for (std::size_t k = 0; k < group.files.size() && k < FilesNamed; ++k)
            text += (k == 0 ? "" : ", ") + LineText(entries[group.files[k]].file.path);
        if (group.files.size() > FilesNamed)
            text += ", and " + std::to_string(group.files.size() - FilesNamed) + " more (--each: a line per file)";
        text += "\n";
    }
    return text;
}

std::string FindJson(const std::vector<LibraryEntry>& entries, const std::vector<FileHits>& hits)
{
    ordered_json list = ordered_json::array();
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const auto add = [&](const ordered_json& hit) { list.push_back(InFile(entries[i].file.path, hit)); };
        for (const LibrarySetList& setList : hits[i].setLists)
            add(SetListJson(setList));
        for (const LibrarySlot& slot : hits[i].slots)
            add(SlotJson(slot));
        for (const LibraryRecord& record : hits[i].records)
            add(RecordJson(record));
    }
    return JsonText({{"hits", std::move(list)}});
}

void WriteDups(std::string& out, const std::vector<LibraryEntry>& entries, const Duplicates& duplicates,
               const std::function<void(std::string&)>& partDone)
{
    std::vector<std::string> paths;
    for (const LibraryEntry& entry : entries)
        paths.push_back("  " + LineText(entry.file.path) + "  ");
    std::size_t soundPlaces = 0, listPlaces = 0;
    for (const SoundGroup& group : duplicates.sounds) {
        soundPlaces += group.places.size();
        out += "SOUND ";
        AppendHex8(out, group.sound);
        out += "  " + SoundKind(group.chunk) + ", " + PlacesInFiles(group.places.size(), group.files) + "\n";
        // A line per file, its places in order.
        for (std::size_t k = 0; k < group.places.size(); ++k) {
            const SoundPlace& place = group.places[k];
            const LibraryBank& bank = *place.bank;
            const bool sameFile = k > 0 && group.places[k - 1].file == place.file;
            if (sameFile) {
                out.back() = ',';
                out += ' ';
            } else {
                out += paths[place.file];
            }
            out += bank.kind == Kind::CMB1 ? "Combi " : "Prog ";
            if (bank.occurrences > 1) {
                out += RecordPlaceText(bank.name, bank.occurrence, bank.occurrences, place.number);
            } else {
                AppendLineName(out, bank.name);
                AppendPad3(out, place.number);
            }
            out += "  ";
            AppendQuoted(out, place.Record().name);
            out += '\n';
        }
        if (partDone)
            partDone(out);
    }
    for (const SetListGroup& group : duplicates.setLists) {
        listPlaces += group.places.size();
        out += "SETLIST " + HexLong(group.fingerprint) + "  " + PlacesInFiles(group.places.size(), group.files) + "\n";
        for (std::size_t k = 0; k < group.places.size(); ++k) {
            const SetListPlace& place = group.places[k];
            if (k > 0 && group.places[k - 1].file == place.file) {
                out.back() = ',';
                out += ' ';
            } else {
                out += paths[place.file];
            }
            out += SetListWord(place.setList) + "  " + Quoted(place.setList.name) + "  " +
                   SlotsUsed(place.setList.used) + "\n";
        }
        if (partDone)
            partDone(out);
    }
    const std::size_t sounds = duplicates.sounds.size(), lists = duplicates.setLists.size();
    out += std::to_string(sounds) + (sounds == 1 ? " group" : " groups") + " of the same sound (" +
           std::to_string(soundPlaces) + " places), " + std::to_string(lists) + " of the same set list (" +
           std::to_string(listPlaces) + " places)\n";
}

std::string DupsText(const std::vector<LibraryEntry>& entries, const Duplicates& duplicates)
{
    std::string text;
    WriteDups(text, entries, duplicates, {});
    return text;
}

std::string DupsJson(const std::vector<LibraryEntry>& entries, const Duplicates& duplicates)
{
    ordered_json sounds = ordered_json::array(), lists = ordered_json::array();
    for (const SoundGroup& group : duplicates.sounds) {
        ordered_json places = ordered_json::array();
        for (const SoundPlace& place : group.places)
            places.push_back(InFile(entries[place.file].file.path, RecordJson(RecordOf(*place.bank, place.number))));
        sounds.push_back({{"sound", HexLong(group.sound)},
                          {"kind", SoundKind(group.chunk)},
                          {"files", group.files},
                          {"places", std::move(places)}});
    }
    for (const SetListGroup& group : duplicates.setLists) {
        ordered_json places = ordered_json::array();
        for (const SetListPlace& place : group.places)
            places.push_back(InFile(entries[place.file].file.path, SetListJson(place.setList)));
        lists.push_back(
            {{"fingerprint", HexLong(group.fingerprint)}, {"files", group.files}, {"places", std::move(places)}});
    }
    return JsonText({{"sounds", std::move(sounds)}, {"set_lists", std::move(lists)}});
}

}   // namespace scry
