// The PCG writer: building blocks and the description language.
#include <gtest/gtest.h>

#include "PcgDescription.h"
#include "PcgWriter.h"

using namespace pcgw;

namespace {

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

}   // namespace

TEST(PcgWriter, HeadersAreBigEndian)
{
    EXPECT_EQ(Hex(Be32(0x01020304u)), "01020304");
    EXPECT_EQ(Hex(FileHeader(0x50, 1)), "4B4F5247500100000000000000000000");
    EXPECT_EQ(Hex(ChunkHead("SLS1", 1234, 7)), "534C5331000004D200000007");
    EXPECT_EQ(Hex(Chunk("GLB1", "ab")), "474C423100000002000000006162");
    EXPECT_EQ(Hex(BankHead(128, 4960, 0x20007)), "00000080000013600002000"
                                                 "7");
    EXPECT_EQ(PcgFile("xyz").size(), 16u + 12u + 3u);
    EXPECT_EQ(Hex(PcgFile("xyz").substr(16, 12)), "50434731000000030000"
                                                  "0000");
    EXPECT_THROW(ChunkHead("TOOLONG", 0), std::invalid_argument);
}

TEST(PcgWriter, NamesAndSlots)
{
    std::string records = Records(ProgramSize, 2);
    SetRecordName(records, ProgramSize, 1, "Grand Piano");
    EXPECT_EQ(records.substr(ProgramSize, 12), std::string("Grand Piano\0", 12));
    EXPECT_THROW(SetRecordName(records, ProgramSize, 0, std::string(25, 'x')), std::invalid_argument);

    std::string setLists = Records(SetListSize, 4);
    SetSlot(setLists, 3, 7, "Strings, Warm", PackSlot(1, 2, 1, 1, 1, 12, 3, 127, 0));
    EXPECT_EQ(SlotOffset(3, 7), 3u * 69416 + 24 + 7 * 542);
    EXPECT_EQ(Hex(setLists.substr(SlotOffset(3, 7) + 24, 6)), "49210C037F00");
    EXPECT_EQ(setLists.substr(SlotOffset(3, 7), 13), "Strings, Warm");
}

TEST(PcgWriter, FillSparesNamesAndSlotAttributes)
{
    std::string setLists = Records(SetListSize, 1);
    FillRecords(setLists, SetListSize, 3);
    EXPECT_EQ(setLists.substr(0, 24 + 30), std::string(54, '\0'));
    EXPECT_NE(setLists.substr(24 + 30, 512), std::string(512, '\0'));
    EXPECT_NE(setLists.substr(EqOffset, 16), std::string(16, '\0'));
    std::string again = Records(SetListSize, 1);
    FillRecords(again, SetListSize, 3);
    EXPECT_EQ(again, setLists);
}

TEST(PcgDescription, BuildsNestedChunksAndBanks)
{
    const std::string built = BuildFromDescription(R"(# a small file
file 50
container
chunk SLS1 9
  header SLD1 0
  bytes 01 ff
end
bank PBK1 0x20007 30 2
name 1 "Pad \"Soft\""
text "\x41Z"
zeros 2
)");
    const std::string bank = BankHead(2, 30, 0x20007) + std::string(30, '\0') + "Pad \"Soft\"" + std::string(20, '\0');
    const std::string expected = FileHeader(0x50) + ChunkHead("PCG1", 12 + 14 + 12 + 72 + 4) +
                                 Chunk("SLS1", ChunkHead("SLD1", 0) + "\x01\xFF", 9) + Chunk("PBK1", bank) + "AZ" +
                                 std::string(2, '\0');
    EXPECT_EQ(Hex(built), Hex(expected));
}

TEST(PcgDescription, BankHeaderCanStateOtherCounts)
{
    const std::string built = BuildFromDescription("bank CBK1 1 24 1 64 7810\n");
    EXPECT_EQ(Hex(built), Hex(ChunkHead("CBK1", 36) + BankHead(64, 7810, 1) + std::string(24, '\0')));
}

TEST(PcgDescription, ErrorsNameTheLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"file 68\nfrobnicate\n", "line 2: unknown directive 'frobnicate'"},
        {"chunk SLS1\n", "chunk SLS1 has no 'end'"},
        {"end\n", "line 1: 'end' without a chunk"},
        {"name 0 \"x\"\n", "line 1: 'name' belongs after a bank"},
        {"bank PBK1 0 4960\nname 128 \"x\"\n", "line 2: record 128 is beyond the bank"},
        {"bank PBK1 0 4960\nname 0 \"0123456789012345678901234\"\n", "line 2: a name has at most 24 bytes"},
        {"bank PBK1 0 4960\nslot 0 0 \"x\" 00 00 00 00 00 00\n", "line 2: slots belong to a set-list bank"},
        {"zeros -3\n", "line 1: not a number"},
        {"bytes 1FF\n", "line 1: not a hexadecimal byte: 1FF"},
        {"chunk AB\n", "line 1: a chunk id has four characters: AB"},
        {"text \"open\n", "line 1: text without its closing quote"},
    };
    for (const auto& c : cases) {
        try {
            BuildFromDescription(c.text);
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const DescriptionError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(PcgDescription, UnusedSlotsAreAllZero)
{
    const std::string bytes = pcgw::BuildFromDescription("file\ncontainer\nchunk SLS1\n  bank SBK1 0 69416 2\n  fill 3\n"
                                                         "  slot 1 4 \"Kept\" 01 02 03 04 05 06\n  unused\nend\n");
    const std::size_t records = 16 + 12 + 12 + 12 + 12;
    const auto slot = [&](std::size_t list, std::size_t j) {
        return bytes.substr(records + pcgw::SlotOffset(list, j), pcgw::SlotSize);
    };
    EXPECT_EQ(slot(0, 0), std::string(pcgw::SlotSize, '\0'));
    EXPECT_EQ(slot(1, 127), std::string(pcgw::SlotSize, '\0'));
    EXPECT_EQ(slot(1, 4).substr(0, 4), "Kept");
    EXPECT_NE(slot(1, 4).substr(30), std::string(pcgw::SlotSize - 30, '\0'));   // its filled bytes stay
}
