// The comparison: edges, set lists slot by slot (each slot followed by its bytes), the set-list
// data, records by place, chunks by id; what one file could not read is said as such, never as a
// thing removed or added.
#include "model/Compare.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "model/SetLists.h"

namespace scry {

namespace {

struct Sides {
    const FileModel& before;   // OLD
    const FileModel& after;    // NEW
    std::vector<Difference>& found;
    std::vector<Difference> impacts{};   // slots that play another sound: said after their causes
};

Difference Of(Subject subject, Change change)
{
    Difference difference;
    difference.subject = subject;
    difference.Add(change);
    return difference;
}

Difference InNew(Subject subject, Change change, const Place& at)
{
    Difference difference = Of(subject, change);
    difference.inNew = true;
    difference.newAt = at;
    return difference;
}

Difference InBoth(Subject subject, Change change, const Place& was, const Place& now)
{
    Difference difference = InNew(subject, change, now);
    difference.inOld = true;
    difference.oldAt = was;
    return difference;
}

// Something one file holds and the other does not: added or removed, unless the file that lacks
// it is damaged, where it is only not readable there.
Difference OneSideOnly(const Sides& sides, Subject subject, bool inNew, const Place& at)
{
    const bool lackerDamaged = inNew ? sides.before.Damaged() : sides.after.Damaged();
    Difference difference;
    difference.subject = subject;
    if (lackerDamaged) {
        difference.Add(Change::Unreadable);
        difference.cause = inNew ? Cause::OldDamaged : Cause::NewDamaged;
    } else {
        difference.Add(inNew ? Change::Added : Change::Removed);
    }
    (inNew ? difference.inNew : difference.inOld) = true;
    (inNew ? difference.newAt : difference.oldAt) = at;
    return difference;
}

// ---- What lies outside the chunks

void DiffEdges(Sides& sides)
{
    const FileModel& before = sides.before;
    const FileModel& after = sides.after;
    if (before.head.substr(0, sizeof(PcgFileHeader)) != after.head.substr(0, sizeof(PcgFileHeader)))
        sides.found.push_back(Of(Subject::FileHeader, Change::Changed));
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
    const auto cut = [](const FileModel& file) {
        return std::any_of(file.problems.begin(), file.problems.end(), [](const Problem& p) {
            return p.kind == ProblemKind::FileCutShort || p.kind == ProblemKind::ChunkCut;
        });
    };
    if (cut(before) || cut(after))
        return;
    if (surplus(before) != surplus(after) || containerRest(before) != containerRest(after))
        sides.found.push_back(Of(Subject::Container, Change::Changed));
    if (before.tailSize != after.tailSize || before.tailFingerprint != after.tailFingerprint)
        sides.found.push_back(Of(Subject::TrailingBytes, Change::Changed));
}

// ---- Set lists

bool SameBytes(const Slot& a, const Slot& b)
{
    return a.fingerprint == b.fingerprint && a.nameField == b.nameField && a.hidden == b.hidden && a.packed == b.packed;
}

bool SameNameAndTarget(const Slot& a, const Slot& b)
{
    return a.name == b.name && TargetOf(a.fields) == TargetOf(b.fields);
}

// How a slot of NEW came from OLD.
enum class Origin { None, Same, InPlace, Moved, Copied };

// One set-list bank of each file, slot by slot. Positions count slots through the bank in file
// order: set list i, slot j is i * 128 + j.
struct SlotPairing {
    const Bank& was;
    const Bank& now;
    std::size_t cut;   // the first position either side cannot read, or the end
    std::vector<Origin> origin;
    std::vector<std::size_t> from;   // the OLD position of NEW's slot, where origin is not None
    std::vector<bool> claimed;       // OLD's slot is accounted for: still there, moved or edited in place

    const Slot& Old(std::size_t p) const { return was.setLists[p / SlotsPerSetList].slots[p % SlotsPerSetList]; }
    const Slot& New(std::size_t p) const { return now.setLists[p / SlotsPerSetList].slots[p % SlotsPerSetList]; }

