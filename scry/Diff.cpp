// scry diff: record by record, keyed by where the instrument keeps each record; what one file
// could not read is said as such, never as a record removed or added.
#include "Diff.h"

#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "StStrL/StStrL.h"
#include "Text.h"

namespace scry {

namespace {

struct Sides {
    const FileModel& before;   // OLD
    const FileModel& after;    // NEW
    std::vector<Difference>& found;
    std::vector<Difference> sounds{};   // slots that play another sound: said after their causes

    void Add(Difference difference)
    {
        (difference.change == Change::Impact ? sounds : found).push_back(std::move(difference));
    }
};

Difference At(Change change, Place place, std::string line)
{
    Difference difference;
    difference.change = change;
    difference.place = place;
    difference.line = std::move(line);
    return difference;
}

// "not readable in NEW (file damaged)": what a damaged file lacks is never taken for a removal.
std::string NotReadableIn(const char* side) { return std::string(": not readable in ") + side + " (file damaged)"; }

// Something that one file holds and the other does not: added or removed, unless the file that
// lacks it is damaged, where it is only not readable. Chunks are "added" and "removed", the
// rest "only in NEW" and "only in OLD".
Difference OneSideOnly(const Sides& sides, bool inNew, Place place, const std::string& head, bool chunk)
{
    Difference difference;
    if (inNew ? sides.before.Damaged() : sides.after.Damaged()) {
        difference = At(Change::Unreadable, place, head + NotReadableIn(inNew ? "OLD" : "NEW"));
    } else {
        const char* what = chunk ? (inNew ? ": added" : ": removed") : (inNew ? ": only in NEW" : ": only in OLD");
        difference = At(inNew ? Change::Added : Change::Removed, place, head + what);
    }
    difference.onlyOld = !inNew;
    return difference;
}

// ---- What lies outside the chunks

void DiffEdges(Sides& sides)
{
    const FileModel& before = sides.before;
    const FileModel& after = sides.after;
    if (before.head.substr(0, sizeof(PcgFileHeader)) != after.head.substr(0, sizeof(PcgFileHeader))) {
        std::string line = "FILE HEADER: changed";
        line += before.formatCode != after.formatCode ? std::string(" (") + FormatName(before.formatCode) + " format -> " +
                                                            FormatName(after.formatCode) + ")"
                                                      : " (bytes that no listing shows)";
        sides.Add(At(Change::Changed, Place::File, line));
    }
    // The container's size follows the file's; only what it says beyond that is a difference.
    const auto surplus = [](const FileModel& file) {
        return static_cast<std::int64_t>(file.containerSize) - (file.size - static_cast<std::int64_t>(FileHeadSize));
    };
    // The container header but for its size: its id and parm2.
    const auto containerRest = [](const FileModel& file) {
        const std::size_t at = sizeof(PcgFileHeader);
        return file.head.size() < FileHeadSize ? file.head.substr(std::min(at, file.head.size()))
                                               : file.head.substr(at, 4) + file.head.substr(at + 8, 4);
    };
    // A file cut short says so among its problems; its container is no news then.
    if (!before.Damaged() && !after.Damaged() &&
        (surplus(before) != surplus(after) || containerRest(before) != containerRest(after)))
        sides.Add(At(Change::Changed, Place::File,
                     "CONTAINER: changed (announces " + std::to_string(before.containerSize) + " -> " +
                         std::to_string(after.containerSize) + " bytes, for files of " + std::to_string(before.size) +
                         " -> " + std::to_string(after.size) + " bytes)"));
    if (!before.Damaged() && !after.Damaged() &&
        (before.tailSize != after.tailSize || before.tailFingerprint != after.tailFingerprint))
        sides.Add(At(Change::Changed, Place::File,
                     "TRAILING BYTES: " + std::to_string(before.tailSize) + " -> " + std::to_string(after.tailSize) +
                         " bytes after the last chunk" + (before.tailSize == after.tailSize ? ", changed" : "")));
}

// ---- Set lists

std::vector<const Bank*> SetListBanks(const FileModel& file)
{
    std::vector<const Bank*> banks;
    for (const Bank& bank : file.banks)
        if (bank.kind == Kind::SLS1)
            banks.push_back(&bank);
    return banks;
}

Difference AtSlot(Change change, std::size_t ordinal, std::size_t i, std::size_t j, std::string line)
{
    Difference difference = At(change, Place::Slot, std::move(line));
    difference.setListBank = ordinal;
    difference.setList = i;
    difference.slot = j;
    return difference;
}

// "SLOT 001/003 \"Celebration Brass\" (Wedding Set)": a slot with its set list, in every line.
std::string SlotHead(const Sides& sides, std::size_t ordinal, std::size_t i, std::size_t j, const std::string& name,
                     const std::string& setListName)
{
    std::string head = "SLOT " + SlotKey(i, j);
    if (SetListBanks(sides.after).size() > 1)
        head += " (set-list bank " + std::to_string(ordinal + 1) + ")";
    return head + " " + Quoted(name) + " (" + (setListName.empty() ? "unnamed set list" : LineName(setListName)) + ")";
}

// The used slots of OLD's set-list bank by fingerprint, and NEW's bank beside it: where a slot
// of NEW came from when it moved.
struct SlotOrigins {
    std::multimap<std::uint32_t, std::pair<std::size_t, std::size_t>> before;
    const Bank& beforeBank;
    const Bank& afterBank;

