// The demo file end to end, and the pcgwrite command that writes it.
#include <fstream>
#include <sstream>

#include <sys/wait.h>

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

std::size_t Count(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

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
    EXPECT_EQ(Count(log, "\r\nBankID: "), 10u);
    EXPECT_EQ(Count(log, "\r\nHD1 Prog: PBK1 Bank Read: reading 634880 bytes into array\r\n"), 4u);
    EXPECT_EQ(Count(log, "\r\nEXi Prog: MBK1 Bank Read: reading 634880 bytes into array\r\n"), 3u);
    EXPECT_EQ(Count(log, "\r\nBank Read: reading 999680 bytes into array\r\n"), 3u);
    EXPECT_EQ(Count(log, "Error"), 0u);
    for (const char* skipped : {"Enter Parse_Chunk with DKT1", "L2: Skipping over WSQ1 chunk. ",
                                "Enter Parse_Chunk with ARP1", "Enter Parse_Chunk with GLB1"})
        EXPECT_NE(log.find(skipped), std::string::npos) << skipped;
    const std::string report = Read("Kronos_Demo_out.txt");
    EXPECT_EQ(CountLines(report), 16512u + 10 * 128);
    EXPECT_EQ(Count(report, "\r\nPROGRAM "), 7u * 128);
    EXPECT_EQ(Count(report, "\r\nCOMBI   "), 3u * 128);
    EXPECT_EQ(CountLines(Read("Kronos_Demo_out.txt_sets.csv")), 16384u);
}

TEST_F(Demo, PcgwriteCommandWritesWhatTheDescriptionSays)
{
    Write("small.pcgdesc", "file 68\ncontainer\nchunk GLB1\n  text \"hi\"\nend\n");
    const std::string in = Path("small.pcgdesc").string(), out = Path("small.PCG").string();
    EXPECT_EQ(Shell(std::string(PCGWRITE_EXE) + " '" + in + "' '" + out + "'"), 0);
    EXPECT_EQ(Read("small.PCG"), pcgw::PcgFile(pcgw::Chunk("GLB1", "hi")));

    Write("bad.pcgdesc", "file 68\nchunk GLB1\n");
    const std::string bad = Path("bad.pcgdesc").string(), err = Path("err.txt").string();
    EXPECT_EQ(Shell(std::string(PCGWRITE_EXE) + " '" + bad + "' '" + Path("bad.PCG").string() + "' 2>'" + err + "'"), 1);
    EXPECT_NE(Read("err.txt").find("chunk GLB1 has no 'end'"), std::string::npos) << Read("err.txt");
    EXPECT_FALSE(Exists("bad.PCG"));
    EXPECT_EQ(Shell(std::string(PCGWRITE_EXE) + " 2>/dev/null"), 2);
}
