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
    const std::string page = scry::GigPage(small, scry::SetListOf(small, 0));
    EXPECT_NE(page.find("<meta name=\"generator\" content=\"scry"), std::string::npos);
    EXPECT_NE(page.find("<body class=\"gigpage\"><h1>Set list 000: Friday</h1><table class=\"gig\">"),
              std::string::npos);
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
