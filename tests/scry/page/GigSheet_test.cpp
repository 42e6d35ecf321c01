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
    EXPECT_NE(page.find("<th>Slot</th><th>Name</th><th>Plays</th><th>Transpose</th><th>Volume</th>"),
              std::string::npos);
    EXPECT_EQ(Rows(page), 3u);
    EXPECT_NE(page.find("<tr><td>000</td><td>Piano</td><td>Prog I-A005 Prog 5</td><td>1</td><td>127</td></tr>"),
              std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    // More than 16 used slots: a smaller type, to keep 24 on one page.
    Small full;
    for (std::size_t j = 3; j < 24; ++j)
        SetSlot(full.setLists, 0, j, "Song " + std::to_string(j), PackSlot(1, 0, 0, 0, 0, 7, 0, 100, 0));
    const scry::FileModel fullModel = full.Model();
    const std::string long24 = scry::GigPage(fullModel, scry::SetListOf(fullModel, 0));
    EXPECT_EQ(Rows(long24), 24u);
    EXPECT_NE(long24.find("<table class=\"gig long\">"), std::string::npos);
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
