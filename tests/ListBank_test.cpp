// Report and CSV lines: names, fingerprints, decoded slots, bank texts.
#include <cstdio>

#include "CRC32/CRC32.h"
#include "PcgWriter.h"
#include "TestSupport.h"

using namespace pcgw;

namespace {

using ListBank = InMemoryRun;

std::string SetListFile(const std::string& setLists)
{
    return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, setLists)));
}

}   // namespace

TEST_F(ListBank, AllZeroSetListBank)
{
    LogOf("f.PCG", SetListFile(Records(SetListSize)));
    const std::string report = Read("f_out.txt");
    const std::string csv = Read("f_out.txt_sets.csv");
    const std::string head =
        Lines({"SETLIST 000 \"                        \" EQ: 1344B4BA",
               "SETLIST 000 \"                        \" Slot 000 \"                        \" 1FBEDFAA"});
    EXPECT_EQ(report.substr(0, head.size()), head);
    EXPECT_EQ(Occurrences(report, "\" EQ: 1344B4BA\r\n"), 128u);
    EXPECT_EQ(Occurrences(report, "\" 1FBEDFAA\r\n"), 16384u);
    EXPECT_EQ(CountLines(report), 16512u);
    const std::string tail = " , , Combi, I-A000, Color 0, Font 0,  Transpose 0, HoldTime 0, Volume 0, Kbd_Track 0\r\n";
    EXPECT_EQ(csv.substr(0, 7 + tail.size()), "000/0, " + tail);
    EXPECT_TRUE(EndsWith(csv, "127/127, " + tail));
    EXPECT_EQ(Occurrences(csv, tail), 16384u);
    EXPECT_EQ(CountLines(csv), 16384u);
    EXPECT_NE(report.find("\r\nSETLIST 127 \"                        \" Slot 127 \"                        \" "
                          "1FBEDFAA\r\n"),
              std::string::npos);
}

TEST_F(ListBank, ZeroRecordsOfProgramsAndCombinations)
{
    const std::string file = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Records(ProgramSize))) +
                                     Chunk("CMB1", BankChunk("CBK1", 0, CombiSize, Records(CombiSize))));
    LogOf("f.PCG", file);
    const std::string report = Read("f_out.txt");
    const std::string first = Lines({"PROGRAM  I-A000 \"                        \" 75944B80"});
    EXPECT_EQ(report.substr(0, first.size()), first);
    EXPECT_NE(report.find(Lines({"COMBI    I-A000 \"                        \" 3E46F431"})), std::string::npos);
    EXPECT_EQ(Occurrences(report, "\" 75944B80\r\n"), 128u);
    EXPECT_EQ(Occurrences(report, "\" 3E46F431\r\n"), 128u);
    EXPECT_EQ(CountLines(report), 256u);
}

TEST_F(ListBank, GrandPianoInUserBankDoubleA)
{
    std::string programs = Records(ProgramSize);
    SetRecordName(programs, ProgramSize, 127, "Grand Piano");
    LogOf("f.PCG", PcgFile(Chunk("PRG1", BankChunk("PBK1", 131079, ProgramSize, programs))));
    EXPECT_TRUE(EndsWith(Read("f_out.txt"), Lines({"PROGRAM U-AA127 \"             Grand Piano\" 8A3CA19F"})));
}

TEST_F(ListBank, InvalidBankTextWidensTheLine)
{
    LogOf("f.PCG", PcgFile(Chunk("CMB1", BankChunk("CBK1", 7, CombiSize, Records(CombiSize)))));
    const std::string first = Lines({"COMBI   Invalid: 7 (07)000 \"                        \" 3E46F431"});
    EXPECT_EQ(Read("f_out.txt").substr(0, first.size()), first);
}

TEST_F(ListBank, NamesFillTheirFieldAndCommasStayInTheReport)
{
    std::string setLists = Records(SetListSize);
    SetName(setLists, SetListSize * 3, "Live Set");
    SetSlot(setLists, 3, 7, "Strings, Warm", {0x49, 0x21, 0x0C, 0x03, 0x7F, 0x00});
    SetName(setLists, 0, "ABCDEFGHIJKLMNOPQRSTUVWX");
    SetSlot(setLists, 0, 0, "abcdefghijklmnopqrstuvwx", {0x02, 0x00, 0x05, 0x00, 0x40, 0x00});
    LogOf("f.PCG", SetListFile(setLists));
    const std::string report = Read("f_out.txt");
    const std::string csv = Read("f_out.txt_sets.csv");
    EXPECT_NE(csv.find(Lines({"003/7, Live Set,Strings_ Warm,  Prog, I-B012, Color 2, Font 1,  Transpose 1, "
                              "HoldTime 3, Volume 127, Kbd_Track 0"})),
              std::string::npos);
    EXPECT_NE(report.find("SETLIST 003 \"                Live Set\" Slot 007 \"           Strings, Warm\" "),
              std::string::npos);
    EXPECT_EQ(report.substr(0, 38), "SETLIST 000 \"ABCDEFGHIJKLMNOPQRSTUVWX\"");
    EXPECT_EQ(csv.substr(0, 63), "000/0, ABCDEFGHIJKLMNOPQRSTUVWX,abcdefghijklmnopqrstuvwx,  Song");
    EXPECT_EQ(csv.substr(63, 10), ", S-005, C");
}

