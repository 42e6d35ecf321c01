// scry diff: record by record, keyed by where the instrument keeps each record.
#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "Commands.h"

namespace scry {

namespace {

ChunkId MakeIdOf(const std::string& id)
{
    ChunkId value = 0;
    std::memcpy(&value, id.data(), std::min<std::size_t>(id.size(), 4));
    return value;
}

// Lines about records of this kind.
bool AnyAbout(const std::vector<std::string>& lines, std::size_t from, const char* word)
{
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].rfind(word, 0) == 0)
            return true;
    return false;
}

std::string Quoted(const std::string& name) { return "\"" + LineName(name) + "\""; }

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

void DiffSlots(const FileModel& oldFile, const FileModel& newFile, const Bank& oldBank, const Bank& newBank,
               std::vector<std::string>& lines, DiffCounts& counts)
{
    for (std::size_t i = 0; i < newBank.setLists.size() && i < oldBank.setLists.size(); ++i) {
        const SetList& was = oldBank.setLists[i];
        const SetList& is = newBank.setLists[i];
        const std::string list = "SETLIST " + Pad3(static_cast<unsigned>(i));
        if (was.name != is.name) {
            lines.push_back(list + ": renamed " + Quoted(was.name) + " -> " + Quoted(is.name));
            ++counts.renamed;
        }
        if (was.eq != is.eq) {
            lines.push_back(list + " " + Quoted(is.name) + ": EQ changed");
            ++counts.changed;
        }
        for (std::size_t j = 0; j < is.slots.size() && j < was.slots.size(); ++j) {
            const Slot& a = was.slots[j];
            const Slot& b = is.slots[j];
            if (a.fingerprint == b.fingerprint)
                continue;
            const std::string key = Pad3(static_cast<unsigned>(i)) + "/" + Pad3(static_cast<unsigned>(j));
            const Plays plays = WhatSlotPlays(newFile, b.attributes);
            if (!a.used) {
                lines.push_back(key + " " + Quoted(b.name) + ": added, plays " + PlaysText(plays));
                ++counts.added;
                continue;
            }
            if (!b.used) {
                lines.push_back(key + " " + Quoted(a.name) + ": removed");
                ++counts.removed;
                continue;
            }
            std::string what;
            if (a.name != b.name) {
                what = "renamed " + Quoted(a.name) + " -> " + Quoted(b.name);
                ++counts.renamed;
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
                ++counts.settings;
                for (const std::string& setting : settings)
                    what += (what.empty() ? "" : "; ") + setting;
            } else if (a.sound != b.sound) {
                what += what.empty() ? "changed" : " and changed";
                ++counts.changed;
            }
            lines.push_back(key + " " + Quoted(b.name) + ": " + what);
        }
    }
}

void DiffRecords(const FileModel& oldFile, const FileModel& newFile, std::vector<std::string>& lines,
                 DiffCounts& counts)
{
    const auto oldBanks = RecordBanks(oldFile);
    const auto newBanks = RecordBanks(newFile);
    // Where OLD kept each record's bytes, for records that moved.
    std::map<std::pair<ChunkKind, std::uint32_t>, std::string> oldPlaces;
    std::map<std::pair<ChunkKind, std::uint32_t>, std::string> oldNames;
    for (const auto& [key, bank] : oldBanks) {
        for (std::size_t i = 0; i < bank->records.size(); ++i) {
            const auto place = std::make_pair(bank->kind, bank->records[i].fingerprint);
            if (oldPlaces.emplace(place, bank->name + Pad3(static_cast<unsigned>(i))).second)
                oldNames[place] = bank->records[i].name;
        }
    }
    for (const auto& [key, bank] : newBanks) {
        const auto old = oldBanks.find(key);
        const char* word = RecordWord(bank->kind);
        if (old == oldBanks.end()) {
            lines.push_back(std::string(word) + " BANK " + bank->name + ": only in NEW");
            ++counts.added;
            continue;
        }
        const Bank& was = *old->second;
        if (was.loaded != bank->loaded) {
            lines.push_back(std::string(word) + " BANK " + bank->name +
                            (bank->loaded ? ": loaded in NEW only" : ": loaded in OLD only"));
            ++counts.changed;
            continue;
        }
        for (std::size_t i = 0; i < bank->records.size() && i < was.records.size(); ++i) {
            const Record& a = was.records[i];
            const Record& b = bank->records[i];
            if (a.fingerprint == b.fingerprint)
                continue;
            const std::string place = bank->name + Pad3(static_cast<unsigned>(i));
            const std::string key = std::string(word) + " " + place;
            const auto moved = oldPlaces.find({bank->kind, b.fingerprint});
            if (moved != oldPlaces.end() && moved->second != place) {
                lines.push_back(key + ": now holds OLD's " + moved->second + " " +
                                Quoted(oldNames[{bank->kind, b.fingerprint}]));
                ++counts.moved;
            } else if (a.sound == b.sound) {
                lines.push_back(key + ": renamed " + Quoted(a.name) + " -> " + Quoted(b.name));
                ++counts.renamed;
            } else if (a.name == b.name) {
                lines.push_back(key + " " + Quoted(b.name) + ": changed");
                ++counts.changed;
            } else {
                lines.push_back(key + ": renamed " + Quoted(a.name) + " -> " + Quoted(b.name) + " and changed");
                ++counts.changed;
            }
        }
    }
    for (const auto& [key, bank] : oldBanks) {
        if (newBanks.find(key) == newBanks.end()) {
            lines.push_back(std::string(RecordWord(bank->kind)) + " BANK " + bank->name + ": only in OLD");
            ++counts.removed;
        }
    }
}