    SlotOrigins(const Bank& oldBank, const Bank& newBank) : beforeBank(oldBank), afterBank(newBank)
    {
        for (std::size_t i = 0; i < oldBank.setLists.size(); ++i)
            for (std::size_t j = 0; j < oldBank.setLists[i].slots.size(); ++j)
                if (oldBank.setLists[i].slots[j].used && oldBank.setLists[i].slots[j].readable)
                    before.emplace(oldBank.setLists[i].slots[j].fingerprint, std::make_pair(i, j));
    }

    // The place in OLD whose slot moved to NEW's slot, found nowhere else: OLD held the same
    // bytes there, and NEW holds other bytes there now.
    bool MovedFrom(const Slot& slot, std::size_t& i, std::size_t& j) const
    {
        const auto [first, last] = before.equal_range(slot.fingerprint);
        for (auto at = first; at != last; ++at) {
            const auto [list, place] = at->second;
            const Slot& old = beforeBank.setLists[list].slots[place];
            const bool stillThere = list < afterBank.setLists.size() && place < afterBank.setLists[list].slots.size() &&
                                    afterBank.setLists[list].slots[place].fingerprint == old.fingerprint;
            if (!stillThere && old.name == slot.name && old.fields == slot.fields) {
                i = list;
                j = place;
                return true;
            }
        }
        return false;
    }
};

// The changes of one slot that both files hold, or nothing when its bytes are the same. A slot
// whose bytes were elsewhere in OLD, and are no longer there, moved.
void DiffSlot(Sides& sides, const SlotOrigins& origins, std::size_t ordinal, std::size_t i, std::size_t j,
              const Slot& before, const Slot& after, const std::string& setListName)
{
    if (before.fingerprint == after.fingerprint)
        return;
    std::size_t fromList = 0, fromSlot = 0;
    if (after.used && origins.MovedFrom(after, fromList, fromSlot)) {
        sides.Add(AtSlot(Change::Moved, ordinal, i, j,
                         SlotHead(sides, ordinal, i, j, after.name, setListName) + ": moved from " +
                             SlotKey(fromList, fromSlot)));
        return;
    }
    const Plays playsNow = WhatSlotPlays(sides.after, after.fields);
    if (!before.used) {
        sides.Add(AtSlot(Change::Added, ordinal, i, j,
                         SlotHead(sides, ordinal, i, j, after.name, setListName) + ": added, plays " +
                             PlaysText(playsNow)));
        return;
    }
    if (!after.used) {
        sides.Add(AtSlot(Change::Removed, ordinal, i, j,
                         SlotHead(sides, ordinal, i, j, before.name, setListName) + ": removed"));
        return;
    }
    std::string what;
    Change change = Change::Changed;
    if (before.name != after.name) {
        what = "renamed " + Quoted(before.name) + " -> " + Quoted(after.name);
        change = Change::Renamed;
    }
    std::vector<std::string> settings;
    const SlotFields& was = before.fields;
    const SlotFields& now = after.fields;
    if (was.type != now.type || was.bankText != now.bankText || was.number != now.number)
        settings.push_back("plays " + PlaysText(playsNow) + ", was " + PlaysText(WhatSlotPlays(sides.before, was)));
    for (const SlotSetting& setting : SlotSettings)
        if (now.*setting.field != was.*setting.field)
            settings.push_back(std::string(setting.word) + " " + std::to_string(now.*setting.field) + ", was " +
                               std::to_string(was.*setting.field));
    if (!settings.empty()) {
        change = Change::Settings;
        for (const std::string& setting : settings)
            what += (what.empty() ? "" : "; ") + setting;
    } else if (before.sound != after.sound) {
        change = what.empty() ? Change::Changed : Change::RenamedAndChanged;
        what += what.empty() ? "changed" : " and changed";
    } else if (what.empty()) {
        what = "bytes after the end of its name changed";
        change = Change::Renamed;
    }
    sides.Add(AtSlot(change, ordinal, i, j, SlotHead(sides, ordinal, i, j, after.name, setListName) + ": " + what));
}

// What a slot that plays the same or another record sounds like now, against then: one line
// where the record it plays is not the one it played (another sound, a rename, a record swapped
// in from elsewhere, a record no longer in the file). Slots that play the instrument's own banks,
// songs, or banks neither file can read are not guessed at.
void DiffSlotSound(Sides& sides, std::size_t ordinal, std::size_t i, std::size_t j, const Slot& before,
                   const Slot& after, const std::string& setListName)
{
    if (!before.used || !after.used)
        return;   // an added or removed slot says what it plays in its own line
    const Plays now = WhatSlotPlays(sides.after, after.fields);
    const Plays then = WhatSlotPlays(sides.before, before.fields);
    if (then.resolution != Resolution::Found)
        return;
    // Most slots play what they played: the words are made only for those that do not.
    const auto head = [&] { return SlotHead(sides, ordinal, i, j, after.name, setListName) + ": now plays "; };
    const auto was = [&] { return ", was " + Quoted(then.record->name); };
    const auto place = [&] { return std::string(SlotTypeText(now.type)) + " " + LineName(now.place); };
    if (now.resolution == Resolution::NotInFile) {
        // What a damaged file lacks may be there all the same: not guessed at.
        if (now.type == then.type && now.place == then.place && !sides.after.Damaged())
            sides.Add(
                AtSlot(Change::Impact, ordinal, i, j, head() + place() + ", which is no longer in the file" + was()));
        return;
    }
    if (now.resolution != Resolution::Found)
        return;
    const bool sameSound = now.record->sound == then.record->sound;
    const bool sameName = now.record->name == then.record->name;
    if (sameSound && sameName)
        return;
    std::string line = head() + Quoted(now.record->name) + " (" + place() + ")";
    if (now.type != then.type || now.place != then.place)
        line += was() + " (" + SlotTypeText(then.type) + " " + LineName(then.place) + ")";
    else if (sameSound)
        line += ", renamed from " + Quoted(then.record->name);
    else if (sameName)
        line += " with another sound";
    else
        line += was();
    sides.Add(AtSlot(Change::Impact, ordinal, i, j, line));
}

void DiffSetListBank(Sides& sides, std::size_t ordinal, const Bank& beforeBank, const Bank& afterBank)
{
    const SlotOrigins origins(beforeBank, afterBank);
    for (std::size_t i = 0; i < afterBank.setLists.size() && i < beforeBank.setLists.size(); ++i) {
        const SetList& before = beforeBank.setLists[i];
        const SetList& after = afterBank.setLists[i];
        const std::string label = SetListLabel(sides.after, ordinal, i);
        for (std::size_t j = 0; j < after.slots.size() && j < before.slots.size(); ++j) {
            // A file cut inside its set lists: what follows the cut is not compared. Both cut at
            // the same slot is no difference; each file's damage is told in the summary.
            if (!before.slots[j].readable && !after.slots[j].readable)
                return;
            if (!before.slots[j].readable || !after.slots[j].readable) {
                const char* side = !after.slots[j].readable ? "NEW" : "OLD";
                Difference difference = AtSlot(Change::Unreadable, ordinal, i, j,
                                               "SETLISTS from " + SlotKey(i, j) + " on" + NotReadableIn(side));
                sides.Add(std::move(difference));
                return;
            }
            DiffSlot(sides, origins, ordinal, i, j, before.slots[j], after.slots[j], after.name);
            DiffSlotSound(sides, ordinal, i, j, before.slots[j], after.slots[j], after.name);
        }
        if (!before.readable || !after.readable)
            continue;
        Difference head = At(Change::Renamed, Place::SetList, {});
        head.setListBank = ordinal;
        head.setList = i;
        if (before.name != after.name) {
            head.line = label + ": renamed " + Quoted(before.name) + " -> " + Quoted(after.name);
            sides.Add(head);
        }
        if (before.eq != after.eq) {
            head.change = Change::Changed;
            head.line = label + " " + Quoted(after.name) + ": EQ changed";
            sides.Add(head);
        }
    }
}

void DiffSetLists(Sides& sides)
{
    const auto before = SetListBanks(sides.before);
    const auto after = SetListBanks(sides.after);
    for (std::size_t b = 0; b < before.size() && b < after.size(); ++b)
        DiffSetListBank(sides, b, *before[b], *after[b]);
    // Set-list banks in one file only.
    const bool more = after.size() > before.size();
    for (std::size_t b = std::min(before.size(), after.size()); b < std::max(before.size(), after.size()); ++b) {
        std::string line = "SETLISTS";
        if (std::max(before.size(), after.size()) > 1)
            line += " (set-list bank " + std::to_string(b + 1) + ")";
        Difference difference = OneSideOnly(sides, more, Place::SetListBank, line, false);
        difference.setListBank = b;
        sides.Add(std::move(difference));
    }
}

// ---- Programs and combinations

// Banks by kind, name and occurrence: the n-th bank of a name pairs with the n-th.
using BankKey = std::tuple<ChunkKind, std::string, std::size_t>;

std::map<BankKey, std::size_t> RecordBanks(const FileModel& file)
{
    std::map<BankKey, std::size_t> banks;
    for (std::size_t b = 0; b < file.banks.size(); ++b) {
        const Bank& bank = file.banks[b];
        if (RecordKindOf(bank.kind) != nullptr)
            banks[{bank.kind, bank.name, bank.occurrence}] = b;
    }
    return banks;
}

// "I-A003", and which bank of that name where the file holds more than one.
std::string RecordPlace(const Bank& bank, std::size_t number)
{
    std::string place = LineName(bank.name) + Pad3(static_cast<unsigned>(number));
    if (bank.occurrences > 1)
        place += " in the " + Ordinal(bank.occurrence + 1) + " " + LineName(bank.name) + " bank";
    return place;
}

std::string BankHead(const Bank& bank) { return std::string(RecordKindOf(bank.kind)->word) + " BANK " + BankLabel(bank); }

Difference AtBank(Change change, std::size_t index, const Bank& bank, const std::string& what)
{
    Difference difference = At(change, Place::Bank, BankHead(bank) + what);
    difference.bank = index;
    return difference;
}

struct OldPlace {
    std::string place;
    std::string name;
};

void DiffRecordsOf(Sides& sides, std::size_t index, const Bank& was, const Bank& now,
                   const std::map<std::pair<ChunkKind, std::uint32_t>, OldPlace>& oldPlaces)
{
    const std::string word = RecordKindOf(now.kind)->word;
    for (std::size_t i = 0; i < now.records.size() && i < was.records.size(); ++i) {
        const Record& before = was.records[i];
        const Record& after = now.records[i];
        if (before.fingerprint == after.fingerprint)
            continue;
        const std::string place = RecordPlace(now, i);
        const std::string head = word + " " + place;
        Difference difference = At(Change::Changed, Place::Record, {});
        difference.bank = index;
        difference.number = i;
        const auto moved = oldPlaces.find({now.kind, after.fingerprint});
        if (moved != oldPlaces.end() && moved->second.place != place) {
            difference.change = Change::Moved;
            difference.line = head + ": now holds OLD's " + moved->second.place + " " + Quoted(moved->second.name);
        } else if (before.sound == after.sound && before.name == after.name) {
            difference.change = Change::Renamed;
            difference.line = head + " " + Quoted(after.name) + ": bytes after the end of its name changed";
        } else if (before.sound == after.sound) {
            difference.change = Change::Renamed;
            difference.line = head + ": renamed " + Quoted(before.name) + " -> " + Quoted(after.name);
        } else if (before.name == after.name) {
            difference.line = head + " " + Quoted(after.name) + ": changed";
        } else {
            difference.change = Change::RenamedAndChanged;
            difference.line = head + ": renamed " + Quoted(before.name) + " -> " + Quoted(after.name) + " and changed";
        }
        sides.Add(std::move(difference));
    }
}

void DiffRecords(Sides& sides)
{
    const auto oldBanks = RecordBanks(sides.before);
    const auto newBanks = RecordBanks(sides.after);
    // Where OLD kept each record's bytes, for records that moved.
    std::map<std::pair<ChunkKind, std::uint32_t>, OldPlace> oldPlaces;
    for (const auto& [key, index] : oldBanks) {
        const Bank& bank = sides.before.banks[index];
        for (std::size_t i = 0; i < bank.records.size(); ++i)
            oldPlaces.emplace(std::make_pair(bank.kind, bank.records[i].fingerprint),
                              OldPlace{RecordPlace(bank, i), bank.records[i].name});
    }
    for (const auto& [key, index] : newBanks) {
        const Bank& now = sides.after.banks[index];
        const auto old = oldBanks.find(key);
        if (old == oldBanks.end()) {
            Difference difference = OneSideOnly(sides, true, Place::Bank, BankHead(now), false);
            difference.bank = index;
            sides.Add(std::move(difference));
            continue;
        }
        const Bank& was = sides.before.banks[old->second];
        if (!was.loaded || !now.loaded) {
            if (was.loaded != now.loaded)
                sides.Add(AtBank(Change::Unreadable, index, now, NotReadableIn(now.loaded ? "OLD" : "NEW")));
            continue;
        }
        DiffRecordsOf(sides, index, was, now, oldPlaces);
    }
    for (const auto& [key, index] : oldBanks) {
        if (newBanks.count(key) != 0)
            continue;
        Difference difference = OneSideOnly(sides, false, Place::Bank, BankHead(sides.before.banks[index]), false);
        difference.bank = index;
        sides.Add(std::move(difference));
    }
}

// ---- Chunks

using ChunkKey = std::pair<std::string, std::size_t>;   // id ("" for zero padding), occurrence

// Each chunk's key, in file order.
std::vector<ChunkKey> ChunkKeys(const FileModel& file)
{
    std::vector<ChunkKey> keys;
    std::map<std::string, std::size_t> seen;
    for (const Chunk& chunk : file.chunks)
        keys.emplace_back(chunk.id, seen[chunk.id]++);
    return keys;
}

std::string ChunkHead(const Chunk& chunk)
{
    if (chunk.padding)
        return "CHUNK (zero padding) at offset " + std::to_string(chunk.offset);
    return "CHUNK " + LineName(chunk.id) + " (" + ChunkHolds(chunk.id) + ")";
}

// Chunks whose banks were compared record by record (explained) are named only when their
// bytes differ where no record does.
void DiffChunks(Sides& sides, const std::map<ChunkKind, bool>& explained)
{
    const std::vector<ChunkKey> beforeKeys = ChunkKeys(sides.before);
    const std::vector<ChunkKey> afterKeys = ChunkKeys(sides.after);
    const std::map<ChunkKey, std::size_t> before = [&] {
        std::map<ChunkKey, std::size_t> index;
        for (std::size_t c = 0; c < beforeKeys.size(); ++c)
            index[beforeKeys[c]] = c;
        return index;
    }();
    const auto atChunk = [](Change change, std::size_t index, const Chunk& chunk, const std::string& what) {
        Difference difference = At(change, Place::Chunk, ChunkHead(chunk) + what);
        difference.chunk = index;
        return difference;
    };
    for (std::size_t index = 0; index < afterKeys.size(); ++index) {
        const Chunk& now = sides.after.chunks[index];
        const auto old = before.find(afterKeys[index]);
        if (old == before.end()) {
            Difference difference = OneSideOnly(sides, true, Place::Chunk, ChunkHead(now), true);
            difference.chunk = index;
            sides.Add(std::move(difference));
            continue;
        }
        const Chunk& was = sides.before.chunks[old->second];
        if (was.cut != now.cut) {
            sides.Add(atChunk(Change::Unreadable, index, now, now.cut ? ": cut short in NEW" : ": cut short in OLD"));
            continue;
        }
        if (was.fingerprint == now.fingerprint && was.size == now.size)
            continue;
        const auto kind = explained.find(ChunkKindOf(ChunkIdOf(now.id)));
        if (!now.padding && kind != explained.end() && kind->second)
            continue;
        sides.Add(atChunk(Change::Changed, index, now,
                          !now.padding && kind != explained.end() ? ": changed outside its listed records" : ": changed"));
    }
    const std::set<ChunkKey> after(afterKeys.begin(), afterKeys.end());
    for (std::size_t index = 0; index < beforeKeys.size(); ++index) {
        if (after.count(beforeKeys[index]) != 0)
            continue;
        Difference difference = OneSideOnly(sides, false, Place::Chunk, ChunkHead(sides.before.chunks[index]), true);
        difference.chunk = index;
        sides.Add(std::move(difference));
    }
}

bool AnyAbout(const Sides& sides, std::size_t from, ChunkKind kind)
{
    for (std::size_t i = from; i < sides.found.size(); ++i) {
        const Difference& difference = sides.found[i];
        const FileModel& file = difference.onlyOld ? sides.before : sides.after;
        if ((difference.place == Place::Record || difference.place == Place::Bank) &&
            file.banks[difference.bank].kind == kind)
            return true;
    }
    return false;
}

}   // namespace

unsigned DiffCounts::Total() const
{
    // A slot that plays another sound is what a difference counted already does to the gig.
    unsigned total = 0;
    for (std::size_t t = 0; t < TallyCount; ++t)
        total += static_cast<Tally>(t) == Tally::Impact ? 0 : tally[t];
    return total;
}

Comparison Compare(const FileModel& oldFile, const FileModel& newFile)
{
    Comparison comparison;
    comparison.oldDamaged = oldFile.Damaged();
    comparison.newDamaged = newFile.Damaged();
    Sides sides{oldFile, newFile, comparison.differences};
    DiffEdges(sides);
    const std::size_t setListsFrom = comparison.differences.size();
    DiffSetLists(sides);
    std::map<ChunkKind, bool> explained;
    explained[Kind::SLS1] = comparison.differences.size() > setListsFrom;
    const std::size_t recordsFrom = comparison.differences.size();
    DiffRecords(sides);
    for (const RecordKind& kind : RecordKinds)
        explained[kind.kind] = AnyAbout(sides, recordsFrom, kind.kind);
    DiffChunks(sides, explained);
    for (Difference& sound : sides.sounds)
        comparison.differences.push_back(std::move(sound));
    for (const Difference& difference : comparison.differences)
        ++comparison.counts.tally[static_cast<std::size_t>(ChangeKindOf(difference.change).tally)];
    return comparison;
}

std::string DiffSummary(const Comparison& comparison)
{
    const DiffCounts& counts = comparison.counts;
    const unsigned total = counts.Total();
    std::string summary = std::to_string(total) + (total == 1 ? " difference: " : " differences: ");
    for (std::size_t t = 0; t < TallyCount; ++t) {
        const auto tally = static_cast<Tally>(t);
        // What could not be read is named only where there is some, as the files' damage is;
        // slots that play another sound follow what caused it.
        if (tally == Tally::Impact || (tally == Tally::Unreadable && counts.tally[t] == 0))
            continue;
        summary += (t == 0 ? "" : ", ") + std::to_string(counts.tally[t]) + " " + TallyWords[t];
    }
    summary += SoundSummary(comparison);
    if (comparison.oldDamaged)
        summary += "; OLD is damaged";
    if (comparison.newDamaged)
        summary += "; NEW is damaged";
    return summary;
}

std::string SoundSummary(const Comparison& comparison)
{
    const unsigned slots = comparison.counts.tally[static_cast<std::size_t>(Tally::Impact)];
    if (slots == 0)
        return {};
    return "; " + std::to_string(slots) + (slots == 1 ? " slot plays another sound" : " slots play another sound");
}

std::string DiffText(const Comparison& comparison)
{
    std::string text;
    for (const Difference& difference : comparison.differences)
        text += difference.line + "\n";
    if (!comparison.differences.empty() || comparison.oldDamaged || comparison.newDamaged)
        text += DiffSummary(comparison) + "\n";
    return text;
}

int RunDiff(const Options& options, Console& console)
{
    Session session(console, options.files, options.output);
    const FileModel oldFile = session.Read(0);
    const FileModel newFile = session.Read(1);
    const Comparison comparison = Compare(oldFile, newFile);
    const bool differ = !comparison.differences.empty();
    if (options.brief)
        session.Deliver(differ ? "Files " + LineText(options.files[0]) + " and " + LineText(options.files[1]) +
                                     " differ" + SoundSummary(comparison) + "\n"
                               : std::string());
    else
        session.Deliver(DiffText(comparison));
    return session.StatusWith(differ ? Differ : Success);
}

}   // namespace scry