    SlotPairing(const Bank& oldBank, const Bank& newBank) : was(oldBank), now(newBank)
    {
        const std::size_t lists = std::min(was.setLists.size(), now.setLists.size());
        cut = lists * SlotsPerSetList;
        for (std::size_t p = 0; p < cut; ++p)
            if (!Old(p).readable || !New(p).readable) {
                cut = p;
                break;
            }
        origin.assign(cut, Origin::None);
        from.assign(cut, 0);
        claimed.assign(cut, false);
        Pair();
    }

    bool Changed(std::size_t q) const { return New(q).used && origin[q] == Origin::None; }

    // NEW's slot q came from one of OLD's slots at places (file order): moved from the first one
    // that nothing else accounts for, else copied from the first.
    void Take(std::size_t q, const std::vector<std::size_t>& places)
    {
        for (const std::size_t p : places)
            if (!claimed[p]) {
                claimed[p] = true;
                origin[q] = Origin::Moved;
                from[q] = p;
                return;
            }
        origin[q] = Origin::Copied;
        from[q] = places.front();
    }

    void Pair()
    {
        // Slots whose bytes stayed where they were.
        for (std::size_t p = 0; p < cut; ++p)
            if (New(p).used && SameBytes(Old(p), New(p))) {
                origin[p] = Origin::Same;
                from[p] = p;
                claimed[p] = true;
            }
        bool any = false;
        for (std::size_t q = 0; q < cut && !any; ++q)
            any = Changed(q);
        if (!any)
            return;
        // By their bytes, then by their name and target: at their own place first, then anywhere.
        std::unordered_map<std::uint32_t, std::vector<std::size_t>> byBytes;
        std::map<std::tuple<std::string, SlotType, std::uint8_t, std::uint8_t>, std::vector<std::size_t>> byName;
        for (std::size_t p = 0; p < cut; ++p) {
            const Slot& slot = Old(p);
            if (!slot.used)
                continue;
            byBytes[slot.fingerprint].push_back(p);
            const Target target = TargetOf(slot.fields);
            byName[{slot.name, target.type, target.bank, target.number}].push_back(p);
        }
        for (std::size_t q = 0; q < cut; ++q) {
            if (!Changed(q))
                continue;
            const auto found = byBytes.find(New(q).fingerprint);
            if (found == byBytes.end())
                continue;
            std::vector<std::size_t> places;
            for (const std::size_t p : found->second)
                if (SameBytes(Old(p), New(q)))
                    places.push_back(p);
            if (!places.empty())
                Take(q, places);
        }
        for (std::size_t q = 0; q < cut; ++q)
            if (Changed(q) && Old(q).used && !claimed[q] && SameNameAndTarget(Old(q), New(q))) {
                origin[q] = Origin::InPlace;
                from[q] = q;
                claimed[q] = true;
            }
        for (std::size_t q = 0; q < cut; ++q) {
            if (!Changed(q))
                continue;
            const Slot& slot = New(q);
            const Target target = TargetOf(slot.fields);
            const auto found = byName.find({slot.name, target.type, target.bank, target.number});
            if (found != byName.end())
                Take(q, found->second);
        }
        // What is left is edited where it stands, or new.
        for (std::size_t q = 0; q < cut; ++q)
            if (Changed(q) && Old(q).used && !claimed[q]) {
                origin[q] = Origin::InPlace;
                from[q] = q;
                claimed[q] = true;
            }
        PairMovedAndEdited();
    }

