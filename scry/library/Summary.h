// What a library search needs of a file, as plain rows: every record with both fingerprints,
// every set list of the first set-list bank, and every used slot with what it plays. Made from
// a file's model once, kept in the catalogue, and searched the same way wherever it comes from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/Plays.h"

namespace scry {

struct LibraryRecord {
    ChunkKind kind;              // Kind::PRG1 or Kind::CMB1
    ChunkId chunk;               // PBK1, MBK1 or CBK1: records of different engines never share a sound
    std::uint32_t bankId;        // as its bank header says
    std::string bankName;        // "I-A"
    std::uint32_t bank;          // the bank's index among the file's banks: the order of places
    std::uint32_t occurrence;    // 0 for the first bank of its kind and bankId, 1 for a second...
    std::uint32_t occurrences;   // how many the file holds
    std::uint32_t number;
    std::string name;            // ISO 8859-1, as in the file
    std::uint32_t fingerprint;   // of the whole record, as bankscry's report shows it
    std::uint32_t sound;         // of its bytes after the name field
};

struct LibrarySetList {
    std::uint32_t number;
    std::string name;
    std::uint32_t fingerprint;   // of its name field's, slots' and EQ's fingerprints, in order
    std::uint32_t used;          // its used slots
};

struct LibrarySlot {
    std::uint32_t setList;
    std::uint32_t slot;
    std::string name;
    std::uint32_t fingerprint;   // of its 542 bytes, as bankscry's report shows it
    Target target;
    Resolution resolution;   // Found: it plays a record of the file, named playsName
    std::string playsName;
    ChunkId playsChunk = 0;   // the record's bank chunk and sound, where Found
    std::uint32_t playsSound = 0;
};

struct FileSummary {
    std::uint8_t formatCode = 0;
    std::vector<Problem> problems;   // what could not be read: the file is damaged where any
    std::vector<LibraryRecord> records;
    std::vector<LibrarySetList> setLists;
    std::vector<LibrarySlot> slots;
};

FileSummary SummaryOf(const FileModel& model);

// The fingerprint of a set list's parts: equal set lists, byte for byte, have equal ones.
std::uint32_t SetListPartsFingerprint(const SetList& list);

}   // namespace scry
