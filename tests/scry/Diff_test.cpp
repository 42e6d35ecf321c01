// scry diff, one kind of difference at a time, each with its exact line.
#include "Diff.h"
#include "ScrySupport.h"

using namespace pcgw;

namespace {

scry::Comparison CompareBytes(const std::string& before, const std::string& after)
{
    return scry::Compare(scry::ReadModelOfBytes("old.PCG", before), scry::ReadModelOfBytes("new.PCG", after));
}

Texts LinesOf(const scry::Comparison& comparison)
{
    Texts lines;
    for (const scry::Difference& difference : comparison.differences)
        lines.push_back(difference.line);
    return lines;
}

Texts DiffOf(const Small& before, const Small& after) { return LinesOf(CompareBytes(before.Bytes(), after.Bytes())); }

}   // namespace

TEST(ScryDiff, IdenticalFilesGiveNothing)
{
    const scry::Comparison same = CompareBytes(Small().Bytes(), Small().Bytes());
    EXPECT_EQ(LinesOf(same), Texts{});
    EXPECT_EQ(same.counts.Total(), 0u);
    EXPECT_EQ(scry::DiffText(same), "");
}

TEST(ScryDiff, RenamedChangedAndBoth)
{
    Small after;
    SetRecordName(after.programs, pcgw::ProgramSize, 3, "Warm Pad");
    after.programs[pcgw::ProgramSize * 4 + 100] ^= 1;
    SetRecordName(after.programs, pcgw::ProgramSize, 5, "Cold Pad");
    after.programs[pcgw::ProgramSize * 5 + 100] ^= 1;
    const scry::Comparison comparison = CompareBytes(Small().Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(comparison),
              (Texts{"PROGRAM I-A003: renamed \"Prog 3\" -> \"Warm Pad\"", "PROGRAM I-A004 \"Prog 4\": changed",
                     "PROGRAM I-A005: renamed \"Prog 5\" -> \"Cold Pad\" and changed"}));
    EXPECT_EQ(scry::DiffSummary(comparison),
              "3 differences: 1 renamed, 2 changed, 0 moved, 0 added, 0 removed, 0 slot settings");
}

TEST(ScryDiff, RecordMovedToAnotherPlace)
{
    Small after;
    after.programs.replace(pcgw::ProgramSize * 100, pcgw::ProgramSize, Small().programs.substr(pcgw::ProgramSize * 10, pcgw::ProgramSize));
    EXPECT_EQ(DiffOf(Small(), after), (Texts{"PROGRAM I-A100: now holds OLD's I-A010 \"Prog 10\""}));
}

TEST(ScryDiff, SlotSettingsAddedAndRemovedSlots)
{
    Small after;
    SetSlot(after.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 6, 3, 100, 0));
    SetSlot(after.setLists, 0, 5, "New One", PackSlot(1, 0, 0, 0, 0, 9, 0, 127, 0));
    after.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
    const scry::Comparison comparison = CompareBytes(Small().Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(comparison),
              (Texts{"000/000 \"Piano\": plays Prog I-A006 \"Prog 6\", was Prog I-A005; volume 100, was 127",
                     "000/002 \"Split\": removed", "000/005 \"New One\": added, plays Prog I-A009 \"Prog 9\""}));
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Settings)], 1u);
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Added)], 1u);
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Removed)], 1u);
}

TEST(ScryDiff, SetListNameAndEq)
{
    Small after;
    SetName(after.setLists, 0, "Saturday");
    after.setLists[pcgw::EqOffset + 3] = 9;
    EXPECT_EQ(DiffOf(Small(), after),
              (Texts{"SETLIST 000: renamed \"Friday\" -> \"Saturday\"", "SETLIST 000 \"Saturday\": EQ changed"}));
}

TEST(ScryDiff, BanksAndChunksInOneFileOnly)
{
    Small before, after;
    after.global = "other settings!";
    after.extra = Chunk("DKT1", "kit");
    before.extra = Chunk("ARP1", "arp");
    EXPECT_EQ(DiffOf(before, after), (Texts{"CHUNK GLB1 (global settings): changed", "CHUNK DKT1 (drum kits): added",
                                            "CHUNK ARP1 (arpeggio patterns): removed"}));
    // A bank in one file only; its chunk changes with it.
    const std::string withUserBank =
        PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) +
                                  BankChunk("PBK1", 0x20000, pcgw::ProgramSize, Records(pcgw::ProgramSize))));
    const std::string without = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs)));
    EXPECT_EQ(LinesOf(CompareBytes(without, withUserBank)), (Texts{"PROGRAM BANK U-A: only in NEW"}));
    // Bytes of a listed chunk that no record holds.
    const std::string extraBytes =
        PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) + Chunk("ZZZ1", "x")));
    EXPECT_EQ(LinesOf(CompareBytes(without, extraBytes)), (Texts{"CHUNK PRG1 (programs): changed outside its listed records"}));
}