    // A slot both moved and edited: what is left of NEW against what is left of OLD, by its name
    // (moved, and set to play another sound or to other settings), then by all it holds but its
    // name (moved and renamed). Each in file order, the first left of OLD taken.
    void PairMovedAndEdited()
    {
        std::map<std::string, std::vector<std::size_t>> byNameAlone;
        std::map<std::tuple<SlotAttributes, bool>, std::vector<std::size_t>> bySettings;
        for (std::size_t p = 0; p < cut; ++p)
            if (Old(p).used && !claimed[p]) {
                byNameAlone[Old(p).name].push_back(p);
                bySettings[{Old(p).fields, Old(p).hidden}].push_back(p);
            }
        const auto takeLeft = [&](std::size_t q, const std::vector<std::size_t>* places) {
            if (places == nullptr)
                return;
            for (const std::size_t p : *places)
                if (!claimed[p]) {
                    claimed[p] = true;
                    origin[q] = Origin::Moved;
                    from[q] = p;
                    return;
                }
        };
        for (std::size_t q = 0; q < cut; ++q)
            if (Changed(q)) {
                const auto found = byNameAlone.find(New(q).name);
                takeLeft(q, found == byNameAlone.end() ? nullptr : &found->second);
            }
        for (std::size_t q = 0; q < cut; ++q)
            if (Changed(q)) {
                const auto found = bySettings.find({New(q).fields, New(q).hidden});
                takeLeft(q, found == bySettings.end() ? nullptr : &found->second);
            }
    }
};

// Slot p of a set-list bank's slots, counted over all its set lists.
SlotAt SlotOfBank(std::size_t ordinal, std::size_t p) { return {ordinal, p / SlotsPerSetList, p % SlotsPerSetList}; }

// The bits of byte b that the fields which changed read.
std::uint8_t ChangedMask(const std::vector<FieldChange>& fields, std::size_t byte)
{
    std::uint8_t mask = 0;
    for (const FieldChange& change : fields)
        mask = static_cast<std::uint8_t>(mask | SlotFieldMask(change.field, byte));
    return mask;
}

// A slot of OLD against the slot of NEW that came from it: its name, its target and settings
// field by field, and the bytes no listing shows (after the name's end, the 512 bytes after the
// packed ones, and packed bits that no field that changed reads).
void Edits(const Slot& was, const Slot& now, Difference& difference)
{
    if (was.name != now.name)
        difference.Add(Change::Renamed);
    for (const SlotFieldLayout& layout : SlotLayout) {
        const unsigned before = was.fields.*layout.member, after = now.fields.*layout.member;
        if (before != after)
            difference.fields.push_back({layout.field, before, after});
    }
    if (!difference.fields.empty())
        difference.Add(Change::Settings);
    bool other = (was.name == now.name && was.nameField != now.nameField) || was.hidden != now.hidden;
    for (std::size_t byte = 0; byte < was.packed.size() && !other; ++byte)
        other = ((was.packed[byte] ^ now.packed[byte]) & ~ChangedMask(difference.fields, byte)) != 0;
    if (other || difference.changes == 0) {
        difference.otherBytes = true;
        difference.Add(Change::Changed);
    }
}

// What NEW's slot plays against what its OLD slot played: a difference where the sound is not
// the one it was. Slots that play the instrument's own banks, songs, or banks neither file can
// read are not guessed at.
void SlotImpact(Sides& sides, const SlotAt& was, const SlotAt& now, const Slot& before, const Slot& after)
{
    const Plays then = SlotPlays(sides.before, before);
    const Plays playing = SlotPlays(sides.after, after);
    if (then.resolution != Resolution::Found)
        return;
    Difference impact = InBoth(Subject::Slot, Change::Impact, was, now);
    const bool sameTarget = then.target == playing.target;
    if (playing.resolution == Resolution::NotInFile) {
        // What a damaged file lacks may be there all the same: not guessed at.
        if (sameTarget && !sides.after.Damaged()) {
            impact.cause = Cause::NoLongerInFile;
            sides.impacts.push_back(impact);
        }
        return;
    }
    if (playing.resolution != Resolution::Found)
        return;
    const bool sameSound = playing.record->sound == then.record->sound;
    const bool sameName = playing.record->name == then.record->name;
    if (sameSound && sameName)
        return;
    impact.cause = !sameTarget ? Cause::TargetChanged : sameSound ? Cause::RecordRenamed : Cause::RecordChanged;
    sides.impacts.push_back(impact);
}

void DiffSetListBank(Sides& sides, std::size_t ordinal, const Bank& was, const Bank& now)
{
    const SlotPairing pairing(was, now);
    const std::size_t lists = std::min(was.setLists.size(), now.setLists.size());
    for (std::size_t i = 0; i < lists; ++i) {
        for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
            const std::size_t p = i * SlotsPerSetList + j;
            if (p >= pairing.cut) {
                // A file cut inside its set lists: what follows the cut is not compared. Both cut
                // at the same slot is no difference; each file's damage is told in the summary.
                if (p < lists * SlotsPerSetList && !(!pairing.Old(p).readable && !pairing.New(p).readable)) {
                    Difference difference = Of(Subject::Slot, Change::Unreadable);
                    difference.cause = pairing.New(p).readable ? Cause::OldDamaged : Cause::NewDamaged;
                    difference.inNew = difference.inOld = true;
                    difference.newAt = difference.oldAt = SlotOfBank(ordinal, p);
                    sides.found.push_back(difference);
                }
                return;
            }
            const Slot& slot = pairing.New(p);
            const Origin origin = pairing.origin[p];
            if (slot.used && origin == Origin::None) {
                sides.found.push_back(InNew(Subject::Slot, Change::Added, SlotOfBank(ordinal, p)));
            } else if (origin != Origin::None) {
                const std::size_t q = pairing.from[p];
                if (origin != Origin::Same) {
                    Difference difference;
                    difference.subject = Subject::Slot;
                    if (origin == Origin::Moved)
                        difference.Add(Change::Moved);
                    else if (origin == Origin::Copied)
                        difference.Add(Change::Copied);
                    difference.inOld = difference.inNew = true;
                    difference.oldAt = SlotOfBank(ordinal, q);
                    difference.newAt = SlotOfBank(ordinal, p);
                    if (!SameBytes(pairing.Old(q), slot))
                        Edits(pairing.Old(q), slot, difference);
                    sides.found.push_back(difference);
                }
                SlotImpact(sides, SlotOfBank(ordinal, q), SlotOfBank(ordinal, p), pairing.Old(q), slot);
            }
            if (pairing.Old(p).used && !pairing.claimed[p]) {
                Difference removed = Of(Subject::Slot, Change::Removed);
                removed.inOld = true;
                removed.oldAt = SlotOfBank(ordinal, p);
                sides.found.push_back(removed);
            }
        }
        const SetList& before = was.setLists[i];
        const SetList& after = now.setLists[i];
        if (!before.readable || !after.readable)
            continue;
        const SetListAt place{ordinal, i};
        Difference head = InBoth(Subject::SetList, Change::Renamed, place, place);
        head.changes = 0;
        if (before.name != after.name)
            head.Add(Change::Renamed);
        else if (before.nameField != after.nameField)
            head.otherBytes = true;
        if (before.eq != after.eq || head.otherBytes)
            head.Add(Change::Changed);
        if (head.changes != 0)
            sides.found.push_back(head);
    }
}

void DiffSetLists(Sides& sides)
{
    const std::vector<std::size_t> before = SetListBanks(sides.before);
    const std::vector<std::size_t> after = SetListBanks(sides.after);
    for (std::size_t b = 0; b < before.size() && b < after.size(); ++b)
        DiffSetListBank(sides, b, sides.before.banks[before[b]], sides.after.banks[after[b]]);
    // Set-list banks in one file only.
    for (std::size_t b = std::min(before.size(), after.size()); b < std::max(before.size(), after.size()); ++b) {
        const SetListBankAt place{b, after.size() > before.size() ? after[b] : before[b]};
        sides.found.push_back(OneSideOnly(sides, Subject::SetListBank, after.size() > before.size(), place));
    }
}

void DiffSetListData(Sides& sides)
{
    const auto& before = sides.before.dataBanks;
    const auto& after = sides.after.dataBanks;
    for (std::size_t d = 0; d < std::max(before.size(), after.size()); ++d) {
        const DataBankAt place{d};
        if (d >= before.size() || d >= after.size())
            sides.found.push_back(OneSideOnly(sides, Subject::SetListData, d < after.size(), place));
        else if (before[d].fingerprint != after[d].fingerprint || before[d].size != after[d].size)
            sides.found.push_back(InBoth(Subject::SetListData, Change::Changed, place, place));
    }
}

// ---- Programs and combinations

// Banks by kind, bankId and occurrence: the n-th bank of a place pairs with the n-th.
using BankKey = std::tuple<ChunkKind, std::uint32_t, std::size_t>;

std::map<BankKey, std::size_t> RecordBanks(const FileModel& file)
{
    std::map<BankKey, std::size_t> banks;
    for (std::size_t b = 0; b < file.banks.size(); ++b) {
        const Bank& bank = file.banks[b];
        if (RecordKindOf(bank.kind) != nullptr)
            banks[{bank.kind, bank.bankId, bank.occurrence}] = b;
    }
    return banks;
}

void DiffRecords(Sides& sides)
{
    const auto oldBanks = RecordBanks(sides.before);
    const auto newBanks = RecordBanks(sides.after);
    // Where OLD kept each record's bytes, in file order, and whether NEW still holds them there.
    std::map<std::pair<ChunkKind, std::uint32_t>, std::vector<RecordAt>> oldPlaces;
    std::set<RecordAt> claimed;   // OLD places still there, or moved away
    for (std::size_t b = 0; b < sides.before.banks.size(); ++b) {
        const Bank& bank = sides.before.banks[b];
        if (RecordKindOf(bank.kind) == nullptr)
            continue;
        const auto pair = newBanks.find({bank.kind, bank.bankId, bank.occurrence});
        const Bank* now = pair == newBanks.end() ? nullptr : &sides.after.banks[pair->second];
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            oldPlaces[{bank.kind, bank.records[i].fingerprint}].push_back({b, i});
            if (now != nullptr && i < now->records.size() && now->records[i].fingerprint == bank.records[i].fingerprint)
                claimed.insert({b, i});
        }
    }
    for (std::size_t index = 0; index < sides.after.banks.size(); ++index) {
        const Bank& now = sides.after.banks[index];
        if (RecordKindOf(now.kind) == nullptr)
            continue;
        const auto old = oldBanks.find({now.kind, now.bankId, now.occurrence});
        if (old == oldBanks.end()) {
            sides.found.push_back(OneSideOnly(sides, Subject::RecordBank, true, BankAt{index}));
            continue;
        }
        const Bank& was = sides.before.banks[old->second];
        if (!was.loaded || !now.loaded) {
            if (was.loaded != now.loaded) {
                Difference difference =
                    InBoth(Subject::RecordBank, Change::Unreadable, BankAt{old->second}, BankAt{index});
                difference.cause = now.loaded ? Cause::OldDamaged : Cause::NewDamaged;
                sides.found.push_back(difference);
            }
            continue;
        }
        for (std::size_t i = 0; i < now.records.size() && i < was.records.size(); ++i) {
            const Record& before = was.records[i];
            const Record& after = now.records[i];
            if (before.fingerprint == after.fingerprint)
                continue;
            const auto places = oldPlaces.find({now.kind, after.fingerprint});
            if (places != oldPlaces.end()) {
                // OLD's bytes from elsewhere: moved from the first place nothing else accounts for,
                // else copied from the first in file order.
                Difference difference =
                    InBoth(Subject::Record, Change::Copied, places->second.front(), RecordAt{index, i});
                for (const auto& place : places->second)
                    if (claimed.insert(place).second) {
                        difference.changes = 0;
                        difference.Add(Change::Moved);
                        difference.oldAt = place;
                        break;
                    }
                sides.found.push_back(difference);
                continue;
            }
            Difference difference =
                InBoth(Subject::Record, Change::Changed, RecordAt{old->second, i}, RecordAt{index, i});
            difference.changes = 0;
            if (before.name != after.name)
                difference.Add(Change::Renamed);
            if (before.sound != after.sound) {
                difference.Add(Change::Changed);
            } else if (before.name == after.name) {
                difference.otherBytes = true;   // the bytes after the end of its name
                difference.Add(Change::Changed);
            }
            sides.found.push_back(difference);
        }
    }
    for (const auto& [key, index] : oldBanks)
        if (newBanks.count(key) == 0)
            sides.found.push_back(OneSideOnly(sides, Subject::RecordBank, false, BankAt{index}));
}

