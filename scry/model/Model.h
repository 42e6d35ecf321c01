// scry's model of a PCG file: what bankscry lists of it, record by record, with names and
// fingerprints, the decoded slots, every top-level chunk, and what in it could not be read, as
// data. Built as a receiver of the reader's own walk, in one pass over the file, in memory of
// its own: models of several files can be built on several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Korg_Kronos_Defs/SlotLayout.h"
#include "Platform/Platform.h"

namespace scry {

// What a slot's target finds in its file.
enum class Resolution {
    Found,            // a record of the file
    InstrumentBank,   // GM and GMd: the instrument's own
    NotInFile,        // a bank the file does not hold
    NotReadable,      // a bank the file holds but could not be read
    NoSuchNumber,     // beyond the 128 records of a bank
    Song,
    NoBank,   // an out-of-table bank number, or slot type 3
};

struct Slot {
    std::string name;            // raw bytes, up to 24
    std::uint32_t nameField;     // fingerprint of its 24-byte name field, the bytes after the name's end too
    std::uint32_t fingerprint;   // of the slot's 542 bytes, as the report shows it
    std::uint32_t sound;         // of its bytes after the name field
    std::uint32_t hidden;        // of its 512 bytes after the packed ones, which no listing shows
    PackedSlot packed;
    SlotAttributes fields;   // the packed bytes, decoded
    bool used;               // some byte of the slot is not zero
    bool readable;           // its bytes came from the file (not so past the end of a file cut short)
    // What it plays, resolved once when its file is read (SlotPlays, model/Plays.h): what its
    // target finds, and the index of the bank that holds it (where Found or NotReadable).
    Resolution resolution = Resolution::NotInFile;
    std::size_t playedBank = 0;
};

struct SetList {
    std::string name;
    std::uint32_t nameField;   // fingerprint of its 24-byte name field
    std::uint32_t eq;          // fingerprint of the EQ block
    std::vector<Slot> slots;
    bool readable;   // all its bytes came from the file
};

struct Record {
    std::string name;
    std::uint32_t fingerprint;   // as the report shows it
    std::uint32_t sound;         // of the bytes after the 24-byte name field
    bool zeroed = false;         // every byte zero, name and all: a place that holds nothing
};

struct Bank {
    ChunkId id;                      // SBK1, PBK1, MBK1, CBK1
    ChunkKind kind;                  // Kind::SLS1, PRG1 or CMB1
    std::uint32_t bankId;            // as its bank header says: the place the instrument keeps it in
    std::string name;                // "I-A", ... as the reader names bankId; empty for set lists
    std::size_t occurrence;          // 0 for the first bank of its kind and bankId in the file, 1 for a second...
    std::size_t occurrences;         // how many banks of its kind and bankId the file holds
    bool loaded;                     // false: refused or cut; no records
    std::int64_t offset;             // where its records begin in the file
    std::size_t size;                // bytes of its records
    std::vector<Record> records;     // programs and combinations
    std::vector<SetList> setLists;   // set-list banks
};

// A bank that no listing reads, held whole: the set-list data bank (SDB1).
struct DataBank {
    ChunkId id;
    std::int64_t offset;
    std::size_t size;   // bytes read for it
    std::uint32_t fingerprint;
};

struct Chunk {
    ChunkId id;   // its four bytes as they stand; 0 for zero padding
    std::int64_t offset;
    std::uint64_t size;   // data bytes as the header says; for zero padding, all bytes of the run
    std::uint32_t fingerprint;
    std::uint32_t frame;   // of its data bytes outside the banks it holds (their headers, the rest)
    bool holdsBanks;       // some bank's records or data lie in it
    bool cut;              // the file ends before the data does
    bool padding;          // a run of chunks whose ids are all zero bytes
};

// What in a file could not be read as it should be.
enum class ProblemKind {
    ChunkCut,              // the file ends inside chunk `id` at offset (announced bytes, present bytes)
    SetListBankCut,        // the set-list bank ends after `present` of its `announced` bytes
    BankNotLoaded,         // bank chunk `id` of name bankName: its size does not match, or it is cut
    ZeroPadding,           // zero padding from offset, `announced` bytes
    FileCutShort,          // the file is shorter than the `announced` bytes of its container
    BankHeaderLies,        // bank `id` of name bankName: its header says `announced` records of `present` bytes,
                           // not the 128 of its kind's size that are listed (at offset, its records)
    ChunksPastContainer,   // the chunks run to byte `present`, past the container's end (offset): it
                           // announces `announced` bytes
    BytesAfterChunks,      // `announced` bytes after the last chunk (from offset) that no chunk holds
    BankChunkSizeLies,     // bank chunk `id` of name bankName, its header at offset, says `announced` bytes
                           // where its bank header and its kind's 128 records take `present`
    BankPastParent,        // bank chunk `id` of name bankName, its header at offset, runs to byte
                           // `present`, past byte `announced` where the chunk that holds it ends
};
inline constexpr ProblemKind LastProblemKind = ProblemKind::BankPastParent;

struct Problem {
    ProblemKind kind;
    ChunkId id;
    std::string bankName;
    std::int64_t offset = 0;
    std::uint64_t announced = 0;
    std::int64_t present = 0;
};

struct FileModel {
    std::string name;   // as given on the command line ("-" for standard input)
    std::int64_t size;
    std::uint8_t formatCode;       // 0x50 Triton, 0x68 Kronos
    std::uint32_t containerSize;   // as the container header announces it
    std::string head;              // the file header and the container header, as read
    std::int64_t tailSize;         // bytes after the last chunk met, where the walk ended
    std::uint32_t tailFingerprint;
    std::vector<Bank> banks;           // in file order
    std::vector<DataBank> dataBanks;   // in file order
    std::vector<Chunk> chunks;         // every top-level chunk met
    std::vector<Problem> problems;     // what could not be read

    bool Damaged() const { return !problems.empty(); }
};

// Why a file cannot be read at all.
enum class Refusal {
    Empty,           // no byte
    NoKorgHeader,    // fewer than 16 bytes, no "KORG", or byte 5 not 0
    UnknownFormat,   // neither the Triton nor the Kronos format code
    NoContainer,     // no "PCG1" container header
    Shrank,          // a mapped file shrank while it was read
    ReadError,       // the system refused a read, or a chunk cannot be sought past; what() says
};

struct Unreadable : std::runtime_error {
    Unreadable(Refusal why, const std::string& detail) : std::runtime_error(detail), refusal(why) {}
    Refusal refusal;
};

// Reads a file from its stream as a fresh bankscry run would, but builds the model instead of
// writing listings. Raises Unreadable for a file that cannot be read or is no PCG file; a file
// that is damaged (cut short, a bank refused, zero padding) gives a model with its problems.
// Without chunkFingerprints, the chunks, data banks and the tail are left without fingerprints
// (0), a pass over the file saved where only records, set lists and slots are wanted.
FileModel ReadModel(InputStream& stream, const std::string& name, bool chunkFingerprints = true);
// The same, of bytes in memory.
FileModel ReadModelOfBytes(const std::string& name, std::string_view bytes);

// "Triton" or "Kronos".
const char* FormatName(std::uint8_t formatCode);
// The id value of an id text ("GLB1").
// What a chunk id holds, in words ("global settings"), or "unknown".
const char* ChunkHolds(ChunkId id);

}   // namespace scry
