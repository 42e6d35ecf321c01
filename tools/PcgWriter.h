// Builds PCG files in memory: big-endian headers, chunks and banks of named records, so that a
// test, the demo or a benchmark says what a file holds instead of carrying an opaque blob.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pcgw {

// The writer keeps its own record sizes on purpose: it describes files the way the instrument
// writes them, independently of the reader, so a test that builds its input here checks the
// reader against a second account of the format. One test checks that the two accounts agree.
inline constexpr std::size_t NameSize = 24;
inline constexpr std::size_t SetListSize = 69416;
inline constexpr std::size_t SlotSize = 542;
inline constexpr std::size_t SlotsPerSetList = 128;
inline constexpr std::size_t EqOffset = 69400;
inline constexpr std::size_t ProgramSize = 4960;
inline constexpr std::size_t CombiSize = 7810;
inline constexpr std::size_t Sdb1Size = 462336;
inline constexpr std::size_t BankRecords = 128;

// The one pseudo-random generator of the tests, the benchmarks and the writer: xorshift32,
// repeatable from its seed on every platform. A seed of 0 is taken as 1.
class Random {
public:
    explicit Random(std::uint32_t seed) : state(seed != 0 ? seed : 1) {}
    std::uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    std::uint8_t NextByte() { return static_cast<std::uint8_t>(Next() >> 24); }

private:
    std::uint32_t state;
};

std::string Be32(std::uint32_t value);
// The 16-byte file header: "KORG", the format code, byte 5, ten zero bytes.
std::string FileHeader(std::uint8_t formatCode = 0x68, std::uint8_t byte5 = 0);
// A bare 12-byte chunk header with any stated size.
std::string ChunkHead(std::string_view id, std::uint32_t size, std::uint32_t parm2 = 0);
// A header whose size is the body's length, then the body.
std::string Chunk(std::string_view id, std::string_view body, std::uint32_t parm2 = 0);
std::string BankHead(std::uint32_t numProgs, std::uint32_t objSize, std::uint32_t bankId);
// File header, "PCG1" container sized to the chunks, then the chunks.
std::string PcgFile(std::string_view chunks, std::uint8_t formatCode = 0x68);

// count zero records of recordSize bytes.
std::string Records(std::size_t recordSize, std::size_t count = BankRecords);
// Writes a name into a 24-byte field: the bytes, then NULs (a 24-byte name fills it, no NUL).
void SetName(std::string& data, std::size_t offset, std::string_view name);
void SetRecordName(std::string& data, std::size_t recordSize, std::size_t index, std::string_view name);
// Deterministic bytes in every record outside its names (and, for set lists, the slot
// attributes), so that records differ as real ones do.
void FillRecords(std::string& data, std::size_t recordSize, std::uint32_t seed);

using Packed = std::array<std::uint8_t, 6>;
// The packed slot bytes b0..b5 that read as the given attributes, with the fewest bits set (the
// reader's slot layout). Transpose and kbdTrack share b5 bits 0-2: a transpose that lacks a bit
// of kbdTrack's bits 0-2 cannot be written with it, and raises std::invalid_argument.
Packed PackSlot(std::uint8_t slotType, std::uint8_t color, std::uint8_t font, std::uint8_t bank, std::uint8_t transpose,
                std::uint8_t number, std::uint8_t holdTime, std::uint8_t volume, std::uint8_t kbdTrack);
// Offset of slot j of set list i in a set-list bank.
std::size_t SlotOffset(std::size_t setList, std::size_t slot);
void SetSlot(std::string& setLists, std::size_t setList, std::size_t slot, std::string_view name, const Packed& packed);
// Every slot whose name is empty becomes all zero bytes: unused, as the instrument keeps it.
void ZeroUnnamedSlots(std::string& setLists);

// Writes bytes to a file, replacing it; false when they could not all be written.
bool WriteFile(const std::string& path, std::string_view bytes);

// A bank chunk: its header, the bank header (numProgs from the data), the records.
std::string BankChunk(std::string_view id, std::uint32_t bankId, std::size_t recordSize, std::string_view records);

}   // namespace pcgw