// ---- Chunks

using ChunkKey = std::pair<ChunkId, std::size_t>;   // id (0 for zero padding), occurrence

// Each chunk's key, in file order.
std::vector<ChunkKey> ChunkKeys(const FileModel& file)
{
    std::vector<ChunkKey> keys;
    std::map<ChunkId, std::size_t> seen;
    for (const Chunk& chunk : file.chunks)
        keys.emplace_back(chunk.id, seen[chunk.id]++);
    return keys;
}

ChunkAt ChunkOf(const FileModel& file, std::size_t index)
{
    return {index, file.chunks[index].id, file.chunks[index].offset};
}

// Chunks that hold banks compared record by record are compared outside those banks.
void DiffChunks(Sides& sides)
{
    const std::vector<ChunkKey> beforeKeys = ChunkKeys(sides.before);
    const std::vector<ChunkKey> afterKeys = ChunkKeys(sides.after);
    std::map<ChunkKey, std::size_t> before;
    for (std::size_t c = 0; c < beforeKeys.size(); ++c)
        before[beforeKeys[c]] = c;
    for (std::size_t index = 0; index < afterKeys.size(); ++index) {
        const Chunk& now = sides.after.chunks[index];
        const auto old = before.find(afterKeys[index]);
        if (old == before.end()) {
            sides.found.push_back(OneSideOnly(sides, Subject::Chunk, true, ChunkOf(sides.after, index)));
            continue;
        }
        const Chunk& was = sides.before.chunks[old->second];
        Difference difference =
            InBoth(Subject::Chunk, Change::Changed, ChunkOf(sides.before, old->second), ChunkOf(sides.after, index));
        if (was.cut != now.cut) {
            difference.changes = 0;
            difference.Add(Change::Unreadable);
            difference.cause = now.cut ? Cause::CutShortInNew : Cause::CutShortInOld;
            sides.found.push_back(difference);
            continue;
        }
        if (!now.padding && was.holdsBanks && now.holdsBanks) {
            if (was.frame == now.frame)
                continue;
            difference.cause = Cause::OutsideRecords;
        } else if (was.fingerprint == now.fingerprint && was.size == now.size) {
            continue;
        }
        sides.found.push_back(difference);
    }
    const std::set<ChunkKey> after(afterKeys.begin(), afterKeys.end());
    for (std::size_t index = 0; index < beforeKeys.size(); ++index)
        if (after.count(beforeKeys[index]) == 0)
            sides.found.push_back(OneSideOnly(sides, Subject::Chunk, false, ChunkOf(sides.before, index)));
}

