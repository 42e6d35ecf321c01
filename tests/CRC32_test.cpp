// CRC-32 fingerprints: published register values, zero blocks, the wrap of the length.
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CRC32/CRC32.h"

namespace {

std::uint32_t CrcOfText(const std::string& text)
{
    return Crc32Of(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::int32_t>(text.size()));
}

std::uint32_t CrcOfZeros(std::int32_t length)
{
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(length));
    return Crc32Of(zeros.data(), length);
}

} // namespace

TEST(Crc32Of, WorkedValues)
{
    EXPECT_EQ(Crc32Of(nullptr, 0), 0xFFFFFFFFu);
    EXPECT_EQ(CrcOfText("abc"), 0xCADBBE40u);
    EXPECT_EQ(CrcOfText("123456789"), 0x340BC6E2u);
    EXPECT_EQ(CrcOfZeros(16), 0x1344B4BAu);
    EXPECT_EQ(CrcOfZeros(17), 0x36100E53u);
    EXPECT_EQ(CrcOfZeros(542), 0x1FBEDFAAu);
    EXPECT_EQ(CrcOfZeros(4960), 0x75944B80u);
    EXPECT_EQ(CrcOfZeros(7810), 0x3E46F431u);
    EXPECT_EQ(CrcOfZeros(32768), 0xFEE08359u);
}

TEST(Crc32Of, TableEntriesOneAndTwoFiftyFive)
{
    // One byte b from the start register gives table[0xFF ^ b] ^ 0x00FFFFFF, plus 1.
    const std::uint8_t toEntry1 = 0xFE;
    const std::uint8_t toEntry255 = 0x00;
    EXPECT_EQ(Crc32Of(&toEntry1, 1), (0x77073096u ^ 0x00FFFFFFu) + 1);
    EXPECT_EQ(Crc32Of(&toEntry255, 1), (0x2D02EF8Du ^ 0x00FFFFFFu) + 1);
}

TEST(Crc32Of, AnySingleByteChangeShows)
{
    std::vector<std::uint8_t> block(542);
    const std::uint32_t zero = Crc32Of(block.data(), 542);
    for (std::size_t i : {0u, 23u, 24u, 300u, 541u}) {
        block[i] = 1;
        EXPECT_NE(Crc32Of(block.data(), 542), zero) << i;
        block[i] = 0;
    }
}

TEST(Crc32Of, LengthAdditionWrapsAndNeverGivesZero)
{
    // Blocks whose register (the complement of the standard CRC-32) is 0xFFFFFFFC,
    // 0xFFFFFFFE and 0xFFFFFFFF; the added length 4 passes 2^32.
    const std::uint8_t toZero[] = {0x1F, 0x06, 0x3B, 0xDB};
    const std::uint8_t toTwo[] = {0xDC, 0x0C, 0xA8, 0xB6};
    const std::uint8_t toThree[] = {0x9D, 0x0A, 0xD9, 0x6D};
    EXPECT_EQ(Crc32Of(toZero, 4), 1u);
    EXPECT_EQ(Crc32Of(toTwo, 4), 2u);
    EXPECT_EQ(Crc32Of(toThree, 4), 3u);
}

TEST(Crc32Of, LengthOutOfRangeRaises)
{
    const std::vector<std::uint8_t> big(32769);
    EXPECT_THROW(Crc32Of(big.data(), 32769), std::range_error);
    EXPECT_THROW(Crc32Of(big.data(), -1), std::range_error);
    EXPECT_NO_THROW(Crc32Of(big.data(), 32768));
}
