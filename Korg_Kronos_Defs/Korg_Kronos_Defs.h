// The chunk vocabulary of a PCG file: the 12-byte chunk header, the chunk ids, the kinds of
// top-level chunks and their names, and the big-endian to host conversion.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Every chunk opens with this header; numbers are big-endian and kept raw in memory.
struct ChunkHeader {
    char id[4];
    std::uint32_t size;    // data bytes after the header
    std::uint32_t parm2;
};
static_assert(sizeof(ChunkHeader) == 12);

// A chunk id: the four raw bytes as they stand in the file, held in one 32-bit value.
using ChunkId = std::uint32_t;

constexpr ChunkId MakeId(const char (&code)[5])
{
    const auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(code[i])); };
    if constexpr (std::endian::native == std::endian::little)
        return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    else
        return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

inline ChunkId IdOf(const ChunkHeader& header)
{
    ChunkId id;
    std::memcpy(&id, header.id, sizeof id);
    return id;
}

inline constexpr ChunkId KORG = MakeId("KORG");
inline constexpr ChunkId PCG1 = MakeId("PCG1");
inline constexpr ChunkId SLS1 = MakeId("SLS1");
inline constexpr ChunkId PRG1 = MakeId("PRG1");
inline constexpr ChunkId PBK1 = MakeId("PBK1");
inline constexpr ChunkId MBK1 = MakeId("MBK1");
inline constexpr ChunkId CMB1 = MakeId("CMB1");
inline constexpr ChunkId CBK1 = MakeId("CBK1");
inline constexpr ChunkId DKT1 = MakeId("DKT1");
inline constexpr ChunkId DBK1 = MakeId("DBK1");
inline constexpr ChunkId WSQ1 = MakeId("WSQ1");
inline constexpr ChunkId ARP1 = MakeId("ARP1");
inline constexpr ChunkId ABK1 = MakeId("ABK1");
inline constexpr ChunkId GLB1 = MakeId("GLB1");
// Second-level ids of a set-list chunk.
inline constexpr ChunkId SLD1 = MakeId("SLD1");
inline constexpr ChunkId SDB1 = MakeId("SDB1");
inline constexpr ChunkId STL1 = MakeId("STL1");
inline constexpr ChunkId SBK1 = MakeId("SBK1");

// Kind of a top-level chunk; 0 marks one that the top-level walk skips by itself.
using ChunkKind = std::uint8_t;
inline constexpr ChunkKind MaxChunkKind = 8;

extern ChunkKind currentKind;   // kind of the top-level chunk being read

// Four-character name of a kind 0 to 8 ("UNKN", "SLS1", ...).
std::string_view ChunkKindName(ChunkKind kind);
bool IsTopLevelId(ChunkId id);
ChunkKind ChunkKindOf(ChunkId id);
bool IsBankIdOf(ChunkKind kind, ChunkId id);

// Turns the raw bytes of a big-endian field into its value, in place.
inline void Swap32(std::uint32_t& word)
{
    if constexpr (std::endian::native == std::endian::little)
        word = (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
}

// A copy of a raw big-endian field, turned into its value.
inline std::uint32_t Swapped(std::uint32_t raw)
{
    Swap32(raw);
    return raw;
}

// The id as shown in logs: its bytes up to the first NUL.
std::string IdText(const char (&id)[4]);