template <class T>
const T* At(const std::vector<T>& items, std::size_t index)
{
    return index < items.size() ? &items[index] : nullptr;
}

const SetList* SetListIn(const FileModel& file, const SetListAt& place)
{
    const std::vector<std::size_t> banks = SetListBanks(file);
    if (place.setListBank >= banks.size())
        return nullptr;
    return At(file.banks[banks[place.setListBank]].setLists, place.setList);
}

// A set list's place, or a slot's set list's.
const SetList* SetListIn(const FileModel& file, const Place& place)
{
    if (const SetListAt* list = std::get_if<SetListAt>(&place))
        return SetListIn(file, *list);
    if (const SlotAt* slot = std::get_if<SlotAt>(&place))
        return SetListIn(file, slot->List());
    return nullptr;
}

const Slot* SlotIn(const FileModel& file, const Place& place)
{
    const SlotAt* at = std::get_if<SlotAt>(&place);
    const SetList* list = at == nullptr ? nullptr : SetListIn(file, at->List());
    return list == nullptr ? nullptr : At(list->slots, at->slot);
}

const Record* RecordIn(const FileModel& file, const Place& place)
{
    const RecordAt* at = std::get_if<RecordAt>(&place);
    const Bank* bank = at == nullptr ? nullptr : At(file.banks, at->bank);
    return bank == nullptr ? nullptr : At(bank->records, at->number);
}

}   // namespace

