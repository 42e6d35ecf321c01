// The portable platform parts: wildcard matching, streams over bytes in memory, and a new
// file's pieces over its source.
#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Platform/Platform.h"

TEST(WildcardMatch, Table)
{
    const struct {
        const char* pattern;
        std::string name;
        bool matches;
    } cases[] = {
        {"*", "live.PCG", true},
        {"*", "", true},
        {"*", ".hidden", true},   // a leading dot is an ordinary byte
        {"", "", true},
        {"", "a", false},
        {"?", "", false},
        {"?", "a", true},
        {"?", "ab", false},
        {"*.PCG", "live.PCG", true},
        {"*.PCG", "live.pcg", false},   // bytes, so case counts
        {"*.PCG", "live.PCG.bak", false},
        {"*.PCG", ".PCG", true},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"**?", "x", true},
        {"l?ve*", "love songs.PCG", true},
        {"\xE9t\xE9*", "\xE9t\xE9 2026.PCG", true},   // bytes of 0x80 and above match themselves
        {"?t?*", "\xE9t\xE9", true},
        {"\xE9*", "e\xCC\x81", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << '"' << c.pattern << "\" on \"" << c.name << '"';
}

TEST(MemoryInput, ReadsSeeksAndEndsLikeAFile)
{
    const std::string bytes = "0123456789";
    std::unique_ptr<InputStream, decltype(&CloseInput)> stream(OpenMemoryInput(bytes.data(), bytes.size(), "m"),
                                                               &CloseInput);
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(InputSize(*stream), 10);
    EXPECT_EQ(InputRead(*stream, buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    InputSeek(*stream, 4, false);
    EXPECT_EQ(InputPosition(*stream), 8);
    // A short read at the end; bytes past the count read stay as they were.
    EXPECT_EQ(InputRead(*stream, buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 8), "8923xxxx");
    EXPECT_EQ(InputPosition(*stream), 10);
    // Beyond the end is allowed; reads there give nothing.
    InputSeek(*stream, std::int64_t{1} << 40, true);
    EXPECT_EQ(InputPosition(*stream), std::int64_t{1} << 40);
    EXPECT_EQ(InputRead(*stream, buffer, 8), 0u);
    InputSeek(*stream, -(std::int64_t{1} << 40) + 1, false);
    EXPECT_EQ(InputRead(*stream, buffer, 1), 1u);
    EXPECT_EQ(buffer[0], '1');
    EXPECT_THROW(InputSeek(*stream, -3, false), std::system_error);
    EXPECT_FALSE(IsInputFile(*stream, "m"));
}

TEST(PiecedInput, ReadsTheSourceWithItsPiecesOverItAndClosesNothingOfIt)
{
    const std::string bytes = "0123456789abcdef";
    std::unique_ptr<InputStream, decltype(&CloseInput)> source(OpenMemoryInput(bytes.data(), bytes.size(), "src"),
                                                               &CloseInput);
    const InputPieces pieces = {{2, "XY"}, {6, "Z"}, {14, "!?"}};
    std::unique_ptr<InputStream, decltype(&CloseInput)> made(OpenPiecedInput(*source, pieces, "made"), &CloseInput);
    EXPECT_EQ(InputSize(*made), 16);
    char whole[17] = {};
    EXPECT_EQ(InputReadAt(*made, 0, whole, 16), 16u);
    EXPECT_EQ(std::string(whole, 16), "01XY45Z789abcd!?");
    // Reads that start or end inside a piece, and a read in steps through the stream's position.
    char part[4] = {};
    EXPECT_EQ(InputReadAt(*made, 3, part, 4), 4u);
    EXPECT_EQ(std::string(part, 4), "Y45Z");
    EXPECT_EQ(InputReadAt(*made, 13, part, 4), 3u);
    EXPECT_EQ(std::string(part, 3), "d!?");
    InputSeek(*made, 5, true);
    EXPECT_EQ(InputRead(*made, part, 2), 2u);
    EXPECT_EQ(std::string(part, 2), "5Z");
    EXPECT_EQ(InputPosition(*made), 7);
    // Its bytes never lie anywhere whole: every read goes through the pieces.
    EXPECT_EQ(InputMemoryBytesAt(*made, 8, 2), nullptr);
    InputHold hold;
    EXPECT_EQ(InputBytesAt(*made, 8, 2, hold), nullptr);
    EXPECT_FALSE(IsInputFile(*made, "src"));
    // Closing it leaves its source readable.
    made.reset();
    EXPECT_EQ(InputReadAt(*source, 2, part, 2), 2u);
    EXPECT_EQ(std::string(part, 2), "23");
}
