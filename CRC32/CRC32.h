// CRC-32 fingerprint of a block: the reflected CRC-32 register step, no final complement,
// the block length added at the end.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::int32_t MaxCrcBlock = 32768;

// length: 0 to 32768 bytes; anything else raises std::range_error. Never returns 0.
std::uint32_t Crc32Of(const std::uint8_t* block, std::int32_t length);

// A record's two fingerprints from one pass over its bytes: of the whole record, as Crc32Of
// gives it, and of its bytes after the first head bytes (what it holds beyond its name).
struct Crc32Parts {
    std::uint32_t whole;
    std::uint32_t rest;
    std::uint32_t run;   // the whole record as a run of its own (below): a piece of a longer run
};
// length: 0 to 32768, head: 0 to length; anything else raises std::range_error.
Crc32Parts Crc32OfParts(const std::uint8_t* record, std::int32_t length, std::int32_t head);

// Four fingerprints of a record from one pass: of the whole, of its first head bytes (its name
// field), of its bytes after head, and of its bytes after tail (head <= tail <= length).
struct Crc32Split {
    std::uint32_t whole;
    std::uint32_t head;
    std::uint32_t rest;
    std::uint32_t tail;
    std::uint32_t run;   // the whole record as a run of its own
};
Crc32Split Crc32OfSplit(const std::uint8_t* record, std::int32_t length, std::int32_t head, std::int32_t tail);

// The fingerprint of a run of any length, fed in pieces of any length, in order: the register
// starts at Crc32RunStart, takes every piece, and gives the fingerprint with the run's length.
// Equal runs give equal fingerprints, however they were cut into pieces.
inline constexpr std::uint32_t Crc32RunStart = 0xFFFFFFFFu;
std::uint32_t Crc32RunFeed(std::uint32_t reg, const std::uint8_t* piece, std::size_t length);
std::uint32_t Crc32RunFinish(std::uint32_t reg, std::uint64_t length);
// The register of run A followed by run B, each fed from Crc32RunStart, from their registers:
// a long run's fingerprint from those of its pieces, none of them read twice.
std::uint32_t Crc32RunJoin(std::uint32_t regA, std::uint32_t regB, std::uint64_t lengthB);
