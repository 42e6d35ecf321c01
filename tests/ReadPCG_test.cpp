// The file header checks and the top-level walk, line by line.
#include "PcgWriter.h"
#include "TestSupport.h"

using namespace pcgw;

namespace {

using ReadPCG = InMemoryRun;

const std::string Closing = ClosingLines("f_out.txt");

std::string Opened(std::size_t size) { return OpenedLine("f.PCG", size); }

}   // namespace

TEST_F(ReadPCG, BrokenHeaders)
{
    const struct {
        std::string bytes;
        std::string log;
    } cases[] = {
        {"KORG\x68", Lines({"PCG file does not have a valid KORG header."})},
        {std::string("KORG\x50\x01", 6) + std::string(10, '\0'),
         Lines({"PCG file does not have a valid KORG header."})},
        {"KORD" + FileHeader().substr(4), Lines({"PCG file does not have a valid KORG header."})},
        {FileHeader(0x51), Lines({"This PCG is not in Triton or Kronos format, so can't read it."})},
        {FileHeader(0x00), Lines({"This PCG is not in Triton or Kronos format, so can't read it."})},
        {FileHeader(), Lines({"PCGChunk PCG1:   Name:   Size: 0 (0x0)", "PCG file does not have a valid PCG header."})},
        {FileHeader() + Chunk("PCG2", ""),
         Lines({"PCGChunk PCG1:   Name: PCG2  Size: 0 (0x0)", "PCG file does not have a valid PCG header."})},
        // A container header cut short: the id came, the rest of the buffer stays zero.
        {FileHeader() + "PCG1\x00\x00",
         Lines({"PCGChunk PCG1:   Name: PCG1  Size: 0 (0x0)", "PCG file does not have a valid PCG header."})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogOf("f.PCG", c.bytes), Opened(c.bytes.size()) + c.log + Closing) << c.log;
        EXPECT_EQ(Read("f_out.txt"), "");
        EXPECT_EQ(Read("f_out.txt_sets.csv"), "");
    }
}

TEST_F(ReadPCG, EmptyContainerInBothFormats)
{
    for (std::uint8_t format : {0x50, 0x68}) {
        const std::string file = PcgFile("", format);
        EXPECT_EQ(LogOf("f.PCG", file), Opened(28) +
                                            Lines({"PCGChunk PCG1:   Name: PCG1  Size: 0 (0x0)",
                                                   " Start 2nd level parsing...", " File contains no more programs."}) +
                                            Closing);
    }
}

TEST_F(ReadPCG, TopLevelOnlyListsEveryChunk)
{
    const std::string file = PcgFile(Chunk("SLS1", std::string(1234, 'x')) + Chunk("GLB1", "0123456789"));
    EXPECT_EQ(LogOf("f.PCG", file, {"-t"}),
              Opened(file.size()) +
                  Lines({"PCGChunk PCG1:   Name: PCG1  Size: 1268 (0x4F4)", " Start 2nd level parsing...",
                         "   Name: SLS1  Size: 1234 (0x4D2)", "L2: Skipping over SLS1 chunk. ",
                         "Seeking  1234 (4D2) bytes --  Next:  GLB1 ", "   Name: GLB1  Size: 10 (0xA)",
                         "L2: Skipping over GLB1 chunk. ", "Seeking  10 (A) bytes --  Next:  GLB1 ",
                         " File contains no more programs."}) +
                  Closing);
    EXPECT_EQ(Read("f_out.txt"), "");
    EXPECT_EQ(Read("f_out.txt_sets.csv"), "");
}

