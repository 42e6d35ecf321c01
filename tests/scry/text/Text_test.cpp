// Names and texts as scry shows them: converted once, and escaped where they would break a line
// or reach a terminal as a command.
#include "ScrySupport.h"
#include "text/Text.h"

TEST(ScryText, RecordNamesAreLatin1ShownAsUtf8)
{
    EXPECT_EQ(scry::Utf8("Caf\xE9 <&>"), "Caf\xC3\xA9 <&>");
    EXPECT_EQ(scry::Utf8("\xFF\xA0"), "\xC3\xBF\xC2\xA0");
    EXPECT_EQ(scry::LineName("Caf\xE9"), "Caf\xC3\xA9");
}

TEST(ScryText, LineNameEscapesControlsQuotesAndBackslashes)
{
    const struct {
        const char* bytes;
        const char* shown;
    } cases[] = {
        {"a\nb", "a\\x0Ab"},
        {"esc\x1B[2J", "esc\\x1B[2J"},
        {"del\x7F", "del\\x7F"},
        {"next\x85line", "next\\x85line"},   // C1 NEL: a line break to some readers
        {"csi\x9B"
         "31m",
         "csi\\x9B31m"},   // C1 CSI: starts a terminal command
        {"\x80\x9F\xA0", "\\x80\\x9F\xC2\xA0"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\banks", "C:\\\\banks"},
        {"plain name", "plain name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scry::LineName(c.bytes), c.shown) << c.bytes;
    EXPECT_EQ(scry::Quoted("AB\\"), "\"AB\\\\\"");
}

TEST(ScryText, TextsOfTheCommandLineStayAsTheyAre)
{
    // A UTF-8 file name is shown as itself, never converted a second time.
    EXPECT_EQ(scry::LineText("Caf\xC3\xA9 M\xC3\xBCller.PCG"), "Caf\xC3\xA9 M\xC3\xBCller.PCG");
    EXPECT_EQ(scry::LineText("C:\\banks\\live.PCG"), "C:\\banks\\live.PCG");
    EXPECT_EQ(scry::LineText("bad\nname\x1B"), "bad\\x0Aname\\x1B");
    EXPECT_EQ(scry::LineText("csi\xC2\x9B"
                             "31m"),
              "csi\\u009B31m");
    EXPECT_EQ(scry::SourceName("-"), "standard input");
    // Bytes that are no part of UTF-8 (a Latin-1 name, a raw C1 control) never reach a terminal
    // as they are; UTF-8 of three and four bytes is kept.
    EXPECT_EQ(scry::LineText("Caf\xE9 \x9B" "31m.PCG"), "Caf\\xE9 \\x9B31m.PCG");
    EXPECT_EQ(scry::LineText("\xE2\x82\xAC \xF0\x9F\x8E\xB9"), "\xE2\x82\xAC \xF0\x9F\x8E\xB9");
    EXPECT_EQ(scry::LineText("cut \xE2\x82"), "cut \\xE2\\x82");
    EXPECT_EQ(scry::LineText("overlong \xC0\xAF, surrogate \xED\xA0\x80"),
              "overlong \\xC0\\xAF, surrogate \\xED\\xA0\\x80");
}

// A file name for JSON: itself where it is UTF-8, else escaped so that every byte can be had back.
TEST(ScryText, FileNamesThatAreNoUtf8AreEscapedForJson)
{
    bool escaped = true;
    EXPECT_EQ(scry::JsonFileName("C:\\banks\\Caf\xC3\xA9.PCG", escaped), "C:\\banks\\Caf\xC3\xA9.PCG");
    EXPECT_FALSE(escaped);
    EXPECT_EQ(scry::JsonFileName("back\\slash Caf\xE9.PCG", escaped), "back\\\\slash Caf\\xE9.PCG");
    EXPECT_TRUE(escaped);
    // Two names that differ only in a byte that is no UTF-8 stay apart.
    EXPECT_NE(scry::JsonFileName("a\xE9.PCG", escaped), scry::JsonFileName("a\xE8.PCG", escaped));
    EXPECT_TRUE(scry::IsUtf8(""));
    EXPECT_FALSE(scry::IsUtf8("\xF5\x80\x80\x80"));
}
