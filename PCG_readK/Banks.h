// Bank chunks: the bank header, the process-wide bank buffers and the loading of program and
// combination banks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Platform/Platform.h"

// Follows the chunk header of every bank chunk; big-endian in the file.
struct BankHeader {
    std::uint32_t numProgs;   // records in the bank
    std::uint32_t objSize;    // bytes per record
    std::uint32_t bankId;
};
static_assert(sizeof(BankHeader) == 12);

// Zero at start, shared by every file of a run, never cleared by the reader: bytes a load does
// not reach keep what an earlier load left. A load whose bytes lie whole in a mapped file
// leaves them there, and the buffer takes them only when a later load comes up short.
extern std::uint8_t Sdb1Buffer[Sdb1Size];
extern std::uint8_t Sbk1Buffer[Sbk1Size];
extern std::uint8_t Pbk1Buffer[Pbk1Size];
extern std::uint8_t Mbk1Buffer[Mbk1Size];
extern std::uint8_t Cbk1Buffer[Cbk1Size];

// Asks the system for large pages behind the bank buffers; once, before the first load.
void PrepareBankBuffers();
// Puts the bank buffers, SlotInfo and currentKind back as they are when a process starts, so
// that the next file is read as a fresh run would read it. Only the bytes loads have reached
// are cleared: a buffer nothing was loaded into is left untouched.
void ResetReaderState();

// A loaded bank: all its records in memory, or where they lie in the file, to be read a run at a
// time when they are handed on.
struct BankLoad {
    const std::uint8_t* data;   // the 128 records (a bank buffer); null where they are read from the file
    std::size_t present;        // bytes of the bank that came from the file
    std::int64_t offset;        // where the records begin in the file
};
// Loads size bytes of a bank for its buffer (size being the buffer's). A bank that lies whole in
// a mapped file is left there: its records are read when they are handed on, and the buffer
// takes them only if a later load of its bank comes up short. Any other is read into the buffer
// in one read, and past what comes the buffer shows what the last load for it left, wherever
// that lay. The stream stands after the bank's bytes.
BankLoad LoadBank(InputStream& stream, std::uint8_t* buffer, std::size_t size);
// Hands a loaded bank's records of recordSize bytes to visit(records, first, count) in order:
// all at once from memory, or from the file a run at a time through a small window, each record
// read once and handled while it is fresh. A file that comes up short meanwhile has shrunk:
// that raises InputShrankError.
void VisitBank(InputStream& stream, const BankLoad& load, std::size_t recordSize,
               const std::function<void(const std::uint8_t* records, std::size_t first, std::size_t count)>& visit);
// The bytes the last load for a bank buffer left: the buffer, or where they lie in a mapped file.
const std::uint8_t* BankBytesOf(const std::uint8_t* buffer);

// The buffer of a program or combination bank id (see BankChunks); nullptr for any other.
std::uint8_t* BankBufferOf(ChunkId id);

// Reads a bank header (12 bytes) and swaps its fields to host order.
BankHeader ReadBankHeaderFields(InputStream& stream);

// Reads the bank header after a "PBK1", "MBK1" or "CBK1" chunk header and loads the bank for its
// buffer (see LoadBank; load receives how, where given); bankName receives the bank's name. True
// when the whole bank was loaded.
bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName, BankLoad* load = nullptr);

// Loads destSize bytes when numProgs * objSize is exactly destSize (see LoadBank; load receives
// how, where given). True when all came.
bool ReadBank(InputStream& stream, const BankHeader& bank, std::uint8_t* dest, std::size_t destSize,
              BankLoad* load = nullptr);

// Length of a 24-byte name field's text: the bytes up to the first NUL, at most 24.
std::size_t NameLength(const std::uint8_t* field);
