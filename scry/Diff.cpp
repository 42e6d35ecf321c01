// scry diff: record by record, keyed by where the instrument keeps each record.
#include <map>
#include <utility>

#include "Commands.h"

namespace scry {

namespace {

const char* RecordWord(ChunkKind kind) { return kind == Kind::CMB1 ? "COMBI" : "PROGRAM"; }

// Banks of programs and combinations by kind and name; the n-th of equal keys pairs with the n-th.
using BankKey = std::pair<ChunkKind, std::string>;

std::map<std::pair<BankKey, int>, const Bank*> RecordBanks(const FileModel& file)
{
    std::map<std::pair<BankKey, int>, const Bank*> banks;
    std::map<BankKey, int> seen;
    for (const Bank& bank : file.banks) {
        if (bank.kind == Kind::SLS1)
            continue;
        const BankKey key{bank.kind, bank.name};
        banks[{key, seen[key]++}] = &bank;
    }
    return banks;
}

std::vector<const Bank*> SetListBanks(const FileModel& file)
{
    std::vector<const Bank*> banks;
    for (const Bank& bank : file.banks)
        if (bank.kind == Kind::SLS1)
            banks.push_back(&bank);
    return banks;
}

Difference At(Change change, Place place)
{
    Difference d;
    d.change = change;
    d.place = place;
    return d;
}

Difference AtSlot(Change change, std::size_t i, std::size_t j, std::string line)
{
    Difference d = At(change, Place::Slot);
    d.setList = i;
    d.slot = j;
    d.line = std::move(line);
    return d;
}

void DiffSlots(const FileModel& oldFile, const FileModel& newFile, const Bank& oldBank, const Bank& newBank,
               std::vector<Difference>& found)
{
    for (std::size_t i = 0; i < newBank.setLists.size() && i < oldBank.setLists.size(); ++i) {
        const SetList& was = oldBank.setLists[i];
        const SetList& is = newBank.setLists[i];
        const std::string list = "SETLIST " + Pad3(static_cast<unsigned>(i));
        Difference head = At(Change::Renamed, Place::SetList);
        head.setList = i;
        if (was.name != is.name) {
            head.line = list + ": renamed " + Quoted(was.name) + " -> " + Quoted(is.name);
            found.push_back(head);
        }
        if (was.eq != is.eq) {
            head.change = Change::Changed;
            head.line = list + " " + Quoted(is.name) + ": EQ changed";
            found.push_back(head);
        }
        for (std::size_t j = 0; j < is.slots.size() && j < was.slots.size(); ++j) {
            const Slot& a = was.slots[j];
            const Slot& b = is.slots[j];
            if (a.fingerprint == b.fingerprint)
                continue;
            const std::string key = Pad3(static_cast<unsigned>(i)) + "/" + Pad3(static_cast<unsigned>(j));
            const Plays plays = WhatSlotPlays(newFile, b.attributes);
            if (!a.used) {
                found.push_back(
                    AtSlot(Change::Added, i, j, key + " " + Quoted(b.name) + ": added, plays " + PlaysText(plays)));
                continue;
            }
            if (!b.used) {
                found.push_back(AtSlot(Change::Removed, i, j, key + " " + Quoted(a.name) + ": removed"));
                continue;
            }
            std::string what;
            Change change = Change::Changed;
            if (a.name != b.name) {
                what = "renamed " + Quoted(a.name) + " -> " + Quoted(b.name);
                change = Change::Renamed;
            }
            std::vector<std::string> settings;
            const SlotAttributes& x = a.attributes;
            const SlotAttributes& y = b.attributes;
            const Plays before = WhatSlotPlays(oldFile, x);
            if (x.type != y.type || x.bankText != y.bankText || x.number != y.number)
                settings.push_back("plays " + PlaysText(plays) + ", was " + before.kind + " " + before.where);
            const auto number = [&](const char* name, unsigned now, unsigned then) {
                if (now != then)
                    settings.push_back(std::string(name) + " " + std::to_string(now) + ", was " + std::to_string(then));
            };
            number("transpose", y.transpose, x.transpose);
            number("volume", y.volume, x.volume);
            number("hold", y.holdTime, x.holdTime);
            number("color", y.color, x.color);
            number("font", y.font, x.font);
            number("kbd track", y.kbdTrack, x.kbdTrack);
            if (!settings.empty()) {
                change = Change::Settings;
                for (const std::string& setting : settings)
                    what += (what.empty() ? "" : "; ") + setting;
            } else if (a.sound != b.sound) {
                change = what.empty() ? Change::Changed : Change::RenamedAndChanged;
                what += what.empty() ? "changed" : " and changed";
            }
            found.push_back(AtSlot(change, i, j, key + " " + Quoted(b.name) + ": " + what));
        }
    }
}

void DiffRecords(const FileModel& oldFile, const FileModel& newFile, std::vector<Difference>& found)
{
    const auto oldBanks = RecordBanks(oldFile);
    const auto newBanks = RecordBanks(newFile);
    // Where OLD kept each record's bytes, for records that moved.
    std::map<std::pair<ChunkKind, std::uint32_t>, std::pair<std::string, std::string>> oldPlaces;
    for (const auto& [key, bank] : oldBanks)
        for (std::size_t i = 0; i < bank->records.size(); ++i)
            oldPlaces.emplace(std::make_pair(bank->kind, bank->records[i].fingerprint),
                              std::make_pair(bank->name + Pad3(static_cast<unsigned>(i)), bank->records[i].name));
    const auto atBank = [](Change change, const Bank& bank, std::string line) {
        Difference d = At(change, Place::Bank);
        d.kind = bank.kind;
        d.bank = bank.name;
        d.line = std::move(line);
        return d;
    };
    for (const auto& [key, bank] : newBanks) {
        const auto old = oldBanks.find(key);
        const std::string word = RecordWord(bank->kind);
        if (old == oldBanks.end()) {
            found.push_back(atBank(Change::Added, *bank, word + " BANK " + bank->name + ": only in NEW"));
            continue;
        }
        const Bank& was = *old->second;
        if (was.loaded != bank->loaded) {
            found.push_back(atBank(Change::Changed, *bank,
                                   word + " BANK " + bank->name +
                                       (bank->loaded ? ": loaded in NEW only" : ": loaded in OLD only")));
            continue;
        }
        for (std::size_t i = 0; i < bank->records.size() && i < was.records.size(); ++i) {
            const Record& a = was.records[i];
            const Record& b = bank->records[i];
            if (a.fingerprint == b.fingerprint)
                continue;
            const std::string place = bank->name + Pad3(static_cast<unsigned>(i));
            const std::string head = word + " " + place;
            Difference d = At(Change::Changed, Place::Record);
            d.kind = bank->kind;
            d.bank = bank->name;
            d.number = i;
            const auto moved = oldPlaces.find({bank->kind, b.fingerprint});
            if (moved != oldPlaces.end() && moved->second.first != place) {
                d.change = Change::Moved;
                d.line = head + ": now holds OLD's " + moved->second.first + " " + Quoted(moved->second.second);
            } else if (a.sound == b.sound) {
                d.change = Change::Renamed;
                d.line = head + ": renamed " + Quoted(a.name) + " -> " + Quoted(b.name);
            } else if (a.name == b.name) {
                d.line = head + " " + Quoted(b.name) + ": changed";
            } else {
                d.change = Change::RenamedAndChanged;
                d.line = head + ": renamed " + Quoted(a.name) + " -> " + Quoted(b.name) + " and changed";
            }
            found.push_back(d);
        }
    }
    for (const auto& [key, bank] : oldBanks)
        if (newBanks.find(key) == newBanks.end())
            found.push_back(atBank(Change::Removed, *bank,
                                   std::string(RecordWord(bank->kind)) + " BANK " + bank->name + ": only in OLD"));
}

// Chunks whose banks were compared record by record (explained) are named only when their bytes
// differ where no record does.
void DiffChunks(const FileModel& oldFile, const FileModel& newFile, const std::map<ChunkKind, bool>& explained,
                std::vector<Difference>& found)
{
    const auto index = [](const FileModel& file) {
        std::map<std::pair<std::string, int>, const Chunk*> chunks;
        std::map<std::string, int> seen;
        for (const Chunk& chunk : file.chunks)
            chunks[{chunk.id, seen[chunk.id]++}] = &chunk;
        return chunks;
    };
    const auto was = index(oldFile);
    const auto is = index(newFile);
    const auto atChunk = [](Change change, const Chunk& chunk, const char* what) {
        Difference d = At(change, Place::Chunk);
        d.chunk = chunk.id;
        d.line = "CHUNK " + LineName(chunk.id) + " (" + ChunkHolds(chunk.id) + "): " + what;
        return d;
    };
    for (const auto& [key, chunk] : is) {
        const auto old = was.find(key);
        if (old == was.end()) {
            found.push_back(atChunk(Change::Added, *chunk, "added"));
        } else if (old->second->fingerprint != chunk->fingerprint || old->second->size != chunk->size) {
            const auto kind = explained.find(ChunkKindOf(ChunkIdOf(chunk->id)));
            if (kind != explained.end() && kind->second)
                continue;
            found.push_back(atChunk(Change::Changed, *chunk,
                                    kind != explained.end() ? "changed outside its listed records" : "changed"));
        }
    }
    for (const auto& [key, chunk] : was)
        if (is.find(key) == is.end())
            found.push_back(atChunk(Change::Removed, *chunk, "removed"));
}

bool AnyAbout(const std::vector<Difference>& found, std::size_t from, ChunkKind kind)
{
    for (std::size_t i = from; i < found.size(); ++i)
        if (found[i].kind == kind)
            return true;
    return false;
}

}   // namespace

std::vector<Difference> Differences(const FileModel& oldFile, const FileModel& newFile)
{
    std::vector<Difference> found;
    std::map<ChunkKind, bool> explained;
    const auto oldLists = SetListBanks(oldFile);
    const auto newLists = SetListBanks(newFile);
    for (std::size_t b = 0; b < oldLists.size() && b < newLists.size(); ++b)
        DiffSlots(oldFile, newFile, *oldLists[b], *newLists[b], found);
    if (oldLists.size() != newLists.size()) {
        const bool added = newLists.size() > oldLists.size();
        Difference d = At(added ? Change::Added : Change::Removed, Place::SetListBank);
        d.line = std::string("SETLISTS: ") + (added ? "only in NEW" : "only in OLD");
        found.push_back(d);
    }
    explained[Kind::SLS1] = !found.empty();
    const std::size_t recordsFrom = found.size();
    DiffRecords(oldFile, newFile, found);
    explained[Kind::PRG1] = AnyAbout(found, recordsFrom, Kind::PRG1);
    explained[Kind::CMB1] = AnyAbout(found, recordsFrom, Kind::CMB1);
    DiffChunks(oldFile, newFile, explained, found);
    return found;
}

DiffCounts CountOf(const std::vector<Difference>& differences)
{
    DiffCounts counts;
    for (const Difference& d : differences) {
        switch (d.change) {
        case Change::Renamed: ++counts.renamed; break;
        case Change::Changed:
        case Change::RenamedAndChanged: ++counts.changed; break;
        case Change::Moved: ++counts.moved; break;
        case Change::Added: ++counts.added; break;
        case Change::Removed: ++counts.removed; break;
        case Change::Settings: ++counts.settings; break;
        }
    }
    return counts;
}

std::vector<std::string> DiffLines(const FileModel& oldFile, const FileModel& newFile, DiffCounts& counts)
{
    const std::vector<Difference> found = Differences(oldFile, newFile);
    counts = CountOf(found);
    std::vector<std::string> lines;
    for (const Difference& d : found)
        lines.push_back(d.line);
    return lines;
}

std::string DiffSummary(const DiffCounts& counts)
{
    return std::to_string(counts.Total()) + (counts.Total() == 1 ? " difference: " : " differences: ") +
           std::to_string(counts.renamed) + " renamed, " + std::to_string(counts.changed) + " changed, " +
           std::to_string(counts.moved) + " moved, " + std::to_string(counts.added) + " added, " +
           std::to_string(counts.removed) + " removed, " + std::to_string(counts.settings) + " slot settings";
}

const char* ChangeName(Change change)
{
    switch (change) {
    case Change::Renamed: return "renamed";
    case Change::Changed: return "changed";
    case Change::RenamedAndChanged: return "renamed and changed";
    case Change::Moved: return "moved";
    case Change::Added: return "added";
    case Change::Removed: return "removed";
    case Change::Settings: return "settings changed";
    }
    return "changed";
}

}   // namespace scry