TEST_F(ReadPCG, KindZeroChunksAreSkippedByTheWalk)
{
    const std::string file =
        PcgFile(Chunk("WSQ1", std::string(100, '\0')) + Chunk("XYZ1", "abc") + Chunk("PBK1", "") + Chunk("GLB1", ""));
    EXPECT_EQ(
        LogOf("f.PCG", file),
        Opened(file.size()) +
            Lines({"PCGChunk PCG1:   Name: PCG1  Size: 151 (0x97)", " Start 2nd level parsing...",
                   "   Name: WSQ1  Size: 100 (0x64)", "L2: Skipping over WSQ1 chunk. ",
                   "Seeking  100 (64) bytes --  Next:  XYZ1 ", "   Name: XYZ1  Size: 3 (0x3)",
                   "L2: Skipping over XYZ1 chunk. ", "Seeking  3 (3) bytes --  Next:  PBK1 ",
                   "   Name: PBK1  Size: 0 (0x0)", "L2: Skipping over PBK1 chunk. ",
                   "Seeking  0 (0) bytes --  Next:  GLB1 ", "Enter Parse_Chunk with GLB1",
                   "Other type Parse_chunk - GLB1, skipping ahead 0 (0) from position 179 (B3)", "Exit Parse_chunk."}) +
            Closing);
}

TEST_F(ReadPCG, FortyFourByteChunkIsDumped)
{
    std::string body;
    for (int i = 0; i < 44; ++i)
        body += static_cast<char>(i == 3 ? 0x2C : (i >= 40 ? 0xA0 + i : 0));
    const std::string file = PcgFile(Chunk("XYZ1", body));
    std::string bytes, words;
    for (int i = 0; i < 44; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%02X ", static_cast<unsigned char>(body[i]));
        bytes += text;
    }
    words = "  0000002C  ";
    for (int i = 1; i < 10; ++i)
        words += "  00000000  ";
    words += "  C8C9CACB  ";
    EXPECT_EQ(LogOf("f.PCG", file),
              Opened(file.size()) +
                  Lines({"PCGChunk PCG1:   Name: PCG1  Size: 56 (0x38)", " Start 2nd level parsing...",
                         "   Name: XYZ1  Size: 44 (0x2C)", "L2: Skipping over XYZ1 chunk. ", bytes, words,
                         " --  Next:  XYZ1 ", " File contains no more programs."}) +
                  Closing);
}

TEST_F(ReadPCG, CutFortyFourByteChunkDumpsWhatCame)
{
    const std::string file = PcgFile(ChunkHead("XYZ1", 44) + "\x01\x02");
    const std::string log = LogOf("f.PCG", file);
    EXPECT_NE(log.find("\r\n01 02 00 00 "), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n  01020000    00000000  "), std::string::npos) << log;
}

TEST_F(ReadPCG, SizeOfTwoToTheThirtyFirstIsARangeError)
{
    const std::string file = PcgFile(ChunkHead("XYZ1", 0x80000000u));
    EXPECT_EQ(LogOf("f.PCG", file),
              Opened(file.size()) +
                  Lines({"PCGChunk PCG1:   Name: PCG1  Size: 12 (0xC)", " Start 2nd level parsing...",
                         "   Name: XYZ1  Size: -2147483648 (0x80000000)", "L2: Skipping over XYZ1 chunk. "}) +
                  Closing + Lines({"Could not open f.PCG"}));
}

TEST_F(ReadPCG, SeekBeyondTheEndEndsTheWalk)
{
    const std::string file = PcgFile(ChunkHead("XYZ1", 5000) + "short");
    EXPECT_TRUE(
        EndsWith(LogOf("f.PCG", file),
                 Lines({"Seeking  5000 (1388) bytes --  Next:  XYZ1 ", " File contains no more programs."}) + Closing));
}

TEST_F(ReadPCG, EveryCutOfAFileEndsWithBothClosingLines)
{
    std::string programs = Records(ProgramSize, 1);
    const std::string whole =
        PcgFile(Chunk("XYZ1", std::string(44, 'd')) +
                Chunk("SLS1", Chunk("SLD1", "") + ChunkHead("STL1", 0) + Chunk("ZZZ1", "q")) +
                Chunk("PRG1", Chunk("PBK1", BankHead(1, 4960, 0) + programs.substr(0, 40)) + Chunk("CSM1", "")) +
                Chunk("CMB1", Chunk("CBK1", BankHead(0, 0, 0))) + Chunk("DKT1", "abc") + Chunk("WSQ1", "") +
                Chunk("ARP1", "") + Chunk("GLB1", "z"));
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const std::string log = LogOf("f.PCG", whole.substr(0, cut));
        EXPECT_TRUE(EndsWith(log, Closing)) << "cut at " << cut << "\n" << log;
    }
}