// Chunks whose banks were compared record by record (explained) are named only when their bytes
// differ where no record does.
void DiffChunks(const FileModel& oldFile, const FileModel& newFile, const std::map<ChunkKind, bool>& explained,
                std::vector<std::string>& lines, DiffCounts& counts)
{
    // Chunks by id and occurrence.
    const auto index = [](const FileModel& file) {
        std::map<std::pair<std::string, int>, const Chunk*> chunks;
        std::map<std::string, int> seen;
        for (const Chunk& chunk : file.chunks)
            chunks[{chunk.id, seen[chunk.id]++}] = &chunk;
        return chunks;
    };
    const auto was = index(oldFile);
    const auto is = index(newFile);
    const auto label = [](const Chunk& chunk) {
        return "CHUNK " + LineName(chunk.id) + " (" + ChunkHolds(chunk.id) + ")";
    };
    for (const auto& [key, chunk] : is) {
        const auto old = was.find(key);
        if (old == was.end()) {
            lines.push_back(label(*chunk) + ": added");
            ++counts.added;
        } else if (old->second->fingerprint != chunk->fingerprint || old->second->size != chunk->size) {
            const auto kind = explained.find(ChunkKindOf(MakeIdOf(chunk->id)));
            if (kind != explained.end() && kind->second)
                continue;
            lines.push_back(label(*chunk) + (kind != explained.end() ? ": changed outside its listed records"
                                                                      : ": changed"));
            ++counts.changed;
        }
    }
    for (const auto& [key, chunk] : was) {
        if (is.find(key) == is.end()) {
            lines.push_back(label(*chunk) + ": removed");
            ++counts.removed;
        }
    }
}

} // namespace

std::vector<std::string> DiffLines(const FileModel& oldFile, const FileModel& newFile, DiffCounts& counts)
{
    std::vector<std::string> lines;
    std::map<ChunkKind, bool> explained;
    const auto oldLists = SetListBanks(oldFile);
    const auto newLists = SetListBanks(newFile);
    for (std::size_t b = 0; b < oldLists.size() && b < newLists.size(); ++b)
        DiffSlots(oldFile, newFile, *oldLists[b], *newLists[b], lines, counts);
    if (oldLists.size() != newLists.size()) {
        lines.push_back(std::string("SETLISTS: ") + (newLists.size() > oldLists.size() ? "only in NEW" : "only in OLD"));
        ++(newLists.size() > oldLists.size() ? counts.added : counts.removed);
    }
    explained[Kind::SLS1] = !lines.empty();
    const std::size_t recordLines = lines.size();
    DiffRecords(oldFile, newFile, lines, counts);
    explained[Kind::PRG1] = AnyAbout(lines, recordLines, "PROGRAM");
    explained[Kind::CMB1] = AnyAbout(lines, recordLines, "COMBI");
    DiffChunks(oldFile, newFile, explained, lines, counts);
    return lines;
}

std::string DiffSummary(const DiffCounts& counts)
{
    return std::to_string(counts.Total()) + (counts.Total() == 1 ? " difference: " : " differences: ") + std::to_string(counts.renamed) + " renamed, " +
           std::to_string(counts.changed) + " changed, " + std::to_string(counts.moved) + " moved, " +
           std::to_string(counts.added) + " added, " + std::to_string(counts.removed) + " removed, " +
           std::to_string(counts.settings) + " slot settings";
}

} // namespace scry