TEST_F(ListBank, SlotTypeThreeHasATypeTextOfItsOwn)
{
    std::string setLists = Records(SetListSize);
    SetSlot(setLists, 0, 0, "Prog", {0x01, 0x00, 0x00, 0x00, 0x00, 0x00});
    SetSlot(setLists, 0, 1, "Three", {0x03, 0x1F, 0x09, 0x00, 0x00, 0x00});
    SetSlot(setLists, 0, 2, "Bad Song", {0x02, 0x1F, 0x05, 0x00, 0x00, 0x00});
    SetSlot(setLists, 0, 3, "Combi U-H", {0x00, 0x0E, 0x63, 0x00, 0x00, 0x00});
    LogOf("f.PCG", SetListFile(setLists));
    const std::string csv = Read("f_out.txt_sets.csv");
    const std::string rest = ", Color 0, Font 0,  Transpose 0, HoldTime 0, Volume 0, Kbd_Track 0\r\n";
    EXPECT_EQ(csv.substr(0, csv.find("000/4,")),
              "000/0,  ,Prog,  Prog, I-A000" + rest + "000/1,  ,Three, Type3, type??009" + rest +
                  "000/2,  ,Bad Song,  Song, Invalid: 31 (1F)005" + rest + "000/3,  ,Combi U-H, Combi, U-H099" + rest);
}

TEST_F(ListBank, EveryCsvLineHasElevenFields)
{
    std::string setLists = Records(SetListSize);
    FillRecords(setLists, SetListSize, 5);
    for (std::size_t slot = 0; slot < 128; ++slot)
        SetSlot(setLists, 1, slot, "a,b,,c",
                {static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(slot * 7), 0xFF, 0x80, 0x01,
                 static_cast<std::uint8_t>(slot * 3)});
    LogOf("f.PCG", SetListFile(setLists));
    const std::string csv = Read("f_out.txt_sets.csv");
    std::size_t start = 0;
    for (std::size_t end = csv.find("\r\n"); end != std::string::npos; end = csv.find("\r\n", start)) {
        EXPECT_EQ(Occurrences(csv.substr(start, end - start), ","), 10u) << csv.substr(start, end - start);
        start = end + 2;
    }
}

// Every report line of a varied set-list bank, against the printf forms of the line templates;
// the listing is larger than the blocks it is written in, so lines cross block boundaries.
TEST_F(ListBank, LinesMatchTheirPrintfFormsAcrossBlocks)
{
    std::string setLists = Records(SetListSize);
    FillRecords(setLists, SetListSize, 9);
    for (std::size_t i = 0; i < 128; ++i) {
        SetRecordName(setLists, SetListSize, i, std::string(i % 25, static_cast<char>('a' + i % 26)));
        for (std::size_t j = 0; j < 128; ++j)
            SetSlot(setLists, i, j, std::string((i + j) % 25, 'S'),
                    PackSlot(static_cast<std::uint8_t>(j % 4), 1, 1, static_cast<std::uint8_t>(i % 32), 0,
                             static_cast<std::uint8_t>(j), 0, 100, 0));
    }
    LogOf("f.PCG", SetListFile(setLists));
    const std::string report = Read("f_out.txt");
    std::string expected;
    char line[256];
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(setLists.data());
    for (std::size_t i = 0; i < 128; ++i) {
        const std::string name(i % 25, static_cast<char>('a' + i % 26));
        const std::uint8_t* setList = bytes + SetListSize * i;
        std::snprintf(line, sizeof line, "SETLIST %3.3d \"%24s\" EQ: %8.8X\r\n", static_cast<int>(i), name.c_str(),
                      Crc32Of(setList + EqOffset, 16));
        expected += line;
        for (std::size_t j = 0; j < 128; ++j) {
            const std::string slotName((i + j) % 25, 'S');
            std::snprintf(line, sizeof line, "SETLIST %3.3d \"%24s\" Slot %3.3d \"%24s\" %8.8X\r\n",
                          static_cast<int>(i), name.c_str(), static_cast<int>(j), slotName.c_str(),
                          Crc32Of(bytes + SlotOffset(i, j), SlotSize));
            expected += line;
        }
    }
    ASSERT_EQ(report.size(), expected.size());
    EXPECT_TRUE(report == expected);
    const std::string csv = Read("f_out.txt_sets.csv");
    EXPECT_EQ(CountLines(csv), 16384u);
    EXPECT_NE(csv.find("\r\n127/127, " + std::string(127 % 25, 'a' + 127 % 26) + "," + std::string(254 % 25, 'S') +
                       ", Type3, type??127, Color 1, Font 1,  Transpose 0, HoldTime 0, Volume 100, Kbd_Track 0\r\n"),
              std::string::npos);
}
