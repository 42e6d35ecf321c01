// Loading program and combination banks: size checks, buffers, the "BankID: " line.
#include "PcgWriter.h"
#include "TestSupport.h"

using namespace pcgw;

namespace {

using Banks = InMemoryRun;

const std::string Closing = ClosingLines("f_out.txt");

std::string Programs(const std::string& firstName)
{
    std::string records = Records(ProgramSize);
    SetRecordName(records, ProgramSize, 0, firstName);
    return records;
}

// The log lines of the bank walk, from the first "Name:" line on.
std::string BankLog(const std::string& log)
{
    const std::size_t at = log.find("       Name: ");
    return at == std::string::npos ? log : log.substr(at);
}

}   // namespace

TEST_F(Banks, SizeMismatchReadsNothingAndEndsTheFile)
{
    // The first PBK1 bank of the run: its buffer is still zero, so the first name is empty.
    const std::string file =
        PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(64, 4960, 0) + Records(ProgramSize, 64))) + Chunk("GLB1", "z"));
    EXPECT_EQ(BankLog(LogOf("f.PCG", file)),
              Lines({"       Name: PBK1  Size: 317452",
                     "HD1 Prog: PBK1 Error: bank header data size (4960 * 64 = 317440) doesn't match size of dest "
                     "array (634880)",
                     "BankID: 00000000 I-A NumProgs: 64 SizeOfProg: 4960 1stName: ", "Exit Parse_chunk."}) +
                  Closing);
    EXPECT_EQ(Read("f_out.txt"), "");
}

TEST_F(Banks, ProductBeyondThirtyTwoBitsNeverMatches)
{
    // 4960 * 134217856 is 634880 modulo 2^32.
    const std::string file = PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(134217856u, 4960, 0x20007) + Programs("X"))));
    EXPECT_EQ(BankLog(LogOf("f.PCG", file)),
              Lines({"       Name: PBK1  Size: 634892",
                     "HD1 Prog: PBK1 Error: bank header data size (4960 * 134217856 = 665720565760) doesn't match "
                     "size of dest array (634880)",
                     "BankID: 00020007 U-AA NumProgs: 134217856 SizeOfProg: 4960 1stName: ", "Exit Parse_chunk."}) +
                  Closing);
}

TEST_F(Banks, CombinationAndExiBanksUseTheirOwnNaming)
{
    std::string combis = Records(CombiSize);
    SetRecordName(combis, CombiSize, 0, "Split");
    const std::string file = PcgFile(Chunk("PRG1", BankChunk("MBK1", 0x8000, ProgramSize, Programs("Exi"))) +
                                     Chunk("CMB1", BankChunk("CBK1", 6, CombiSize, combis)));
    const std::string log = LogOf("f.PCG", file);
    EXPECT_NE(log.find(Lines({"EXi Prog: MBK1 Bank Read: reading 634880 bytes into array",
                              "BankID: 00008000 I-F NumProgs: 128 SizeOfProg: 4960 1stName: Exi"})),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(Lines({"       Name: CBK1  Size: 999692", "Bank Read: reading 999680 bytes into array",
                              "BankID: 00000006 I-G NumProgs: 128 SizeOfProg: 7810 1stName: Split"})),
              std::string::npos)
        << log;
    const std::string report = Read("f_out.txt");
    EXPECT_NE(report.find("PROGRAM  I-F000 \"                     Exi\" "), std::string::npos);
    EXPECT_NE(report.find("COMBI    I-G127 "), std::string::npos);
}

TEST_F(Banks, FirstNameOfTwentyFourBytesAndOfNone)
{
    std::string records = Programs("ABCDEFGHIJKLMNOPQRSTUVWX");
    records[24] = 'Y';   // the byte after the field is never part of the name
    std::string file = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, records)));
    EXPECT_NE(LogOf("f.PCG", file).find("1stName: ABCDEFGHIJKLMNOPQRSTUVWX\r\n"), std::string::npos);
    file = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Programs(std::string("\0Hidden", 7)))));
    EXPECT_NE(LogOf("f.PCG", file).find("1stName: \r\n"), std::string::npos);
}

TEST_F(Banks, BankCutShortIsNotListed)
{
    const std::string file =
        PcgFile(Chunk("PRG1", ChunkHead("PBK1", 634892) + BankHead(128, 4960, 1) + Programs("Cut").substr(0, 1000)));
    EXPECT_EQ(BankLog(LogOf("f.PCG", file)),
              Lines({"       Name: PBK1  Size: 634892", "HD1 Prog: PBK1 Bank Read: reading 634880 bytes into array",
                     "BankID: 00000001 I-B NumProgs: 128 SizeOfProg: 4960 1stName: Cut", "Exit Parse_chunk."}) +
                  Closing);
    EXPECT_EQ(Read("f_out.txt"), "");
}

TEST_F(Banks, BuffersKeepThePreviousFilesBytes)
{
    std::string setLists = Records(SetListSize);
    SetName(setLists, SetListSize * 100, "From A");
    const std::string first =
        LogOf("w/a.PCG", PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, setLists)) +
                                 Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Programs("Piano A")) +
                                                   BankChunk("MBK1", 0, ProgramSize, Programs("Exi A")))));
    // b.PCG: a set-list bank of one set list, then a program bank that fails its size check.
    std::string one = Records(SetListSize, 1);
    SetName(one, 0, "From B");
    // The next file of a wildcard run: nothing clears the buffers in between.
    const std::string log =
        LogOfNext("w/b.PCG", PcgFile(Chunk("SLS1", ChunkHead("SBK1", 12 + SetListSize) + BankHead(1, SetListSize, 0) +
                                                       one + Chunk("PRG1", Chunk("PBK1", BankHead(1, 4960, 0))))));
    // The SBK1 read of b.PCG also took in the PRG1 chunk after it; set list 100 is still a's.
    const std::string report = Read("w/b_out.txt");
    EXPECT_EQ(report.substr(0, 43), "SETLIST 000 \"                  From B\" EQ: ");
    EXPECT_NE(report.find("SETLIST 100 \"                  From A\" EQ: "), std::string::npos);
    EXPECT_NE(first.find("BankID: 00000000 I-A NumProgs: 128 SizeOfProg: 4960 1stName: Piano A"), std::string::npos);
    EXPECT_EQ(log.find("1stName: "), std::string::npos) << log;
}

TEST_F(Banks, FailedBankShowsTheFirstNameLeftByAnEarlierFile)
{
    LogOf("w/a.PCG", PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Programs("Piano A")) +
                                               BankChunk("MBK1", 0, ProgramSize, Programs("Exi A")))));
    const std::string log = LogOfNext("w/b.PCG", PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(64, 4960, 0)))));
    EXPECT_TRUE(EndsWith(log, Lines({"BankID: 00000000 I-A NumProgs: 64 SizeOfProg: 4960 1stName: Piano A",
                                     "Exit Parse_chunk.", "Closing: w/b_out.txt", "Closing: w/b_out.txt_sets.csv"})))
        << log;
}
