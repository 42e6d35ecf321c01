// CRC-32 fingerprints: published register values, zero blocks, the wrap of the length.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "CRC32/CRC32.h"
#include "CRC32/CRC32_paths.h"
#include "PcgWriter.h"

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

}   // namespace

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

namespace {

// Random bytes with a seed, so a failing length can be replayed.
std::vector<std::uint8_t> RandomBytes(std::size_t length, unsigned seed)
{
    std::vector<std::uint8_t> bytes(length);
    pcgw::Random random(seed * 2654435761u + 1);
    for (std::uint8_t& byte : bytes)
        byte = random.NextByte();
    return bytes;
}

}   // namespace

// Every path against the byte-wise step on every length from 0 to 32768, at two alignments.
// The reference for length n is the byte-wise register after the first n bytes.
TEST(Crc32Paths, AgreeWithTheBytewiseStepOnEveryLength)
{
    using Path = std::uint32_t (*)(const std::uint8_t*, std::size_t);
    const std::pair<const char*, Path> paths[] = {{"sliced", crc32::RegisterSliced},
                                                  {"pclmulqdq", crc32::RegisterClmul},
                                                  {"vpclmulqdq", crc32::RegisterWideClmul}};
    constexpr std::size_t MaxBlock = MaxCrcBlock;
    for (const std::size_t offset : {0u, 7u}) {
        const std::vector<std::uint8_t> bytes = RandomBytes(MaxBlock + offset, static_cast<unsigned>(offset));
        const std::uint8_t* block = bytes.data() + offset;
        std::uint32_t reference = crc32::RegisterBytewise(block, 0);
        for (std::size_t length = 0; length <= MaxBlock; ++length) {
            if (length > 0) {
                // One more byte-wise step from the register of the shorter prefix.
                const std::uint8_t byte = block[length - 1];
                std::uint32_t crc = reference ^ byte;
                for (int bit = 0; bit < 8; ++bit)
                    crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
                reference = crc;
            }
            for (const auto& [name, path] : paths)
                ASSERT_EQ(path(block, length), reference) << name << ", length " << length << ", offset " << offset;
        }
        EXPECT_EQ(reference, crc32::RegisterBytewise(block, MaxBlock));
    }
}

TEST(Crc32Paths, Crc32OfTakesTheActivePath)
{
    const std::vector<std::uint8_t> record = RandomBytes(4960, 3);
    EXPECT_EQ(Crc32Of(record.data(), 4960), crc32::RegisterBytewise(record.data(), 4960) + 4960);
    const std::string active = crc32::ActivePathName();
    if (crc32::WideClmulAvailable())
        EXPECT_EQ(active, "vpclmulqdq");
    else if (crc32::ClmulAvailable())
        EXPECT_EQ(active, crc32::ClmulPathName());
    else
        EXPECT_EQ(active, "sliced");
    EXPECT_TRUE(std::string(crc32::ClmulPathName()) == "pclmulqdq" || std::string(crc32::ClmulPathName()) == "pmull" ||
                std::string(crc32::ClmulPathName()) == "none");
    if (!crc32::ClmulAvailable())
        GTEST_LOG_(INFO) << "no carry-less multiply on this CPU: its paths were checked as the sliced fallback";
}

// A record's register from those of its name and of the rest: every split of random blocks.
TEST(Crc32Paths, CombinedRegistersEqualTheWholeBlocks)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(8000, 11);
    for (const std::size_t length : {0u, 1u, 24u, 542u, 4960u, 7810u}) {
        for (const std::size_t split : {std::size_t{0}, std::size_t{1}, std::size_t{24}, length / 2, length}) {
            if (split > length)
                continue;
            const std::uint32_t a = crc32::RegisterBytewise(bytes.data(), split);
            const std::uint32_t b = crc32::RegisterBytewise(bytes.data() + split, length - split);
            EXPECT_EQ(crc32::CombineRegisters(a, b, length - split), crc32::RegisterBytewise(bytes.data(), length))
                << length << " split at " << split;
        }
    }
    EXPECT_EQ(crc32::FingerprintOf(crc32::Register(bytes.data(), 4960), 4960), Crc32Of(bytes.data(), 4960));
}

// The four fingerprints of a split are those of the four blocks taken alone.
TEST(Crc32OfSplit, EachPartIsItsBlocksFingerprint)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(8000, 12);
    const auto of = [&](std::size_t from, std::size_t to) {
        return Crc32Of(bytes.data() + from, static_cast<std::int32_t>(to - from));
    };
    for (const auto& [length, head, tail] :
         {std::tuple{542, 24, 30}, {542, 0, 0}, {542, 542, 542}, {4960, 24, 24}, {7, 3, 5}}) {
        const Crc32Split split = Crc32OfSplit(bytes.data(), length, head, tail);
        EXPECT_EQ(split.whole, of(0, length));
        EXPECT_EQ(split.head, of(0, head));
        EXPECT_EQ(split.rest, of(head, length));
        EXPECT_EQ(split.tail, of(tail, length)) << length << " " << head << " " << tail;
        EXPECT_EQ(Crc32RunFinish(split.run, static_cast<std::uint64_t>(length)), split.whole);
        EXPECT_EQ(Crc32RunFinish(Crc32OfParts(bytes.data(), length, head).run, static_cast<std::uint64_t>(length)),
                  split.whole);
    }
    EXPECT_THROW(Crc32OfSplit(bytes.data(), 542, 30, 24), std::range_error);
}

// A run joined from pieces, each a run of its own, is the run fed with every piece in turn,
// whatever the cuts: none, at the first or last byte, pieces longer than a block.
TEST(Crc32Run, JoinedPiecesAreTheRunFedWhole)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(200000, 13);
    const std::uint32_t fed = Crc32RunFeed(Crc32RunStart, bytes.data(), bytes.size());
    for (const std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{542}, std::size_t{69416},
                                  std::size_t{199999}, std::size_t{200000}}) {
        const std::uint32_t a = Crc32RunFeed(Crc32RunStart, bytes.data(), cut);
        const std::uint32_t b = Crc32RunFeed(Crc32RunStart, bytes.data() + cut, bytes.size() - cut);
        EXPECT_EQ(Crc32RunJoin(a, b, bytes.size() - cut), fed) << "cut at " << cut;
    }
    // Three pieces joined left to right, and a block of 32768 bytes known by its fingerprint.
    std::uint32_t reg = Crc32RunStart;
    for (std::size_t at = 0; at < bytes.size(); at += 70000) {
        const std::size_t length = std::min<std::size_t>(70000, bytes.size() - at);
        reg = Crc32RunJoin(reg, Crc32RunFeed(Crc32RunStart, bytes.data() + at, length), length);
    }
    EXPECT_EQ(reg, fed);
    EXPECT_EQ(Crc32RunFinish(Crc32RunFeed(Crc32RunStart, bytes.data(), 32768), 32768), Crc32Of(bytes.data(), 32768));
}
