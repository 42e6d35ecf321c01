// scry gig: one set list's gig sheet as a page of its own.
#include "ScrySupport.h"
#include "page/GigSheet.h"

using namespace pcgw;

namespace {

std::size_t Rows(const std::string& page)
{
    std::size_t rows = 0;
    for (std::size_t at = page.find("<tr><td>"); at != std::string::npos; at = page.find("<tr><td>", at + 1))
        ++rows;
    return rows;
}

}   // namespace

TEST(ScryGig, UsedSlotsInLargeType)
{
    const scry::FileModel small = Small().Model();
    const std::string page = scry::GigPage(small, scry::SetListOf(small, 0), false, "2026-12-09");
    EXPECT_NE(page.find("<meta name=\"generator\" content=\"scry"), std::string::npos);
    // A title block: the set list, the file, the day it was last changed, its used slots.
    EXPECT_NE(page.find("<body class=\"gigpage\"><header class=\"gig-head\"><h1>Set list 000: Friday</h1><p>small.PCG "
                        "\xC2\xB7 last changed 2026-12-09 \xC2\xB7 3 slots</p></header><table class=\"gig stacked\" "
                        "style=\"--print-size:26.1pt\">"),
              std::string::npos)
        << page;
    // A heading that breaks at its syllable on a narrow screen, a place kept on one line.
    EXPECT_NE(page.find("<th>Slot</th><th>Name</th><th>Plays</th><th>Trans\xC2\xADpose</th><th>Volume</th>"),
              std::string::npos);
    EXPECT_EQ(Rows(page), 3u);
    EXPECT_NE(page.find("<tr><td>000</td><td>Piano</td><td><span class=\"place\">Prog I-A005</span> Prog 5</td>"
                        "<td>1</td><td>127</td></tr>"),
              std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    // Compact, for up to 64 used slots on a page.
    EXPECT_NE(scry::GigPage(small, scry::SetListOf(small, 0), true).find("<body class=\"gigpage compact\">"),
              std::string::npos);
}

// The printed type: as large as the page allows for the rows, small enough for the longest row
// on one line; a short list of long names stacks what a slot plays under its name; past 24
// rows (64 compact) a second page.
TEST(ScryGig, PrintedTypeFitsTheRowsAndTheLongestLine)
{
    Small small;
    const auto sized = [&](std::size_t rows, const std::string& name, bool compact) {
        small.setLists = Records(pcgw::SetListSize);
        for (std::size_t j = 0; j < rows; ++j)
            SetSlot(small.setLists, 0, j, name, PackSlot(1, 0, 0, 0, 0, 5, 0, 100, 0));
        const scry::FileModel model = small.Model();
        return scry::GigPrintOf(model, scry::SetListOf(model, 0), compact);
    };
    const scry::GigPrint few = sized(3, "Piano", false), full = sized(24, "Piano", false);
    EXPECT_LT(full.points, few.points);   // 24 rows take more of the page's height
    EXPECT_EQ(full.pages, 1u);
    // Each row of 24 on one line: names of 24 bytes make the type smaller than short ones do.
    const scry::GigPrint longNames = sized(24, std::string(24, 'W'), false);
    EXPECT_LT(longNames.points, full.points);
    EXPECT_FALSE(longNames.stacked);
    // Eight long names: what each plays under its name, in type a quarter larger at least.
    const scry::GigPrint shortList = sized(8, std::string(24, 'W'), false);
    EXPECT_TRUE(shortList.stacked);
    EXPECT_GE(shortList.points, 1.25 * longNames.points);
    // Past a page.
    EXPECT_EQ(sized(30, "Piano", false).pages, 2u);
    EXPECT_EQ(sized(64, "Piano", true).pages, 1u);
    EXPECT_EQ(sized(65, "Piano", true).pages, 2u);
    EXPECT_FALSE(sized(8, std::string(24, 'W'), true).stacked);
}

TEST(ScryStage, EverySetListThatPlaysSomethingFromTheOneAsked)
{
    Small small;
    SetName(small.setLists, pcgw::SetListSize * 4, "Encore");
    SetSlot(small.setLists, 4, 9, "Last One", PackSlot(1, 3, 0, 0, 2, 7, 0, 111, 0));
    const scry::FileModel model = small.Model();
    const std::string page = scry::StagePage(model, scry::SetListOf(model, 4));
    EXPECT_NE(page.find("<body class=\"stagepage\">"), std::string::npos);
    // A jump list of the set lists that play something, and each one's cards.
    EXPECT_NE(page.find("<li><a href=\"#stage000\">000 Friday</a></li><li><a href=\"#stage004\">004 Encore</a></li>"),
              std::string::npos)
        << page.substr(0, 2000);
    EXPECT_NE(page.find("<section class=\"stage-set\" id=\"stage004\" data-start>"), std::string::npos);
    EXPECT_NE(page.find("<li class=\"card\"><span class=\"num\">009</span><b>Last One</b><i><span class=\"place\">"
                        "Prog I-A007</span> Prog 7</i><small>transpose\xC2\xA0"
                        "2 \xC2\xB7 volume\xC2\xA0"
                        "111</small></li>"),
              std::string::npos);
    EXPECT_NE(page.find("<script>"), std::string::npos);   // moved through by its script
}

TEST_F(ScryFiles, GigPageBesideTheInput)
{
    Write("live.PCG", Small().Bytes());
    ScryRun run = Run({"gig", "live.PCG", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "scry: wrote live_gig_000.html\n");
    EXPECT_EQ(Read("live_gig_000.html").rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(Run({"gig", "live.PCG", "128"}).status, 2);
    Write("none.PCG", PcgFile(Chunk("GLB1", "g")));
    run = Run({"gig", "none.PCG", "0"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: none.PCG holds no set lists\n");
    run = Run({"gig", "live.PCG", "3", "-o", "-"});
    EXPECT_NE(run.out.find("No slot of this set list is used."), std::string::npos);
}

TEST_F(ScryFiles, StagePageBesideTheInputNeverOverAnotherFile)
{
    Write("live.PCG", Small().Bytes());
    ScryRun run = Run({"stage", "live.PCG", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "scry: wrote live_stage_000.html\n");
    EXPECT_NE(Read("live_stage_000.html").find("<body class=\"stagepage\">"), std::string::npos);
    // Written again over its own page; a text someone keeps there is left alone.
    EXPECT_EQ(Run({"stage", "live.PCG", "0"}).status, 0);
    Write("live_stage_001.html", "my notes\n");
    run = Run({"stage", "live.PCG", "1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Read("live_stage_001.html"), "my notes\n");
    EXPECT_EQ(Run({"stage", "live.PCG", "128"}).status, 2);
}

// scry gig says when the sheet takes a second page, and writes it all the same; its title block
// has the day the file was last changed.
TEST_F(ScryFiles, GigWarnsOfASecondPage)
{
    Small small;
    for (std::size_t j = 0; j < 30; ++j)
        SetSlot(small.setLists, 1, j, "Song " + std::to_string(j), PackSlot(1, 0, 0, 0, 0, 5, 0, 100, 0));
    Write("live.PCG", small.Bytes());
    ScryRun run = Run({"gig", "live.PCG", "1", "-o", "long.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "scry: warning: set list 001 has 30 used slots: its gig sheet takes 2 A4 pages (24 fit on one; "
                       "--compact fits 64)\nscry: wrote long.html\n");
    EXPECT_TRUE(Exists("long.html"));
    EXPECT_NE(Read("long.html").find(" \xC2\xB7 last changed 20"), std::string::npos);
    run = Run({"gig", "live.PCG", "1", "--compact", "-o", "compact.html"});
    EXPECT_EQ(run.err, "scry: wrote compact.html\n");
    run = Run({"gig", "live.PCG", "0", "-o", "short.html"});
    EXPECT_EQ(run.err, "scry: wrote short.html\n");
}
