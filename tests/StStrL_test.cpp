// Path-name helpers, hexadecimal formatters and the line formatter.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "StStrL/LineFormat.h"
#include "StStrL/StStrL.h"

namespace {

struct PathRow {
    std::string input, fileName, baseName, directory;
    bool hasExtension;
    int dot;
};

const PathRow PathRows[] = {
    {"C:\\banks\\live.PCG", "live.PCG", "live", "C:\\banks", true, 14},
    {"C:\\live.PCG", "live.PCG", "live", "C:\\", true, 8},
    {"C:live.PCG", "live.PCG", "live", "C:", true, 7},
    {"\\live.PCG", "live.PCG", "live", "\\", true, 6},
    {"live.set.PCG", "live.set.PCG", "live.set", "", true, 9},
    {"banks.old\\live", "live", "live", "banks.old", false, 6},
    {"banks\\", "", "", "banks", false, 0},
    {"C:\\", "", "", "C:\\", false, 0},
    {"C:", "", "", "C:", false, 0},
    {"song.", "song.", "song", "", true, 5},
    {".PCG", ".PCG", "", "", true, 1},
    {"", "", "", "", false, 0},
};

}   // namespace

TEST(PathHelpers, TableRowByRow)
{
    for (const PathRow& row : PathRows) {
        EXPECT_EQ(FileNameOf(row.input), row.fileName) << row.input;
        EXPECT_EQ(BaseNameOf(row.input), row.baseName) << row.input;
        EXPECT_EQ(DirectoryOf(row.input), row.directory) << row.input;
        std::int32_t dot = -1;
        EXPECT_EQ(HasExtension(row.input, dot), row.hasExtension) << row.input;
        EXPECT_EQ(dot, row.dot) << row.input;
    }
}

TEST(PathHelpers, TrailingDelimiter)
{
    EXPECT_EQ(WithTrailingDelimiter("C:"), "C:\\");
    EXPECT_EQ(WithTrailingDelimiter("C:\\"), "C:\\");
    EXPECT_EQ(WithTrailingDelimiter("banks"), "banks\\");
    EXPECT_EQ(WithTrailingDelimiter(""), "\\");
}

TEST(PathHelpers, LongFileNameIsCutTo260)
{
    const std::string name(300, 'n');
    EXPECT_EQ(FileNameOf("dir\\" + name), std::string(260, 'n'));
}

TEST(PathHelpers, BackslashAfterDotMeansNoExtension)
{
    std::int32_t dot = 0;
    EXPECT_FALSE(HasExtension("a.b\\c", dot));
    EXPECT_EQ(dot, 2);
    EXPECT_EQ(BaseNameOf("a.b\\c"), "c");
    // The colon is not looked for after the dot.
    EXPECT_TRUE(HasExtension("a.b:c", dot));
}

TEST(PathHelpers, SlashIsAnOrdinaryCharacter)
{
    EXPECT_EQ(DirectoryOf("a/b"), "");
    EXPECT_EQ(FileNameOf("a/b"), "a/b");
    EXPECT_EQ(BaseNameOf("banks/live.PCG"), "banks/live");
}

TEST(PathHelpers, NulIsADelimiter)
{
    const std::string path("ab\0cd", 5);
    EXPECT_EQ(FileNameOf(path), "cd");
    EXPECT_EQ(DirectoryOf(path), std::string("ab\0", 3));
}

TEST(CharInString, FindsAnywhereAndNeverInEmpty)
{
    EXPECT_TRUE(CharInString("*.PCG", '*'));
    EXPECT_TRUE(CharInString("banks\\a*", '*'));
    EXPECT_FALSE(CharInString("live?.PCG", '*'));
    EXPECT_FALSE(CharInString("", '*'));
}

TEST(HexFormat, WordAndLong)
{
    EXPECT_EQ(HexWord(175), "00AF");
    EXPECT_EQ(HexWord(0xFFFF), "FFFF");
    EXPECT_EQ(HexLong(131079), "00020007");
    EXPECT_EQ(HexLong(32768), "00008000");
    EXPECT_EQ(HexLong(4294967295u), "FFFFFFFF");
    EXPECT_EQ(HexLong(0), "00000000");
}

TEST(LineFormat, AgreesWithPrintf)
{
    for (std::uint32_t v : {0u, 7u, 0xAu, 127u, 999u, 1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        char want[64], got[64];
        std::snprintf(want, sizeof want, "%08X|%02X|%X|%03u|%u", v, v, v, v, v);
        char* out = PutHex(got, v, 8);
        *out++ = '|';
        out = PutHex(out, v, 2);
        *out++ = '|';
        out = PutHex(out, v);
        *out++ = '|';
        out = PutDec(out, v, 3);
        *out++ = '|';
        out = PutDec(out, v);
        *out = '\0';
        EXPECT_STREQ(want, got) << v;
    }
}

TEST(LineFormat, RightAlignedNeverCut)
{
    char buffer[64];
    for (const char* text : {"", "I-A", "U-AA", "Invalid: 5 (05)"}) {
        char want[64];
        std::snprintf(want, sizeof want, "%4s", text);
        *PutRight(buffer, text, std::char_traits<char>::length(text), 4) = '\0';
        EXPECT_STREQ(buffer, want);
    }
}
