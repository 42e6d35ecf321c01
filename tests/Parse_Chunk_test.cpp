// The second-level walk of set-list, program and combination chunks, and the skips.
#include "PcgWriter.h"
#include "TestSupport.h"

using namespace pcgw;

namespace {

using Parse_Chunk = InMemoryRun;

const std::string Closing = ClosingLines("f_out.txt");

std::string Opened(std::size_t size) { return OpenedLine("f.PCG", size); }

// The log after the container line and " Start 2nd level parsing...".
std::string WalkLog(const std::string& log)
{
    const std::string start = " Start 2nd level parsing...\r\n";
    const std::size_t at = log.find(start);
    return at == std::string::npos ? log : log.substr(at + start.size());
}

}   // namespace

TEST_F(Parse_Chunk, SetListChunkThenProgramHandBack)
{
    std::string setLists = Records(SetListSize);
    SetName(setLists, SetListSize * 3, "Live Set");
    SetSlot(setLists, 3, 7, "Strings, Warm", {0x49, 0x21, 0x0C, 0x03, 0x7F, 0x00});
    const std::string sls1 = Chunk("SLD1", BankChunk("SDB1", 0, Sdb1Size, Records(Sdb1Size, 1)), 7) +
                             Chunk("STL1", BankChunk("SBK1", 0, SetListSize, setLists));
    const std::string file = PcgFile(Chunk("SLS1", sls1) + Chunk("PRG1", "") + Chunk("GLB1", "z"));
    ASSERT_EQ(file.size(), 9347721u);
    EXPECT_EQ(LogOf("f.PCG", file),
              Opened(file.size()) +
                  Lines({"PCGChunk PCG1:   Name: PCG1  Size: 9347693 (0x8EA26D)",
                         " Start 2nd level parsing...",
                         "Enter Parse_Chunk with SLS1",
                         "Parse_chunk - SLS1: ",
                         "Reading contents of SLS type chunk (SLD1) of size 462360 (70E18), Parm2: 7 (7)",
                         " Parsing SLS1 ---- skipping SLD1",
                         "Reading contents of SLS type chunk (SDB1) of size 462348 (70E0C), Parm2: 0 (0)",
                         "       Bank Header: #progs: 1, ObjSize 462336, BankID: 0",
                         "Reading SDB1 data: 462336 (0x70E00) bytes",
                         "Reading contents of SLS type chunk (STL1) of size 8885272 (879418), Parm2: 0 (0)",
                         " Parsing SLS1 ---- skipping STL1",
                         "Reading contents of SLS type chunk (SBK1) of size 8885260 (87940C), Parm2: 0 (0)",
                         "       Bank Header: #progs: 128, ObjSize 69416, BankID: 0",
                         "Reading SBK1 data: 8885248 (0x879400) bytes",
                         "Reading contents of SLS type chunk (PRG1) of size 0 (0), Parm2: 0 (0)",
                         "PRG1: SLS1 L2 Parse: Not a known chunk in SLS1 type. File Position: 40 of 9347721",
                         "Current chunk is PRG1: Start Next L2 Chunk Here.....",
                         "Exit Parse_chunk.",
                         "Enter Parse_Chunk with PRG1",
                         "Reading inside L2 chunk (PRG1) of size 0 (0) at File Position: 9347708 (0x8EA27C)",
                         "GLB1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 9347708 "
                         "(8EA27C)",
                         "Current chunk is GLB1: Start Next L2 Chunk Here.....",
                         "Exit Parse_chunk.",
                         "Enter Parse_Chunk with GLB1",
                         "Other type Parse_chunk - GLB1, skipping ahead 1 (1) from position 9347720 (8EA288)",
                         "Exit Parse_chunk."}) +
                  Closing);
    const std::string report = Read("f_out.txt");
    const std::string csv = Read("f_out.txt_sets.csv");
    EXPECT_EQ(CountLines(report), 16512u);
    EXPECT_EQ(CountLines(csv), 16384u);
    EXPECT_NE(csv.find(Lines({"003/7, Live Set,Strings_ Warm,  Prog, I-B012, Color 2, Font 1,  Transpose 1, "
                              "HoldTime 3, Volume 127, Kbd_Track 0"})),
              std::string::npos);
    EXPECT_NE(report.find("SETLIST 003 \"                Live Set\" Slot 007 \"           Strings, Warm\" "),
              std::string::npos);
}

