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
// not reach keep what an earlier load left.
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

// Reads up to size bytes into a bank buffer, in one read; gives how many came.
std::size_t LoadBank(InputStream& stream, std::uint8_t* buffer, std::size_t size);

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
