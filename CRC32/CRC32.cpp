// CRC-32 with its constant table.
#include "CRC32/CRC32.h"

#include <array>
#include <stdexcept>
#include <string>

namespace {

constexpr std::uint32_t CrcPolynomial = 0xEDB88320u;   // reflected form of 0x04C11DB7

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ CrcPolynomial : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr auto CrcTable = MakeCrcTable();   // made by the compiler, never at run time
static_assert(CrcTable[1] == 0x77073096u && CrcTable[255] == 0x2D02EF8Du);

} // namespace

std::uint32_t Crc32Of(const std::uint8_t* block, std::int32_t length)
{
    if (length < 0 || length > MaxCrcBlock)
        throw std::range_error("CRC-32 block length " + std::to_string(length) + " out of range 0 to 32768");
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::int32_t i = 0; i < length; ++i)
        crc = CrcTable[(crc ^ block[i]) & 0xFFu] ^ (crc >> 8);
    // The length is added modulo 2^32; 0 is kept free, so a fingerprint is never 0.
    crc += static_cast<std::uint32_t>(length);
    return crc == 0 ? 1u : crc;
}