TEST_F(Parse_Chunk, HeaderEndingAtTheEndOfTheFile)
{
    const std::string file = PcgFile(Chunk("SLS1", ChunkHead("SLD1", 0)));
    EXPECT_EQ(WalkLog(LogOf("f.PCG", file)),
              Lines({"Enter Parse_Chunk with SLS1", "Parse_chunk - SLS1: ", "End Of File encountered"}) + Closing);
    const std::string banks = PcgFile(Chunk("PRG1", ChunkHead("PBK1", 0)));
    EXPECT_EQ(WalkLog(LogOf("f.PCG", banks)),
              Lines({"Enter Parse_Chunk with PRG1",
                     "Reading inside L2 chunk (PRG1) of size 12 (C) at File Position: 40 (0x28)",
                     "End Of File encountered"}) +
                  Closing);
}

TEST_F(Parse_Chunk, ProgramBanksThenCombinations)
{
    std::string hd1a = Records(ProgramSize), hd1b = Records(ProgramSize), exi = Records(ProgramSize);
    std::string combis = Records(CombiSize);
    SetRecordName(hd1a, ProgramSize, 0, "Piano One");
    SetRecordName(hd1b, ProgramSize, 0, "Organ Two");
    SetRecordName(exi, ProgramSize, 0, "Synth Three");
    SetRecordName(combis, CombiSize, 0, "Combi One");
    const std::string prg1 = BankChunk("PBK1", 0, ProgramSize, hd1a) + BankChunk("PBK1", 1, ProgramSize, hd1b) +
                             BankChunk("MBK1", 0x20000, ProgramSize, exi);
    const std::string file =
        PcgFile(Chunk("PRG1", prg1) + Chunk("CMB1", BankChunk("CBK1", 0x20000, CombiSize, combis)));
    const std::string inside = "Reading inside L2 chunk (PRG1) of size 1904712 (1D1048) at File Position: 40 (0x28)";
    const std::string insideCombis =
        "Reading inside L2 chunk (CMB1) of size 999704 (F4118) at File Position: 1904764 (0x1D107C)";
    EXPECT_EQ(WalkLog(LogOf("f.PCG", file)),
              Lines({"Enter Parse_Chunk with PRG1",
                     inside,
                     "       Name: PBK1  Size: 634892",
                     "HD1 Prog: PBK1 Bank Read: reading 634880 bytes into array",
                     "BankID: 00000000 I-A NumProgs: 128 SizeOfProg: 4960 1stName: Piano One",
                     inside,
                     "       Name: PBK1  Size: 634892",
                     "HD1 Prog: PBK1 Bank Read: reading 634880 bytes into array",
                     "BankID: 00000001 I-B NumProgs: 128 SizeOfProg: 4960 1stName: Organ Two",
                     inside,
                     "       Name: MBK1  Size: 634892",
                     "EXi Prog: MBK1 Bank Read: reading 634880 bytes into array",
                     "BankID: 00020000 U-A NumProgs: 128 SizeOfProg: 4960 1stName: Synth Three",
                     inside,
                     "CMB1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 40 (28)",
                     "Current chunk is CMB1: Start Next L2 Chunk Here.....",
                     "Exit Parse_chunk.",
                     "Enter Parse_Chunk with CMB1",
                     insideCombis,
                     "       Name: CBK1  Size: 999692",
                     "Bank Read: reading 999680 bytes into array",
                     "BankID: 00020000 U-A NumProgs: 128 SizeOfProg: 7810 1stName: Combi One",
                     insideCombis,
                     "End Of File encountered"}) +
                  Closing);
    const std::string report = Read("f_out.txt");
    EXPECT_EQ(CountLines(report), 512u);
    for (const char* line :
         {"PROGRAM  I-A000 \"               Piano One\" ", "PROGRAM  I-A001 \"                        \" 75944B80",
          "PROGRAM  I-B000 \"               Organ Two\" ", "PROGRAM  U-A000 \"             Synth Three\" ",
          "COMBI    U-A000 \"               Combi One\" ", "COMBI    U-A127 \"                        \" 3E46F431"})
        EXPECT_NE(report.find(line), std::string::npos) << line;
    EXPECT_LT(report.find("PROGRAM  I-B127"), report.find("PROGRAM  U-A000"));
    EXPECT_EQ(Read("f_out.txt_sets.csv"), "");
}

