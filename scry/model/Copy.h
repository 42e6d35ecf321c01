// Records and set lists carried from one file (SRC) into a copy of another (DEST): what a copy
// asks, and the plan of what it writes where, or why it cannot be made. Every used slot of a set
// list copied plays, in the copy, the sound it plays in SRC: found in DEST, or copied in too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/Plays.h"
#include "model/Places.h"
#include "model/Sounds.h"

namespace scry {

// Records of one kind: count of them from a bank of SRC (by its place, the bank header's id),
// into a bank of DEST from destFirst on, or, where no place of DEST is named, into the free places
// of --to's bank.
struct RecordRange {
    ChunkKind kind;
    std::uint32_t srcBank;
    std::size_t srcFirst;
    std::uint32_t destBank;
    std::size_t destFirst;
    std::size_t count;
    std::string asked;     // as the command line says it, for what is said of it
    bool intoTo = false;   // no place of DEST named: destBank and destFirst mean nothing
};

struct SetListCopy {
    std::size_t src;
    std::size_t dest;
    std::string asked;
};

struct CopyAsk {
    std::vector<RecordRange> records;
    std::vector<SetListCopy> setLists;
    std::optional<std::string> to;   // --to: the bank that records without a place, and sounds a
                                     // set list lacks, go to
    bool force = false;              // write over places that slots of DEST play, and the last copy of
                                     // a sound
    // Nothing to copy: no records and no set lists.
    bool Empty() const { return records.empty() && setLists.empty(); }
};

// A record written: from SRC's place into DEST's.
struct RecordWrite {
    RecordAt from;
    RecordAt to;
    bool forSetList;     // copied in for a slot of a set list copied, into --to's bank
    std::string asked;   // what asked for it: a range, or --to for a set list's sound
};

// A slot of a set list copied, and what it plays in the copy.
struct SlotWrite {
    std::size_t slot;
    Target from;        // what it plays in SRC
    Target to;          // what it plays in the copy
    RecordAt sound;     // where the copy holds its sound (where it plays one)
    bool playsRecord;   // it plays a record of SRC, and so one of the copy
    std::string name;   // the name of the record it plays in the copy
};

struct SetListWrite {
    std::size_t src;
    std::size_t dest;
    std::vector<SlotWrite> slots;   // its used slots
};

// Why a copy cannot be made.
struct CopyRefusal {
    enum Kind {
        NoSuchBank,      // asked names a bank a file does not hold (which: inSrc)
        PastTheEnd,      // asked runs past its bank's end
        OtherEngine,     // HD-1 into EXi or the other way (srcChunk, destChunk)
        Overlap,         // asked and other write the same place
        PlayedBySlots,   // asked writes over places slots of DEST play (slots), without force
        NoSuchSetList,   // asked names a set list a file does not hold (inSrc)
        SoundsMissing,   // set lists need sounds DEST lacks, and there is no --to (records: in SRC)
        ToBankFull,      // --to's bank has no free place left for them
        NoToBank,        // DEST holds no bank of --to's place for a kind of sound (kind)
        NoPlaceNamed,    // asked names no place of DEST, and there is no --to
        LastCopy,        // asked writes over the last copy of a sound (records: DEST's place), without force
    } kind;
    std::string asked = {};
    std::string other = {};
    bool inSrc = false;
    ChunkId srcChunk = 0;
    ChunkId destChunk = 0;
    ChunkKind recordKind = 0;
    std::vector<SlotAt> slots = {};       // PlayedBySlots: slots of DEST
    std::vector<RecordAt> records = {};   // SoundsMissing: SRC's; PlayedBySlots: DEST's place, then SRC's
                                          // record; LastCopy: DEST's place
};

struct CopyPlan {
    std::vector<RecordWrite> records;
    std::vector<SetListWrite> setLists;
    std::vector<CopyRefusal> refusals;
    std::vector<CopyRefusal> warnings;   // LastCopy, where force writes over them all the same
    bool combinationsCopied = false;
    bool programsWrittenOver = false;
};

// A place of DEST is written only where no slot of DEST plays it (but by a place asked, with
// force), and never over the last copy of a sound in the copy (but with force): --to takes, in
// order, first the places whose sound the copy holds elsewhere too or whose bytes are all zero,
// then the others.
CopyPlan PlanCopy(const FileModel& src, const FileModel& dest, const CopyAsk& ask);

// The room a record bank of a file has for sounds copied into it, as copy takes places there:
// empty places, places whose sound the file holds at another place too, and the places songs of
// its set lists play (never taken but by a choice to write over them); the rest hold the last copy
// of a sound.
struct BankRoom {
    std::size_t bank;   // its index in the file
    std::size_t empty = 0;
    std::size_t shared = 0;
    std::size_t played = 0;
    std::size_t last = 0;
};
std::vector<BankRoom> RoomOfBanks(const FileModel& file);

// The record bank of a file that holds records of this kind at a place (the later of two, as a
// slot plays it); false where none does.
bool RecordBankAt(const FileModel& file, ChunkKind kind, std::uint32_t bankId, std::size_t& index);

}   // namespace scry
