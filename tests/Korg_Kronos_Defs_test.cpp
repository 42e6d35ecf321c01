// Chunk ids, kinds and the byte swap.
#include <cstring>

#include <gtest/gtest.h>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PcgWriter.h"

namespace {

ChunkId Id(const char* text)
{
    ChunkId id;
    std::memcpy(&id, text, 4);
    return id;
}

}   // namespace

TEST(Swap32, BigEndianBytesToValue)
{
    const unsigned char raw[4] = {0x00, 0x00, 0x01, 0x02};
    std::uint32_t word;
    std::memcpy(&word, raw, 4);
    Swap32(word);
    EXPECT_EQ(word, 258u);
    const unsigned char high[4] = {0x80, 0x00, 0x00, 0x2C};
    std::memcpy(&word, high, 4);
    Swap32(word);
    EXPECT_EQ(word, 0x8000002Cu);
}

TEST(ChunkKindOf, TopLevelIdsAndTheRest)
{
    EXPECT_EQ(ChunkKindOf(Id("SLS1")), 1);
    EXPECT_EQ(ChunkKindOf(Id("PRG1")), 2);
    EXPECT_EQ(ChunkKindOf(Id("CMB1")), 3);
    EXPECT_EQ(ChunkKindOf(Id("DKT1")), 4);
    EXPECT_EQ(ChunkKindOf(Id("ARP1")), 6);
    EXPECT_EQ(ChunkKindOf(Id("GLB1")), 7);
    for (const char* other : {"WSQ1", "PBK1", "KORG", "PCG1", "sls1", "CSM1", "XYZ1", "\0\0\0\0"})
        EXPECT_EQ(ChunkKindOf(Id(other)), 0) << other;
}

TEST(IsTopLevelId, SevenIds)
{
    for (const char* top : {"SLS1", "PRG1", "CMB1", "DKT1", "ARP1", "WSQ1", "GLB1"})
        EXPECT_TRUE(IsTopLevelId(Id(top))) << top;
    for (const char* other : {"KORG", "PCG1", "PBK1", "MBK1", "CBK1", "DBK1", "ABK1", "CSM1", "SLD1", "Sls1"})
        EXPECT_FALSE(IsTopLevelId(Id(other))) << other;
}

TEST(IsBankIdOf, KindAndIdPairs)
{
    EXPECT_TRUE(IsBankIdOf(2, Id("PBK1")));
    EXPECT_TRUE(IsBankIdOf(2, Id("MBK1")));
    EXPECT_FALSE(IsBankIdOf(2, Id("CBK1")));
    EXPECT_TRUE(IsBankIdOf(3, Id("CBK1")));
    EXPECT_FALSE(IsBankIdOf(3, Id("MBK1")));
    EXPECT_TRUE(IsBankIdOf(4, Id("DBK1")));
    EXPECT_TRUE(IsBankIdOf(6, Id("ABK1")));
    for (ChunkKind kind : {0, 1, 5, 7, 8})
        for (const char* id : {"PBK1", "MBK1", "CBK1", "DBK1", "ABK1", "SBK1"})
            EXPECT_FALSE(IsBankIdOf(kind, Id(id))) << int{kind} << id;
}

TEST(ChunkKindName, NineNames)
{
    const char* names[] = {"UNKN", "SLS1", "PRG1", "CMB1", "DKT1", "WSQ1", "ARP1", "GLB1", "CSM1"};
    for (ChunkKind kind = 0; kind <= 8; ++kind)
        EXPECT_EQ(ChunkKindName(kind), names[kind]);
    EXPECT_THROW(ChunkKindName(9), std::range_error);
}

TEST(IdText, StopsAtFirstNul)
{
    const char full[4] = {'S', 'L', 'S', '1'};
    const char cut[4] = {'A', 'B', '\0', 'D'};
    const char none[4] = {};
    EXPECT_EQ(IdText(full), "SLS1");
    EXPECT_EQ(IdText(cut), "AB");
    EXPECT_EQ(IdText(none), "");
}

// The writer keeps its own account of the record layout; it must be the reader's.
TEST(PcgWriter, RecordSizesAgreeWithTheReader)
{
    EXPECT_EQ(pcgw::NameSize, ::NameSize);
    EXPECT_EQ(pcgw::SetListSize, ::SetListSize);
    EXPECT_EQ(pcgw::SlotSize, ::SlotSize);
    EXPECT_EQ(pcgw::SlotsPerSetList, ::SlotsPerSetList);
    EXPECT_EQ(pcgw::EqOffset, ::EqOffset);
    EXPECT_EQ(pcgw::ProgramSize, ::ProgramSize);
    EXPECT_EQ(pcgw::CombiSize, ::CombiSize);
    EXPECT_EQ(pcgw::Sdb1Size, ::Sdb1Size);
    EXPECT_EQ(pcgw::BankRecords, ::RecordsPerBank);
    EXPECT_EQ(pcgw::SlotOffset(1, 2), ::SetListSize + ::SlotsOffset + 2 * ::SlotSize);
}