TEST_F(Parse_Chunk, BankOfTheOtherKindSkipsTheWholeChunk)
{
    const std::string file = PcgFile(Chunk("CMB1", Chunk("MBK1", "xxxx")) + Chunk("GLB1", "z"));
    EXPECT_EQ(
        WalkLog(LogOf("f.PCG", file)),
        Lines({"Enter Parse_Chunk with CMB1",
               "Reading inside L2 chunk (CMB1) of size 16 (10) at File Position: 40 (0x28)",
               "MBK1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 3. Current File Position: 40 (28)",
               "Seek back to previous. File Position now: 52 (0x34)",
               "End of Parse_chunk - PRG1/CMB1, skipping ahead 16 (10) from position 40 (28)", "Exit Parse_chunk.",
               "Enter Parse_Chunk with CMB1",
               "Reading inside L2 chunk (CMB1) of size 16 (10) at File Position: 56 (0x38)",
               "GLB1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 3. Current File Position: 56 (38)",
               "Current chunk is GLB1: Start Next L2 Chunk Here.....", "Exit Parse_chunk.",
               "Enter Parse_Chunk with GLB1",
               "Other type Parse_chunk - GLB1, skipping ahead 1 (1) from position 68 (44)", "Exit Parse_chunk."}) +
            Closing);
}

TEST_F(Parse_Chunk, UnknownInsideSetListsSkipsFromTheEntry)
{
    const std::string file = PcgFile(Chunk("SLS1", Chunk("CSM1", "ab") + "pad") + Chunk("DKT1", ""));
    EXPECT_EQ(WalkLog(LogOf("f.PCG", file)),
              Lines({"Enter Parse_Chunk with SLS1",
                     "Parse_chunk - SLS1: ", "Reading contents of SLS type chunk (CSM1) of size 2 (2), Parm2: 0 (0)",
                     "CSM1: SLS1 L2 Parse: Not a known chunk in SLS1 type. File Position: 40 of 69",
                     "Seek back to previous. File Position now: 52 (0x34)",
                     "End of Parse_chunk - SLS1, skipping ahead 17 (11) from position 40 (28)", "Exit Parse_chunk.",
                     "Enter Parse_Chunk with SLS1", "Parse_chunk - SLS1: ", "End Of File encountered"}) +
                  Closing);
}

TEST_F(Parse_Chunk, OtherKindsAreSkippedBySize)
{
    const std::string file = PcgFile(Chunk("DKT1", "abc") + Chunk("ARP1", "") + Chunk("GLB1", "zz"));
    EXPECT_EQ(
        WalkLog(LogOf("f.PCG", file)),
        Lines({"Enter Parse_Chunk with DKT1",
               "Other type Parse_chunk - DKT1, skipping ahead 3 (3) from position 40 (28)", "Exit Parse_chunk.",
               "Enter Parse_Chunk with ARP1",
               "Other type Parse_chunk - ARP1, skipping ahead 0 (0) from position 55 (37)", "Exit Parse_chunk.",
               "Enter Parse_Chunk with GLB1",
               "Other type Parse_chunk - GLB1, skipping ahead 2 (2) from position 67 (43)", "Exit Parse_chunk."}) +
            Closing);
}

