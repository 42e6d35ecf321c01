// scry's model of a PCG file: what bankscry lists of it, record by record, with names and
// fingerprints, the decoded slots, every top-level chunk, and what in it could not be read.
// Built as a receiver of the reader's own walk, in one pass over the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Platform/Platform.h"

namespace scry {

// Trouble that ends a command, or the reading of one of its files, with status 2: a file that
// cannot be read, no PCG file, an output that must not or cannot be written.
struct Trouble : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A slot's six packed bytes, decoded: what it plays, and its settings.
struct SlotFields {
    SlotType type;
    std::uint8_t bank;     // the bank number; bankText names it
    std::uint8_t number;   // within the bank
    std::uint8_t color;
    std::uint8_t font;
    std::uint8_t transpose;
    std::uint8_t holdTime;
    std::uint8_t volume;
    std::uint8_t kbdTrack;
    std::string bankText;   // "I-B", "GM", "S-", "Invalid: 31 (1F)": as bankscry's CSV shows it
    bool operator==(const SlotFields&) const = default;
};

struct Slot {
    std::string name;            // raw bytes, up to 24
    std::uint32_t fingerprint;   // of the slot's 542 bytes, as the report shows it
    std::uint32_t sound;         // of its bytes after the name
    SlotFields fields;
    bool used;       // some byte of the slot is not zero
    bool readable;   // its bytes came from the file (not so past the end of a file cut short)
};

struct SetList {
    std::string name;
    std::uint32_t eq;   // fingerprint of the EQ block
    std::vector<Slot> slots;
    bool readable;   // all its bytes came from the file
};

struct Record {
    std::string name;
    std::uint32_t fingerprint;   // as the report shows it
    std::uint32_t sound;         // of the bytes after the 24-byte name
};

struct Bank {
    ChunkId id;                      // SBK1, PBK1, MBK1, CBK1
    ChunkKind kind;                  // Kind::SLS1, PRG1 or CMB1
    std::string name;                // "I-A", ...; empty for set lists
    std::size_t occurrence;          // 0 for the first bank of its kind and name in the file, 1 for a second...
    std::size_t occurrences;         // how many banks of its kind and name the file holds
    bool loaded;                     // false: refused or cut; no records
    std::int64_t offset;             // where its records begin in the file
    std::vector<Record> records;     // programs and combinations
    std::vector<SetList> setLists;   // set-list banks
};

struct Chunk {
    std::string id;   // raw bytes of the id, up to the first NUL; empty for zero padding
    std::int64_t offset;
    std::uint64_t size;   // data bytes as the header says; for zero padding, all bytes of the run
    std::uint32_t fingerprint;
    bool cut;       // the file ends before the data does
    bool padding;   // a run of chunks whose ids are all zero bytes
};

struct FileModel {
    std::string name;   // as given on the command line ("-" for standard input)
    std::int64_t size;
    std::uint8_t formatCode;       // 0x50 Triton, 0x68 Kronos
    std::uint32_t containerSize;   // as the container header announces it
    std::string head;              // the file header and the container header, as read
    std::int64_t tailSize;         // bytes after the last chunk met, where the walk ended
    std::uint32_t tailFingerprint;
    std::vector<Bank> banks;             // in file order
    std::vector<Chunk> chunks;           // every top-level chunk met
    std::vector<std::string> problems;   // what could not be read, in words (UTF-8)

    bool Damaged() const { return !problems.empty(); }
};

// Reads a file from its stream as a fresh bankscry run would, but builds the model instead of
// writing listings. Raises Trouble for a file that cannot be read or is no PCG file; a file that
// is damaged (cut short, a bank refused, zero padding) gives a model with its problems said.
FileModel ReadModel(InputStream& stream, const std::string& name);
// The same, of bytes in memory.
FileModel ReadModelOfBytes(const std::string& name, const std::string& bytes);

// "Triton" or "Kronos".
const char* FormatName(std::uint8_t formatCode);
// The id text of a raw id value.
std::string IdTextOf(ChunkId id);
// The id value of an id text ("GLB1").
ChunkId ChunkIdOf(const std::string& id);
// What a chunk id holds, in words ("global settings"), or "unknown".
const char* ChunkHolds(const std::string& id);

}   // namespace scry
