// CRC-32 fingerprint of a block: the reflected CRC-32 register step, no final complement,
// the block length added at the end.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::int32_t MaxCrcBlock = 32768;

// length: 0 to 32768 bytes; anything else raises std::range_error. Never returns 0.
std::uint32_t Crc32Of(const std::uint8_t* block, std::int32_t length);
