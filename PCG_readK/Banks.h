// Bank chunks: the bank header, the bank buffers and the loading of banks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Platform/Platform.h"

struct WalkMemory;
struct WalkReceiver;

// Follows the chunk header of every bank chunk; big-endian in the file.
struct BankHeader {
    std::uint32_t numProgs;   // records in the bank
    std::uint32_t objSize;    // bytes per record
    std::uint32_t bankId;
};
static_assert(sizeof(BankHeader) == 12);

// bankscry's own, defined with its run and linked into no other program. Zero at start, shared
// by every file of a bankscry run, never cleared by the reader: bytes a load does not reach keep
// what an earlier load left. A load whose bytes lie whole in a mapped
// file leaves them there, and the buffer takes them only when a later load comes up short.
extern std::uint8_t Sdb1Buffer[Sdb1Size];
extern std::uint8_t Sbk1Buffer[Sbk1Size];
extern std::uint8_t Pbk1Buffer[Pbk1Size];
extern std::uint8_t Mbk1Buffer[Mbk1Size];
extern std::uint8_t Cbk1Buffer[Cbk1Size];

// A bank buffer and what the last load for it left: its bytes in the buffer, or where they lie
// whole in a mapped file (held mapped as long as they may be read), or in a memory stream.
struct BankBuffer {
    std::uint8_t* buffer;   // size bytes; a walk's own memory makes it when a load must copy
    std::size_t size;
    std::size_t reached;               // bytes from its start that a load wrote since the last reset
    const std::uint8_t* bytes;         // the last load's bytes; null: none yet, all zero
    InputHold hold;                    // keeps mapped bytes mapped
    std::vector<std::uint8_t> owned;   // a walk's own buffer
    bool own;                          // a walk's own: may leave a memory stream's bytes where they lie
};

// The bank buffer of a chunk id in a walk's memory (SDB1, SBK1, PBK1, MBK1, CBK1); nullptr for
// any other id.
BankBuffer* BankBufferOf(WalkMemory& memory, ChunkId id);

// The bank's bytes go back to the buffer; a mapped file's bytes are let go.
void LetGoOfInPlace(BankBuffer& into) noexcept;

// Asks the system for large pages behind the bank buffers; once, before the first load.
void PrepareBankBuffers();
// Puts the process's bank buffers, SlotInfo and currentKind back as they are when a process
// starts, so that the next file is read as a fresh run would read it. Only the bytes loads have
// reached are cleared: a buffer nothing was loaded into is left untouched.
void ResetReaderState();

// A loaded bank: all its records in memory, or where they lie in the file, to be read a run at a
// time when they are handed on.
struct BankLoad {
    const std::uint8_t* data;   // the 128 records; null where they are read from the file
    std::size_t present;        // bytes of the bank that came from the file
    std::int64_t offset;        // where the records begin in the file
};
// Loads a bank's bytes for its buffer (as many as the buffer holds). A bank that lies whole in a
// mapped file is left there: its records are read when they are handed on, and the buffer takes
// them only if a later load of its bank comes up short. Any other is read into the buffer in one
// read, and past what comes the buffer shows what the last load for it left, wherever that lay.
// The stream stands after the bank's bytes.
BankLoad LoadBank(InputStream& stream, BankBuffer& into);
// Banks read from a file pass through a window a run of records at a time: small enough to stay
// in the processor's cache between its read and its listing.
inline constexpr std::size_t WindowSize = std::size_t{1} << 18;
// Hands a loaded bank's records of recordSize bytes to visit(records, first, count) in order:
// all at once from memory, or from the file a run at a time through the window, each record read
// once and handled while it is fresh. A file that comes up short meanwhile has shrunk: that
// raises InputShrankError.
void VisitBank(InputStream& stream, const BankLoad& load, std::size_t recordSize, std::uint8_t* window,
               const std::function<void(const std::uint8_t* records, std::size_t first, std::size_t count)>& visit);

// Reads a bank header (12 bytes) and swaps its fields to host order.
BankHeader ReadBankHeaderFields(InputStream& stream);

// Reads the bank header after a "PBK1", "MBK1" or "CBK1" chunk header and loads the bank for its
// buffer (see LoadBank); load receives how, bankName the bank's name, header its header's fields.
// Each step is told to the receiver. True when the whole bank was loaded.
bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName, BankHeader& header,
                    BankLoad& load, WalkMemory& memory, const WalkReceiver& receiver);

// Loads the bank when numProgs * objSize is exactly the buffer's size (see LoadBank; load
// receives how), telling the receiver. True when all came.
bool ReadBank(InputStream& stream, const BankHeader& bank, BankBuffer& into, BankLoad& load,
              const WalkReceiver& receiver);

// Length of a 24-byte name field's text: the bytes up to the first NUL, at most 24.
std::size_t NameLength(const std::uint8_t* field);