Comparison Compare(const FileModel& oldFile, const FileModel& newFile)
{
    Comparison comparison;
    comparison.before = &oldFile;
    comparison.after = &newFile;
    Sides sides{oldFile, newFile, comparison.differences};
    DiffEdges(sides);
    DiffSetLists(sides);
    DiffSetListData(sides);
    DiffRecords(sides);
    DiffChunks(sides);
    for (Difference& impact : sides.impacts)
        comparison.differences.push_back(std::move(impact));
    for (const Difference& difference : comparison.differences) {
        for (std::size_t c = 0; c < ChangeCount; ++c)
            comparison.tally[c] += difference.Has(static_cast<Change>(c));
        comparison.total += !difference.Has(Change::Impact);
    }
    return comparison;
}

const SetList* OldSetList(const Comparison& c, const Difference& d)
{
    return d.inOld ? SetListIn(*c.before, d.oldAt) : nullptr;
}
const SetList* NewSetList(const Comparison& c, const Difference& d)
{
    return d.inNew ? SetListIn(*c.after, d.newAt) : nullptr;
}
const Slot* OldSlot(const Comparison& c, const Difference& d) { return d.inOld ? SlotIn(*c.before, d.oldAt) : nullptr; }
const Slot* NewSlot(const Comparison& c, const Difference& d) { return d.inNew ? SlotIn(*c.after, d.newAt) : nullptr; }
const Record* OldRecord(const Comparison& c, const Difference& d)
{
    return d.inOld ? RecordIn(*c.before, d.oldAt) : nullptr;
}
const Record* NewRecord(const Comparison& c, const Difference& d)
{
    return d.inNew ? RecordIn(*c.after, d.newAt) : nullptr;
}