// Bytes outside every chunk and record are compared too.
TEST(ScryDiff, HeadersAndTrailingBytes)
{
    const std::string before = Small().Bytes();
    std::string header = before;
    header[10] = 7;   // a file-header byte no listing shows
    EXPECT_EQ(LinesOf(CompareBytes(before, header)), (Texts{"FILE HEADER: changed (bytes that no listing shows)"}));
    std::string format = before;
    format[4] = 0x50;
    EXPECT_EQ(LinesOf(CompareBytes(before, format)), (Texts{"FILE HEADER: changed (Kronos format -> Triton)"}));
    std::string parm2 = before;
    parm2[27] = 1;   // the container's parm2
    EXPECT_EQ(LinesOf(CompareBytes(before, parm2)),
              (Texts{"CONTAINER: changed (announces " + std::to_string(before.size() - 28) + " -> " +
                     std::to_string(before.size() - 28) + " bytes, for files of " + std::to_string(before.size()) +
                     " -> " + std::to_string(before.size()) + " bytes)"}));
    std::string trailing = before + "tail";
    trailing.replace(20, 4, Be32(static_cast<std::uint32_t>(trailing.size() - 28)));   // the container counts them
    EXPECT_EQ(LinesOf(CompareBytes(before, trailing)), (Texts{"TRAILING BYTES: 0 -> 4 bytes after the last chunk"}));
    std::string otherTail = trailing;
    otherTail.back() = 'X';
    EXPECT_EQ(LinesOf(CompareBytes(trailing, otherTail)), (Texts{"TRAILING BYTES: 4 -> 4 bytes after the last chunk, changed"}));
}

// A name field whose bytes differ only after the name's terminating zero.
TEST(ScryDiff, BytesAfterTheEndOfAName)
{
    Small before, after;
    SetRecordName(before.programs, pcgw::ProgramSize, 7, std::string("AB\0X", 4));
    SetRecordName(after.programs, pcgw::ProgramSize, 7, std::string("AB\0Y", 4));
    SetSlot(before.setLists, 0, 4, std::string("Lead\0a", 6), PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    SetSlot(after.setLists, 0, 4, std::string("Lead\0b", 6), PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    EXPECT_EQ(DiffOf(before, after), (Texts{"000/004 \"Lead\": bytes after the end of its name changed",
                                           "PROGRAM I-A007 \"AB\": bytes after the end of its name changed"}));
}

// What a damaged file lacks is said as not readable, never as removed, and the summary names it.
TEST(ScryDiff, DamagedSideIsNotReadableNeverRemoved)
{
    const std::string whole = Small().Bytes();
    const std::string cut = whole.substr(0, whole.find("CMB1") + 100);
    const scry::Comparison comparison = CompareBytes(whole, cut);
    const Texts lines = LinesOf(comparison);
    EXPECT_EQ(lines, (Texts{"COMBI BANK I-A: not readable in NEW (file damaged)",
                            "CHUNK CMB1 (combinations): cut short in NEW",
                            "CHUNK GLB1 (global settings): not readable in NEW (file damaged)"}));
    EXPECT_TRUE(comparison.newDamaged);
    EXPECT_EQ(scry::DiffSummary(comparison),
              "3 differences: 0 renamed, 0 changed, 0 moved, 0 added, 0 removed, 0 slot settings, 3 not readable; "
              "NEW is damaged");
    // The other way round, OLD damaged: nothing is "added" either.
    for (const std::string& line : LinesOf(CompareBytes(cut, whole)))
        EXPECT_EQ(line.find("only in NEW"), std::string::npos) << line;
    // Set lists cut short: the slots past the cut are not compared.
    const std::string setListsCut = whole.substr(0, 64 + SlotOffset(0, 1) + 10);
    EXPECT_EQ(LinesOf(CompareBytes(whole, setListsCut)).front(), "SETLISTS from 000/001 on: not readable in NEW (file damaged)");
}

// The n-th bank of a name pairs with the n-th, and the line says which one it is.
TEST(ScryDiff, BanksOfOneNameAreToldApart)
{
    const auto file = [](const std::string& second) {
        return PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) +
                                         BankChunk("PBK1", 0, pcgw::ProgramSize, second) +
                                         BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs)));
    };
    std::string renamed = Small().programs;
    SetRecordName(renamed, pcgw::ProgramSize, 3, "Warm Pad");
    const scry::Comparison comparison = CompareBytes(file(Small().programs), file(renamed));
    ASSERT_EQ(comparison.differences.size(), 1u);
    EXPECT_EQ(comparison.differences[0].line, "PROGRAM I-A003 in the 2nd I-A bank: renamed \"Prog 3\" -> \"Warm Pad\"");
    EXPECT_EQ(comparison.differences[0].bank, 1u);
    EXPECT_EQ(comparison.differences[0].number, 3u);
}

TEST(ScryDiff, SecondSetListBankIsToldApart)
{
    const std::string lists = Small().setLists;
    std::string changed = lists;
    SetSlot(changed, 2, 7, "Strings", PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    const auto file = [&](const std::string& second) {
        return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, lists) + BankChunk("SBK1", 0, pcgw::SetListSize, second)));
    };
    const scry::Comparison comparison = CompareBytes(file(lists), file(changed));
    ASSERT_EQ(comparison.differences.size(), 1u);
    const scry::Difference& difference = comparison.differences[0];
    EXPECT_EQ(difference.line, "002/007 (set-list bank 2) \"Strings\": added, plays Prog I-A001 (bank not in file)");
    EXPECT_EQ(difference.setListBank, 1u);
    EXPECT_EQ(difference.setList, 2u);
    EXPECT_EQ(difference.slot, 7u);
}
