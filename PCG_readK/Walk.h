// The walk over one PCG file, apart from what is made of it: the file header, the container,
// every top-level chunk and the banks inside them, told in file order to a receiver. bankscry's
// listings are one receiver (ReadPCG); a second program's model of the file is another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Platform/Platform.h"

// A top-level chunk, as the walk meets its header.
struct ChunkMet {
    char id[4];
    std::int64_t offset;   // of its 12-byte header
    std::uint32_t size;    // data bytes after the header, as the header says
    bool cut;              // the file ends before its data does
};

// A bank the walk loaded, handed on in parts of whole records, in order: all 128 at once where the
// bank is in memory, a run at a time where it is read from the file. A set-list bank (SBK1) comes
// whatever came of its read; a program or combination bank (PBK1, MBK1, CBK1) once it passed its
// size check and lies whole in the file.
struct BankMet {
    ChunkId id;
    ChunkKind kind;                // Kind::SLS1, PRG1 or CMB1
    const std::string& bankName;   // "I-A", ...; empty for set lists
    const std::uint8_t* records;   // record `first` and those after it; valid during the call only
    std::size_t first;             // the part's first record
    std::size_t count;             // records in the part
    std::size_t size;              // bytes of the bank's 128 records
    std::size_t present;           // bytes of them that came from the file: fewer than size where
                                   // the file ended inside the bank, and the rest are what an
                                   // earlier load of that bank left
    std::int64_t offset;           // where the bank's records begin in the file

    bool FirstPart() const { return first == 0; }
    bool LastPart() const { return first + count == RecordsPerBank; }
};

// Why the walk refused a file at its start.
enum class HeaderRefusal {
    NoKorgHeader,    // fewer than 16 bytes, no "KORG", or byte 5 not 0
    UnknownFormat,   // neither the Triton nor the Kronos format code
    NoContainer,     // no "PCG1" container header after the file header
};

// What is told, each where it is met; a null routine is not called. The context goes to every
// routine unchanged.
struct WalkReceiver {
    void* context = nullptr;
    // False: the walk's log goes nowhere while it runs, and back where it went after.
    bool logged = true;
    // The file and container headers were accepted.
    void (*accepted)(void* context, std::uint8_t formatCode, std::uint32_t containerSize) = nullptr;
    void (*refused)(void* context, HeaderRefusal refusal) = nullptr;
    void (*chunk)(void* context, const ChunkMet& chunk) = nullptr;
    void (*bank)(void* context, const BankMet& bank) = nullptr;
    // A program or combination bank failed its size check or was cut short; the walk ends here.
    void (*bankNotLoaded)(void* context, ChunkId id, const std::string& bankName) = nullptr;
};

// Walks the file from its first byte, logging every step as bankscry's log shows it; with
// topLevelOnly it only logs and skips the top-level chunks. Errors (a chunk too large to seek
// over, a failed log write) are raised.
void WalkPCG(InputStream& input, const WalkReceiver& receiver, bool topLevelOnly = false);