Plays NewPlays(const Comparison& c, const Difference& d)
{
    const Slot* slot = NewSlot(c, d);
    return slot != nullptr ? SlotPlays(*c.after, *slot) : WhatSlotPlays(*c.after, Target{});
}

Plays OldPlays(const Comparison& c, const Difference& d)
{
    const Slot* slot = OldSlot(c, d);
    return slot != nullptr ? SlotPlays(*c.before, *slot) : WhatSlotPlays(*c.before, Target{});
}

Likeness LikenessOf(const FileModel& a, const FileModel& b)
{
    Likeness likeness;
    // Records: by kind, place and which bank of that place, over the banks of both files.
    std::map<std::tuple<ChunkKind, std::uint32_t, std::size_t>, const Bank*> inB;
    for (const Bank& bank : b.banks)
        if (bank.kind != Kind::SLS1)
            inB[{bank.kind, bank.bankId, bank.occurrence}] = &bank;
    std::set<const Bank*> paired;
    for (const Bank& bank : a.banks) {
        if (bank.kind == Kind::SLS1)
            continue;
        const auto other = inB.find({bank.kind, bank.bankId, bank.occurrence});
        if (other == inB.end()) {
            likeness.compared += bank.records.size();
            continue;
        }
        paired.insert(other->second);
        const std::vector<Record>& theirs = other->second->records;
        likeness.compared += std::max(bank.records.size(), theirs.size());
        for (std::size_t n = 0; n < std::min(bank.records.size(), theirs.size()); ++n)
            likeness.same += bank.records[n].fingerprint == theirs[n].fingerprint;
    }
    for (const Bank& bank : b.banks)
        if (bank.kind != Kind::SLS1 && paired.count(&bank) == 0)
            likeness.compared += bank.records.size();
    // Set lists of the first set-list banks.
    const SetListView first = SetListOf(a, 0), second = SetListOf(b, 0);
    const std::size_t listsA = first.bank != nullptr ? first.bank->setLists.size() : 0;
    const std::size_t listsB = second.bank != nullptr ? second.bank->setLists.size() : 0;
    likeness.compared += std::max(listsA, listsB);
    for (std::size_t i = 0; i < std::min(listsA, listsB); ++i) {
        const SetList& x = first.bank->setLists[i];
        const SetList& y = second.bank->setLists[i];
        bool same = x.readable && y.readable && x.nameField == y.nameField && x.eq == y.eq;
        for (std::size_t j = 0; same && j < std::min(x.slots.size(), y.slots.size()); ++j)
            same = x.slots[j].fingerprint == y.slots[j].fingerprint;
        likeness.same += same;
    }
    return likeness;
}

}   // namespace scry
