// scry's model of a PCG file: what bankscry lists of it, record by record, with names and
// fingerprints, the decoded slots, and every top-level chunk. Built from the reader's own walk.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace scry {

// Trouble that ends the command with status 2: a file that cannot be read, or is no PCG file.
struct Trouble : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SlotAttributes {
    std::uint8_t type;   // 0 combination, 1 program, 2 song, 3 as stored
    std::uint8_t color;
    std::uint8_t font;
    std::uint8_t bank;
    std::uint8_t transpose;
    std::uint8_t number;
    std::uint8_t holdTime;
    std::uint8_t volume;
    std::uint8_t kbdTrack;
    std::string bankText;   // "I-B", "GM", "S-", "Invalid: 31 (1F)": as the CSV shows it
    std::string typeText;   // "Prog", "Combi", "Song", "Type3"
    bool operator==(const SlotAttributes&) const = default;
};

struct Slot {
    std::string name;            // raw bytes, up to 24
    std::uint32_t fingerprint;   // of the slot's 542 bytes, as the report shows it
    std::uint32_t sound;         // of its bytes after the name
    SlotAttributes attributes;
    bool used;   // some byte of the slot is not zero
};

struct SetList {
    std::string name;
    std::uint32_t eq;   // fingerprint of the EQ block
    std::vector<Slot> slots;
};

struct Record {
    std::string name;
    std::uint32_t fingerprint;   // as the report shows it
    std::uint32_t sound;         // of the bytes after the 24-byte name
};

struct Bank {
    std::string id;                  // "SBK1", "PBK1", "MBK1", "CBK1"
    ChunkKind kind;                  // Kind::SLS1, PRG1 or CMB1
    std::string name;                // "I-A", ...; empty for set lists
    bool loaded;                     // false: refused or cut; no records
    std::vector<Record> records;     // programs and combinations
    std::vector<SetList> setLists;   // set-list banks
};

struct Chunk {
    std::string id;
    std::int64_t offset;
    std::uint32_t size;
    std::uint32_t fingerprint;
    bool cut;
};

struct FileModel {
    std::string name;   // as given on the command line ("-" for standard input)
    std::int64_t size;
    std::uint8_t formatCode;             // 0x50 Triton, 0x68 Kronos
    std::vector<Bank> banks;             // in file order
    std::vector<Chunk> chunks;           // every top-level chunk
    std::vector<std::string> problems;   // what stopped the reader short, in words
};

// Reads a file ("-": standard input) as a fresh bankscry run would, but builds the model
// instead of writing listings. Raises Trouble for a file that cannot be read or is no PCG file.
FileModel ReadModel(const std::string& path);
// The same, of bytes already in memory.
FileModel ReadModelOfBytes(const std::string& name, const std::string& bytes);

// "Triton" or "Kronos".
const char* FormatName(std::uint8_t formatCode);
// The id value of an id text ("GLB1"), as the chunk table keys it.
ChunkId ChunkIdOf(const std::string& id);
// What a chunk id holds, in words ("global settings"), or "unknown".
const char* ChunkHolds(const std::string& id);

// What a used slot plays, resolved against the same file's banks.
struct Plays {
    std::string kind;    // "Prog", "Combi", "Song", "Type3"
    std::string where;   // "I-B012", "GM005", "S-003"
    std::string name;    // the record's name when the file holds it
    std::string note;    // otherwise why not: "instrument bank", "bank not in file", "song", ...
};
Plays WhatSlotPlays(const FileModel& file, const SlotAttributes& slot);

// Names are bytes; shown as UTF-8 taken byte for byte from ISO 8859-1.
std::string Utf8(const std::string& bytes);
std::string Hex8(std::uint32_t value);   // "%08X"
std::string Pad3(unsigned value);        // "%03u"

}   // namespace scry
