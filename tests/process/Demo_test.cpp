// The demo file end to end, and the pcgwrite command that writes it.
#include <fstream>
#include <sstream>

#include "PcgDescription.h"
#include "PcgWriter.h"
#include "RunSupport.h"

namespace {

using Demo = ScratchDir;

std::string DemoDescription()
{
    std::ifstream in(DEMO_DESCRIPTION, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}   // namespace

TEST_F(Demo, ListsEveryBank)
{
    const std::string demo = pcgw::BuildFromDescription(DemoDescription());
    const std::string log = LogOf("Kronos_Demo.PCG", demo);
    // Full size and deterministic: the same description gives the same bytes.
    EXPECT_GT(demo.size(), 16u * 1000 * 1000);
    EXPECT_EQ(demo.substr(0, 6), std::string("KORG\x68\0", 6));
    EXPECT_EQ(demo.substr(16, 4), "PCG1");
    EXPECT_EQ(pcgw::BuildFromDescription(DemoDescription()), demo);
    const std::string opened = Lines({"Opened Kronos_Demo.PCG  Size: " + std::to_string(demo.size())});
    EXPECT_EQ(log.substr(0, opened.size()), opened);
    EXPECT_TRUE(EndsWith(log, Lines({"Closing: Kronos_Demo_out.txt", "Closing: Kronos_Demo_out.txt_sets.csv"})));
    EXPECT_EQ(Occurrences(log, "\r\nBankID: "), 10u);
    EXPECT_EQ(Occurrences(log, "\r\nHD1 Prog: PBK1 Bank Read: reading 634880 bytes into array\r\n"), 4u);
    EXPECT_EQ(Occurrences(log, "\r\nEXi Prog: MBK1 Bank Read: reading 634880 bytes into array\r\n"), 3u);
    EXPECT_EQ(Occurrences(log, "\r\nBank Read: reading 999680 bytes into array\r\n"), 3u);
    EXPECT_EQ(Occurrences(log, "Error"), 0u);
    for (const char* skipped : {"Enter Parse_Chunk with DKT1", "L2: Skipping over WSQ1 chunk. ",
                                "Enter Parse_Chunk with ARP1", "Enter Parse_Chunk with GLB1"})
        EXPECT_NE(log.find(skipped), std::string::npos) << skipped;
    const std::string report = Read("Kronos_Demo_out.txt");
    EXPECT_EQ(CountLines(report), 16512u + 10 * 128);
    EXPECT_EQ(Occurrences(report, "\r\nPROGRAM "), 7u * 128);
    EXPECT_EQ(Occurrences(report, "\r\nCOMBI   "), 3u * 128);
    EXPECT_EQ(CountLines(Read("Kronos_Demo_out.txt_sets.csv")), 16384u);
}

TEST_F(Demo, PcgwriteCommandWritesWhatTheDescriptionSays)
{
    Write("small.pcgdesc", "file 68\ncontainer\nchunk GLB1\n  text \"hi\"\nend\n");
    EXPECT_EQ(RunProgram(PCGWRITE_EXE, {"small.pcgdesc", "small.PCG"}).status, 0);
    EXPECT_EQ(Read("small.PCG"), pcgw::PcgFile(pcgw::Chunk("GLB1", "hi")));

    Write("bad.pcgdesc", "file 68\nchunk GLB1\n");
    const RunResult bad = RunProgram(PCGWRITE_EXE, {"bad.pcgdesc", "bad.PCG"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("chunk GLB1 has no 'end'"), std::string::npos) << bad.err;
    EXPECT_FALSE(Exists("bad.PCG"));
    EXPECT_EQ(RunProgram(PCGWRITE_EXE, {}).status, 2);
}
