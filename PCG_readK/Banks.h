// Bank chunks: the bank header, the process-wide bank buffers and the loading of program and
// combination banks.
#pragma once

#include <cstddef>
#include <cstdint>
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

// A bank's bytes as its listing reads them, and how many of them came from the file.
struct BankBytes {
    const std::uint8_t* data;
    std::size_t present;
};
// Loads size bytes of a bank for its buffer (size being the buffer's). Bytes that lie whole in a
// mapped file are read where they lie; others are read into the buffer, in one read, and past
// what comes the buffer shows what the last load for it left, wherever that lay.
BankBytes LoadBank(InputStream& stream, std::uint8_t* buffer, std::size_t size);
// The bytes the last load for a bank buffer left, where a listing reads them: the buffer, or a
// mapped file.
const std::uint8_t* BankBytesOf(const std::uint8_t* buffer);
// The bank's listing is done: pages of a mapped file that hold its bytes may go (they stay
// readable, for a later short load).
void DoneWithBank(const std::uint8_t* buffer) noexcept;

// The buffer of a program or combination bank id (see BankChunks); nullptr for any other.
std::uint8_t* BankBufferOf(ChunkId id);

// Reads a bank header (12 bytes) and swaps its fields to host order.
BankHeader ReadBankHeaderFields(InputStream& stream);

// Reads the bank header after a "PBK1", "MBK1" or "CBK1" chunk header and loads the bank into
// its buffer; bankName receives the bank's name. True when the whole bank was loaded.
bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName);

// Loads destSize bytes when numProgs * objSize is exactly destSize. True when all came.
bool ReadBank(InputStream& stream, const BankHeader& bank, std::uint8_t* dest, std::size_t destSize);

// Length of a 24-byte name field's text: the bytes up to the first NUL, at most 24.
std::size_t NameLength(const std::uint8_t* field);
