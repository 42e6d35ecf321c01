// What a library search needs of a file, as plain rows: every program and combination bank with
// its records and both fingerprints, the set lists of the first set-list bank and their used
// slots with what each names as its target. A bank's rows are shared by every file that holds
// the same rows (backups hold mostly the same banks): the catalogue keeps them once, and a
// search looks at them once. What a slot plays is found in its own file's banks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/Places.h"
#include "model/Plays.h"

namespace scry {

// A record of a bank; its place is its bank's and its number in it.
struct RecordRow {
    std::string name;            // ISO 8859-1, as in the file
    std::uint32_t fingerprint;   // of the whole record, as bankscry's report shows it
    std::uint32_t sound;         // of its bytes after the name field
    bool operator==(const RecordRow&) const = default;
};

struct LibrarySetList {
    std::uint32_t number;
    std::string name;
    std::uint32_t fingerprint;   // of its name field's, slots' and EQ's fingerprints, in order
    std::uint32_t used;          // its used slots
    bool operator==(const LibrarySetList&) const = default;
};

// A used slot: what it plays is looked up in the banks of the file that holds it.
struct SlotRow {
    std::uint32_t setList;
    std::uint32_t slot;
    std::string name;
    std::uint32_t fingerprint;   // of its 542 bytes, as bankscry's report shows it
    Target target;
    bool operator==(const SlotRow&) const = default;
};

// The rows of one bank: a program or combination bank's records, or a set-list bank's set lists
// and used slots.
struct BankRows {
    std::vector<RecordRow> records;
    std::vector<LibrarySetList> setLists;
    std::vector<SlotRow> slots;
    bool operator==(const BankRows&) const = default;
};
using SharedRows = std::shared_ptr<const BankRows>;

// A program or combination bank of a file.
struct LibraryBank {
    ChunkKind kind;              // Kind::PRG1 or Kind::CMB1
    ChunkId chunk;               // PBK1, MBK1 or CBK1: records of different engines never share a sound
    std::uint32_t bankId;        // as its bank header says
    std::string name;            // "I-A"
    std::uint32_t index;         // the bank's index among the file's banks: the order of places
    std::uint32_t occurrence;    // 0 for the first bank of its kind and bankId, 1 for a second...
    std::uint32_t occurrences;   // how many the file holds
    SharedRows rows;             // null where the bank could not be loaded
};

struct FileSummary {
    std::uint8_t formatCode = 0;
    std::vector<Problem> problems;    // what could not be read: the file is damaged where any
    std::vector<LibraryBank> banks;   // in file order
    SharedRows setLists;              // of the first set-list bank; null where the file holds none
    std::uint32_t setListBanks = 0;   // set-list banks the file holds: those after the first are not read
};

FileSummary SummaryOf(const FileModel& model);

// The fingerprint of a set list's parts: equal set lists, byte for byte, have equal ones.
std::uint32_t SetListPartsFingerprint(const SetList& list);

// ---- Rows as a hit shows them: a record with its place, a slot with what it plays.

struct LibraryRecord {
    RecordPlace place;   // kind, bank header's id, number
    ChunkId chunk;
    std::string bankName;
    std::uint32_t bank;   // the bank's index among the file's banks
    std::uint32_t occurrence;
    std::uint32_t occurrences;
    std::string name;
    std::uint32_t fingerprint;
    std::uint32_t sound;
};
LibraryRecord RecordOf(const LibraryBank& bank, std::uint32_t number);

struct LibrarySlot {
    SlotAt at;   // in the file's first set-list bank
    std::string name;
    std::uint32_t fingerprint;
    Target target;
    Resolution resolution;   // Found: it plays a record of the file, named playsName
    std::string playsName;
    ChunkId playsChunk = 0;   // the record's bank chunk and sound, where Found
    std::uint32_t playsSound = 0;
};

// What a target names in a file: the record's bank (the later of two of one place) and the
// record, or why none.
struct PlayedRow {
    Resolution resolution;
    const LibraryBank* bank = nullptr;
    const RecordRow* record = nullptr;   // where Found
};
PlayedRow PlayedIn(const FileSummary& file, const Target& target);
LibrarySlot SlotOf(const FileSummary& file, const SlotRow& slot);

// Rows shared among files: equal rows given twice come back as the one kept first.
class RowsPool {
public:
    SharedRows Share(SharedRows rows);
    void ShareAll(FileSummary& summary);

private:
    std::multimap<std::uint64_t, SharedRows> kept;   // by a hash of their rows
};

// A hash of rows, the same for equal rows.
std::uint64_t RowsHash(const BankRows& rows);

}   // namespace scry
