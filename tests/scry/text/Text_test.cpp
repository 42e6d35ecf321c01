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
}
