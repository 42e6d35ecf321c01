// The walk over one PCG file, apart from what is made of it: the file header, the container,
// every top-level chunk and the banks inside them, and every step the walk takes, told in file
// order to a receiver. The walk itself writes nothing. bankscry's listings and log are one
// receiver (ReadPCG); a second program's model of the file is another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readK/Banks.h"
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
    std::uint32_t bankId;          // as its bank header says
    const std::uint8_t* records;   // record `first` and those after it; valid during the call only
    std::size_t first;             // the part's first record
    std::size_t count;             // records in the part
    std::size_t size;              // bytes of the bank's 128 records
    std::size_t present;           // bytes of them that came from the file: fewer than size where
                                   // the file ended inside the bank, and the rest are what an
                                   // earlier load of that bank left
    std::int64_t offset;           // where the bank's records begin in the file
    std::uint32_t numProgs;        // records and bytes per record, as its bank header says them
    std::uint32_t objSize;
    std::uint32_t chunkSize;       // bytes after the bank chunk's own 12-byte header, as it says

    bool FirstPart() const { return first == 0; }
    bool LastPart() const { return first + count == RecordsPerBank; }
};

// Why the walk refused a file at its start.
enum class HeaderRefusal {
    NoKorgHeader,    // fewer than 16 bytes, no "KORG", or byte 5 not 0
    UnknownFormat,   // neither the Triton nor the Kronos format code
    NoContainer,     // no "PCG1" container header after the file header
};

// ---- The steps of the walk, each as bankscry's log tells it

enum class WalkStep {
    KorgHeaderRefused,   // the file header is refused
    FormatRefused,       // the format code is refused
    Container,           // id, size: the container header, before it is checked
    ContainerRefused,    // no "PCG1" container
    WalkStarts,          // the top-level walk begins
    Skipping,            // id, size: a top-level chunk passed over by the walk itself
    Dumped,              // bytes: the 44 bytes of a skipped chunk of that size
    SoughtPast,          // size: the skip's seek (its log text ends no line)
    Next,                // id: the header read after a skip (the skipped one's, at the end)
    NoMoreChunks,        // the walk ends: no further header
    EnterChunk,          // id: a top-level chunk handed to its second-level walk
    SetListsStart,       // the set-list walk begins
    EndOfData,           // a second-level header that the data does not hold
    SetListPart,         // id, size, parm2: a second-level header of the set-list walk
    PassingInto,         // id: SLD1 or STL1, whose contents are read as further headers
    SetListBankHeader,   // bank: the bank header of SDB1 or SBK1
    SetListDataRead,     // id, count: SDB1 or SBK1 data read into its buffer
    UnknownInSetLists,   // id, kind, position (entry), fileSize
    HandedBack,          // id: a top-level header met inside a chunk, handed back to the walk
    ChunkLeft,           // the second-level walk returns
    SeekBack,            // position: where the stream stands before going back to the entry
    SkippedAhead,        // walkName, size, position (entry): the whole chunk skipped from its entry
    ReadingInside,       // id, size, position (entry): a pass of the bank walk
    BankChunk,           // id, size: a bank chunk of the bank walk
    UnknownInBanks,      // id, kind, position (entry)
    OtherKindSkipped,    // id, size, position (entry): a chunk without a second-level walk
    BankLoadStarts,      // chunkId: a program or combination bank's load begins (before its size check)
    SizeMismatch,        // bank, count: the bank header's size is not the buffer's
    BankRead,            // count: a bank read into its buffer
    BankIdentified,      // bank, bankName, firstName: the bank's identity, after its load
};

// One step: the fields its row above names; the rest stay empty.
struct WalkNote {
    WalkStep step;
    std::string_view id = {};   // an id text: the four bytes up to the first NUL
    ChunkId chunkId = 0;        // BankLoadStarts: the bank chunk's id
    std::uint32_t size = 0;     // a chunk's size, as its header says
    std::uint32_t parm2 = 0;
    std::int64_t position = 0;
    std::int64_t fileSize = 0;
    ChunkKind kind = 0;
    std::size_t count = 0;   // bytes
    const BankHeader* bank = nullptr;
    const std::string* bankName = nullptr;
    std::string_view firstName = {};   // the bank's first record name, read only where notes are wanted
    const std::uint8_t* bytes = nullptr;
    const char* walkName = "";   // "SLS1" or "PRG1/CMB1"
};

// What is told, each where it is met; a null routine is not called (and for notes, nothing is
// made that only a note would need). The context goes to every routine unchanged.
struct WalkReceiver {
    void* context = nullptr;
    void (*note)(void* context, const WalkNote& note) = nullptr;
    // The file and container headers were accepted.
    void (*accepted)(void* context, std::uint8_t formatCode, std::uint32_t containerSize) = nullptr;
    void (*refused)(void* context, HeaderRefusal refusal) = nullptr;
    void (*chunk)(void* context, const ChunkMet& chunk) = nullptr;
    void (*bank)(void* context, const BankMet& bank) = nullptr;
    // A bank that no listing reads (SDB1) was loaded: where its bytes begin, how many came.
    void (*data)(void* context, ChunkId id, std::int64_t offset, std::size_t present) = nullptr;
    // A program or combination bank failed its size check or was cut short; the walk ends here.
    void (*bankNotLoaded)(void* context, ChunkId id, const std::string& bankName) = nullptr;
};

// What one walk keeps while it runs: where it loads its banks, what the last load of each left,
// the window banks are read through, and the kind of the chunk being read. bankscry's walks
// share the process's (ProcessWalkMemory: the bank buffers and currentKind, which carry over
// from file to file); any other walk owns one, starts it empty as a fresh process would, and
// reaches nothing of the process's, so that walks run on several threads at once.
struct WalkMemory {
    BankBuffer buffers[5];             // SDB1, SBK1, PBK1, MBK1, CBK1
    std::uint8_t* window;              // WindowSize bytes: the process's, or owned's
    std::vector<std::uint8_t> owned;   // the window of a walk's own memory
    ChunkKind* kind;                   // currentKind, or ownKind
    ChunkKind ownKind = Kind::UNKN;
};

WalkMemory& ProcessWalkMemory();
// A walk's own memory: its buffers are made only when a load must copy into them.
void MakeOwnWalkMemory(WalkMemory& memory);

// Walks the file from its first byte, telling the receiver each step; with topLevelOnly it only
// tells and skips the top-level chunks. Errors (a chunk too large to seek over, an input that
// shrank while mapped) are raised, and so is whatever the receiver raises.
void WalkPCG(InputStream& input, const WalkReceiver& receiver, WalkMemory& memory, bool topLevelOnly = false);

// A note to the receiver, where it wants notes.
inline void Tell(const WalkReceiver& receiver, const WalkNote& note)
{
    if (receiver.note != nullptr)
        receiver.note(receiver.context, note);
}
