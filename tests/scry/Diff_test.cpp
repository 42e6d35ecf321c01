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
                     "PROGRAM I-A005: renamed \"Prog 5\" -> \"Cold Pad\" and changed",
                     "SLOT 000/000 \"Piano\" (Friday): now plays \"Cold Pad\" (Prog I-A005), was \"Prog 5\""}));
    EXPECT_EQ(scry::DiffSummary(comparison), "3 differences: 1 renamed, 2 changed, 0 moved, 0 added, 0 removed, 0 slot "
                                             "settings; 1 slot plays another sound");
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
              (Texts{"SLOT 000/000 \"Piano\" (Friday): plays Prog I-A006 \"Prog 6\", was Prog I-A005 \"Prog 5\"; "
                     "volume 100, was 127",
                     "SLOT 000/002 \"Split\" (Friday): removed",
                     "SLOT 000/005 \"New One\" (Friday): added, plays Prog I-A009 \"Prog 9\"",
                     "SLOT 000/000 \"Piano\" (Friday): now plays \"Prog 6\" (Prog I-A006), was \"Prog 5\" (Prog I-A005)"}));
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Settings)], 1u);
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Added)], 1u);
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Removed)], 1u);
}

TEST(ScryDiff, SlotsMovedAreToldFromSlotsCopied)
{
    // Split goes from 000/002 to another set list; Pad is copied to 000/009 and stays where it was.
    Small after;
    const std::string split = after.setLists.substr(SlotOffset(0, 2), pcgw::SlotSize);
    after.setLists.replace(SlotOffset(3, 7), pcgw::SlotSize, split);
    after.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
    after.setLists.replace(SlotOffset(0, 9), pcgw::SlotSize, after.setLists.substr(SlotOffset(0, 1), pcgw::SlotSize));
    const scry::Comparison comparison = CompareBytes(Small().Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(comparison), (Texts{"SLOT 000/002 \"Split\" (Friday): removed",
                                          "SLOT 000/009 \"Pad\" (Friday): added, plays Prog I-A006 \"Prog 6\"",
                                          "SLOT 003/007 \"Split\" (unnamed set list): moved from 000/002"}));
    EXPECT_EQ(comparison.counts.tally[static_cast<std::size_t>(scry::Tally::Moved)], 1u);
    EXPECT_EQ(comparison.differences.back().change, scry::Change::Moved);
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
    EXPECT_EQ(DiffOf(before, after), (Texts{"SLOT 000/004 \"Lead\" (Friday): bytes after the end of its name changed",
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
    // A file cut anywhere, compared with itself: its damage is in the summary, and nothing differs.
    for (std::size_t length = 997; length < whole.size(); length += whole.size() / 37) {
        const std::string same = whole.substr(0, length);
        EXPECT_EQ(LinesOf(CompareBytes(same, same)), Texts{}) << "cut after " << length;
    }
    EXPECT_EQ(LinesOf(CompareBytes(setListsCut, setListsCut)), Texts{});
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
    EXPECT_EQ(difference.line,
              "SLOT 002/007 (set-list bank 2) \"Strings\" (unnamed set list): added, plays Prog I-A001 (bank not in file)");
    EXPECT_EQ(difference.setListBank, 1u);
    EXPECT_EQ(difference.setList, 2u);
    EXPECT_EQ(difference.slot, 7u);
}

namespace {

// The lines of a comparison that say a slot plays another sound.
Texts SoundLines(const Small& before, const Small& after)
{
    Texts lines;
    for (const scry::Difference& difference : CompareBytes(before.Bytes(), after.Bytes()).differences)
        if (difference.change == scry::Change::Impact)
            lines.push_back(difference.line);
    return lines;
}

}   // namespace

// What a change does to the gig: every slot whose sound is not what it was, in a performer's words.
TEST(ScryDiff, SlotsThatPlayAnotherSound)
{
    Small swapped;   // programs 5 and 6 trade places: slots 0 and 1 play them
    swapped.programs.replace(pcgw::ProgramSize * 5, pcgw::ProgramSize, Small().programs.substr(pcgw::ProgramSize * 6, pcgw::ProgramSize));
    swapped.programs.replace(pcgw::ProgramSize * 6, pcgw::ProgramSize, Small().programs.substr(pcgw::ProgramSize * 5, pcgw::ProgramSize));
    EXPECT_EQ(SoundLines(Small(), swapped),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): now plays \"Prog 6\" (Prog I-A005), was \"Prog 5\"",
                     "SLOT 000/001 \"Pad\" (Friday): now plays \"Prog 5\" (Prog I-A006), was \"Prog 6\""}));

    Small changed;
    changed.programs[pcgw::ProgramSize * 5 + 200] ^= 1;
    EXPECT_EQ(SoundLines(Small(), changed),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): now plays \"Prog 5\" (Prog I-A005) with another sound"}));

    Small renamed;
    SetRecordName(renamed.programs, pcgw::ProgramSize, 5, "Bright");
    EXPECT_EQ(SoundLines(Small(), renamed),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): now plays \"Bright\" (Prog I-A005), renamed from \"Prog 5\""}));

    Small retargeted;
    SetSlot(retargeted.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 7, 3, 127, 0));
    EXPECT_EQ(SoundLines(Small(), retargeted),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): now plays \"Prog 7\" (Prog I-A007), was \"Prog 5\" (Prog I-A005)"}));

    // Into the instrument's own bank (GM): what it sounds like is not guessed at.
    Small toGm;
    SetSlot(toGm.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 6, 1, 5, 3, 127, 0));
    EXPECT_EQ(SoundLines(Small(), toGm), Texts{});
    EXPECT_EQ(DiffOf(Small(), toGm),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): plays Prog GM005 (instrument's own bank), was Prog I-A005 "
                     "\"Prog 5\""}));
    // Retargeted to a copy of the same bytes elsewhere: the same sound.
    Small twin;
    twin.programs.replace(pcgw::ProgramSize * 9, pcgw::ProgramSize, Small().programs.substr(pcgw::ProgramSize * 5, pcgw::ProgramSize));
    Small twinTarget = twin;
    SetSlot(twinTarget.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 9, 3, 127, 0));
    EXPECT_EQ(SoundLines(twin, twinTarget), Texts{});
}

TEST(ScryDiff, SlotsOfABankNoLongerInTheFile)
{
    const std::string before = Small().Bytes();
    Small small;
    const std::string after = PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, small.setLists)) +
                                      Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, small.combis)) +
                                      Chunk("GLB1", small.global));
    const scry::Comparison comparison = CompareBytes(before, after);
    Texts sounds;
    for (const scry::Difference& difference : comparison.differences)
        if (difference.change == scry::Change::Impact)
            sounds.push_back(difference.line);
    EXPECT_EQ(sounds, (Texts{"SLOT 000/000 \"Piano\" (Friday): now plays Prog I-A005, which is no longer in the file, "
                             "was \"Prog 5\"",
                             "SLOT 000/001 \"Pad\" (Friday): now plays Prog I-A006, which is no longer in the file, "
                             "was \"Prog 6\""}));
    EXPECT_NE(scry::DiffSummary(comparison).find("; 2 slots play another sound"), std::string::npos);
}
