// scry show and textconv: the lines a person and git read.
#include <algorithm>

#include "ScrySupport.h"
#include "text/Show.h"

using namespace pcgw;

TEST(ScryShow, SetListsBanksAndChunksLineByLine)
{
    std::string out;
    scry::WriteShow(out, Small().Model());
    const Texts lines = SplitLines(out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "FILE small.PCG  " + std::to_string(Small().Bytes().size()) + " bytes, Kronos format");
    EXPECT_EQ(lines[2].rfind("SETLIST 000 \"Friday\"  EQ ", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3].rfind("000/000  \"Piano\"  Prog I-A005 \"Prog 5\"  color 2 orange, font 1, transpose 1, hold 3, "
                             "volume 127, kbd track 0  ",
                             0),
              0u)
        << lines[3];
    EXPECT_EQ(lines[5].rfind("000/002  \"Split\"  Combi I-A000 \"Combi Zero\"  color 1 red, font 0", 0), 0u)
        << lines[5];
    // Unused slots only with all.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string()), 128 + 3);
    std::string all;
    scry::WriteShow(all, Small().Model(), true);
    EXPECT_GT(SplitLines(all).size(), lines.size() + 16000);
    EXPECT_NE(out.find("\nPROGRAM BANK I-A (PBK1)\nI-A000  "), std::string::npos);
    EXPECT_NE(out.find("\nCOMBI BANK I-A (CBK1)\nI-A000  "), std::string::npos);
    EXPECT_NE(out.find("\nCHUNK GLB1 (global settings)  offset "), std::string::npos);
}

TEST(ScryShow, TextconvHasNoFileLineAndSaysProblems)
{
    std::string whole;
    scry::WriteShow(whole, Small().Model(), false, true);
    EXPECT_EQ(whole.rfind("\nSETLIST 000", 0), 0u) << whole.substr(0, 80);
    Small small;
    small.extra = ChunkHead("DKT1", 1000) + "kit";
    std::string cut;
    scry::WriteShow(cut, small.Model(), false, true);
    EXPECT_EQ(cut.rfind("PROBLEM the file ends inside chunk DKT1", 0), 0u) << cut.substr(0, 80);
    EXPECT_NE(cut.find("  CUT SHORT\n"), std::string::npos);
}

// Everything from the file is escaped: an id with a line break and an escape byte stays on one line.
TEST(ScryShow, IdsAndNamesFromTheFileAreEscaped)
{
    Small small;
    small.extra = ChunkHead("X\nY\x1B", 100);
    SetSlot(small.setLists, 0, 3, "Say \"hi\"\x9B", PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    std::string out;
    scry::WriteShow(out, small.Model());
    EXPECT_EQ(out.find('\x1B'), std::string::npos);
    EXPECT_EQ(out.find("\xC2\x9B"), std::string::npos);
    EXPECT_NE(out.find("PROBLEM the file ends inside chunk X\\x0AY\\x1B at offset"), std::string::npos);
    EXPECT_NE(out.find("CHUNK X\\x0AY\\x1B (unknown)  offset "), std::string::npos);
    EXPECT_NE(out.find("000/003  \"Say \\\"hi\\\"\\x9B\"  Prog I-A001"), std::string::npos);
}

TEST(ScryShow, WhatCannotBeReadIsSaid)
{
    const std::string whole = Small().Bytes();
    std::string out;
    scry::WriteShow(out, scry::ReadModelOfBytes("cut.PCG", whole.substr(0, 64 + SlotOffset(2, 0))));
    EXPECT_NE(out.find("\n002/000 and after: NOT READABLE (the file ends before them)\n"), std::string::npos);
    EXPECT_EQ(out.find("SETLIST 003"), std::string::npos);
    std::string padded;
    scry::WriteShow(padded, scry::ReadModelOfBytes("p.PCG", PcgFile(std::string(24, '\0'))));
    EXPECT_NE(padded.find("PROBLEM zero padding from offset 28, 24 bytes\n"), std::string::npos);
    EXPECT_NE(padded.find("CHUNK (zero padding)  offset 28  size 24  "), std::string::npos);
}

// What slot 5 of set list 3 plays, without grep.
TEST_F(ScryFiles, ShowOneSetListOrOneSlot)
{
    Write("gig.PCG", Small().Bytes());
    ScryRun run = Run({"show", "gig.PCG", "--setlist", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    const Texts lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2].rfind("SETLIST 000 \"Friday\"  EQ ", 0), 0u);
    EXPECT_EQ(lines[5].rfind("000/002  \"Split\"  Combi I-A000 \"Combi Zero\"", 0), 0u);
    run = Run({"show", "gig.PCG", "--setlist", "0", "--slot", "1"});
    EXPECT_EQ(SplitLines(run.out).size(), 4u);
    EXPECT_EQ(SplitLines(run.out)[3].rfind("000/001  \"Pad\"  Prog I-A006 \"Prog 6\"  color 4", 0), 0u) << run.out;
    // An unused slot asked for by number says so, never what its zero bytes would play.
    run = Run({"show", "gig.PCG", "--setlist", "5", "--slot", "9"});
    EXPECT_EQ(SplitLines(run.out).back(), "005/009  unused") << run.out;
    EXPECT_EQ(Run({"show", "gig.PCG", "--slot", "1"}).status, 2);
    EXPECT_EQ(Run({"show", "gig.PCG", "--setlist", "128"}).status, 2);
}
