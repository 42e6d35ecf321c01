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

inline constexpr std::size_t RecordsPerBank = 128;
inline constexpr std::size_t SetListSize = 69416;
inline constexpr std::size_t SlotSize = 542;
inline constexpr std::size_t ProgramSize = 4960;
inline constexpr std::size_t CombiSize = 7810;
inline constexpr std::size_t NameSize = 24;

inline constexpr std::size_t Sdb1Size = 462336;
inline constexpr std::size_t Sbk1Size = RecordsPerBank * SetListSize;   // 8885248
inline constexpr std::size_t Pbk1Size = RecordsPerBank * ProgramSize;   // 634880
inline constexpr std::size_t Mbk1Size = RecordsPerBank * ProgramSize;
inline constexpr std::size_t Cbk1Size = RecordsPerBank * CombiSize;     // 999680

// Large pages (2 MiB) are asked for on Linux only; other object formats cap alignment lower.
#if defined(__linux__)
inline constexpr std::size_t BankBufferAlignment = std::size_t{1} << 21;
#else
inline constexpr std::size_t BankBufferAlignment = 4096;
#endif

// Zero at start, shared by every file of a run, never cleared: bytes a load does not reach
// keep what an earlier load left.
extern std::uint8_t Sdb1Buffer[Sdb1Size];
extern std::uint8_t Sbk1Buffer[Sbk1Size];
extern std::uint8_t Pbk1Buffer[Pbk1Size];
extern std::uint8_t Mbk1Buffer[Mbk1Size];
extern std::uint8_t Cbk1Buffer[Cbk1Size];

// Asks the system for large pages behind the bank buffers; once, before the first load.
void PrepareBankBuffers();

// Reads a bank header (12 bytes) and swaps its fields to host order.
BankHeader ReadBankHeaderFields(InputStream& stream);

// Reads the bank header after a "PBK1", "MBK1" or "CBK1" chunk header and loads the bank into
// its buffer; bankName receives the bank's name. True when the whole bank was loaded.
bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName);

// Loads destSize bytes when numProgs * objSize is exactly destSize. True when all came.
bool ReadBank(InputStream& stream, const BankHeader& bank, std::uint8_t* dest, std::size_t destSize);

// Length of a 24-byte name field's text: the bytes up to the first NUL, at most 24.
std::size_t NameLength(const std::uint8_t* field);
