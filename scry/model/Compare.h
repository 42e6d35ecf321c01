// The differences of NEW against OLD, as data: each says what it is about (a typed place in each
// file), what happened to it (one or more kinds of change), why, and its values before and after.
// Records and banks are keyed by where the instrument keeps them; slots follow their bytes, so a
// slot that moved and was edited is one difference. The text, the JSON and the page print this
// list; none of them compares anything itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/Model.h"
#include "model/Places.h"
#include "model/Plays.h"
#include "model/Vocabulary.h"

namespace scry {

// What a difference is about.
enum class Subject {
    FileHeader,      // the 16 bytes before the container
    Container,       // the container header, beyond the size that follows the file's
    TrailingBytes,   // bytes after the last chunk
    SetListBank,     // a set-list bank held by one file only
    SetList,         // a set list's name or EQ
    Slot,            // a set-list slot
    SetListData,     // the set-list data bank (SDB1)
    RecordBank,      // a program or combination bank held by one file only, or readable in one
    Record,          // a program or combination
    Chunk,           // a top-level chunk
};

// Why, where a kind of change needs saying why.
enum class Cause {
    None,
    // Impact: how the slot comes to play another sound.
    TargetChanged,    // it plays another place
    RecordChanged,    // the record at its place has another sound (and maybe name)
    RecordRenamed,    // the record at its place was renamed, its sound the same
    NoLongerInFile,   // its place is in a bank the file no longer holds
    // Unreadable: which side cannot be read there.
    OldDamaged,
    NewDamaged,
    CutShortInOld,
    CutShortInNew,
    // Chunk changed: only outside the banks whose records are compared one by one.
    OutsideRecords,
};

// A setting or part of a slot's target, before and after.
struct FieldChange {
    SlotField field;
    unsigned before;
    unsigned after;
    bool operator==(const FieldChange&) const = default;
};

struct Difference {
    Subject subject = Subject::Chunk;
    std::uint16_t changes = 0;   // bits of Change
    Cause cause = Cause::None;
    bool inOld = false;   // it stands in OLD, at oldAt
    bool inNew = false;   // it stands in NEW, at newAt
    // In OLD: the same place, or where it came from (moved, copied). The kind of place is the
    // subject's: SetListBankAt, SetListAt, SlotAt, DataBankAt (SetListData), BankAt (RecordBank),
    // RecordAt, ChunkAt; none for the file's header, container and trailing bytes.
    Place oldAt;
    Place newAt;
    std::vector<FieldChange> fields;   // Settings (a slot's target among them)
    bool otherBytes = false;           // Changed: only bytes that no listing shows changed too

    bool Has(Change change) const { return (changes >> static_cast<unsigned>(change)) & 1u; }
    void Add(Change change) { changes = static_cast<std::uint16_t>(changes | 1u << static_cast<unsigned>(change)); }
};

struct Comparison {
    const FileModel* before = nullptr;           // OLD
    const FileModel* after = nullptr;            // NEW
    std::vector<Difference> differences;         // in file order, each slot's impact after its cause
    std::array<unsigned, ChangeCount> tally{};   // differences that have each kind of change
    unsigned total = 0;   // differences but impacts: what a difference counted already does to the gig
};

Comparison Compare(const FileModel& oldFile, const FileModel& newFile);

// How much of two files is the same at the same place: each program and combination place of
// either file (the same where both hold the same bytes there) and each set list of their first
// set-list banks (the same where its name, EQ and slots are). Versions of one file keep most;
// files of different origins (a band mate's among one's own backups) keep little.
struct Likeness {
    std::size_t same = 0;
    std::size_t compared = 0;
    // At least half the same: what history takes for versions of one file.
    bool Versions() const { return 2 * same >= compared; }
    unsigned Percent() const { return compared == 0 ? 100u : static_cast<unsigned>(100 * same / compared); }
};
Likeness LikenessOf(const FileModel& a, const FileModel& b);

// The things a difference names, in the file that holds them; nullptr where it names none there.
const SetList* OldSetList(const Comparison& comparison, const Difference& difference);
const SetList* NewSetList(const Comparison& comparison, const Difference& difference);
const Slot* OldSlot(const Comparison& comparison, const Difference& difference);
const Slot* NewSlot(const Comparison& comparison, const Difference& difference);
const Record* OldRecord(const Comparison& comparison, const Difference& difference);
const Record* NewRecord(const Comparison& comparison, const Difference& difference);
// What the slot plays in NEW, and what it played in OLD (at its place there).
Plays NewPlays(const Comparison& comparison, const Difference& difference);
Plays OldPlays(const Comparison& comparison, const Difference& difference);

}   // namespace scry