TEST_F(Parse_Chunk, ShortSetListBankIsListedAllTheSame)
{
    std::string one = Records(SetListSize, 1);
    SetName(one, 0, "Only One");
    const std::string file = PcgFile(Chunk("SLS1", ChunkHead("SBK1", 12 + SetListSize) + BankHead(1, 69416, 0) + one));
    const std::string log = LogOf("f.PCG", file);
    EXPECT_TRUE(
        EndsWith(log, Lines({"Reading SBK1 data: 8885248 (0x879400) bytes", "End Of File encountered"}) + Closing))
        << log;
    const std::string report = Read("f_out.txt");
    EXPECT_EQ(CountLines(report), 16512u);
    EXPECT_EQ(report.substr(0, 43), "SETLIST 000 \"                Only One\" EQ: ");
}

TEST_F(Parse_Chunk, ZeroSizeChunkDoesNotStall)
{
    for (const char* top : {"PRG1", "CMB1", "SLS1"}) {
        const std::string file = PcgFile(Chunk(top, "") + Chunk("XYZ1", "abc") + Chunk("GLB1", "z"));
        const std::string log = LogOf("f.PCG", file);
        EXPECT_TRUE(EndsWith(log, Lines({"Current chunk is XYZ1: Start Next L2 Chunk Here.....", "Exit Parse_chunk.",
                                         "   Name: XYZ1  Size: 3 (0x3)", "L2: Skipping over XYZ1 chunk. ",
                                         "Seeking  3 (3) bytes --  Next:  GLB1 ", "Enter Parse_Chunk with GLB1",
                                         "Other type Parse_chunk - GLB1, skipping ahead 1 (1) from position 67 (43)",
                                         "Exit Parse_chunk."}) +
                                      Closing))
            << log;
    }
}

TEST_F(Parse_Chunk, SizesOfTwoToTheThirtyFirstAreRangeErrors)
{
    std::string file = PcgFile(ChunkHead("DKT1", 0x80000000u) + "abc");
    EXPECT_EQ(WalkLog(LogOf("f.PCG", file)),
              Lines({"Enter Parse_Chunk with DKT1",
                     "Other type Parse_chunk - DKT1, skipping ahead -2147483648 (80000000) from position 40 (28)"}) +
                  Closing + Lines({"Could not open f.PCG"}));
    file = PcgFile(ChunkHead("PRG1", 0xFFFFFFF0u) + Chunk("ZZZ1", "abc"));
    EXPECT_EQ(WalkLog(LogOf("f.PCG", file)),
              Lines({"Enter Parse_Chunk with PRG1",
                     "Reading inside L2 chunk (PRG1) of size -16 (FFFFFFF0) at File Position: 40 (0x28)",
                     "ZZZ1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 40 (28)",
                     "Seek back to previous. File Position now: 52 (0x34)",
                     "End of Parse_chunk - PRG1/CMB1, skipping ahead -16 (FFFFFFF0) from position 40 (28)"}) +
                  Closing + Lines({"Could not open f.PCG"}));
}

TEST_F(Parse_Chunk, LargeSecondLevelSizesPrintSignedAndUnsigned)
{
    const std::string file = PcgFile(Chunk("SLS1", ChunkHead("SLD1", 0xFFFFFFFFu, 0x80000000u)) +
                                     Chunk("PRG1", ChunkHead("PBK1", 0xFFFFFFFFu) + BankHead(0, 0, 0)));
    const std::string log = LogOf("f.PCG", file);
    EXPECT_NE(log.find("Reading contents of SLS type chunk (SLD1) of size -1 (FFFFFFFF), Parm2: -2147483648 "
                       "(80000000)\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\r\n       Name: PBK1  Size: 4294967295\r\n"), std::string::npos) << log;
}
