// The comparison, one kind of difference at a time, each with its exact line (its text printer)
// and, where the data says more than the line, its data and its JSON.
#include <functional>

#include <nlohmann/json.hpp>

#include "ScrySupport.h"
#include "model/Compare.h"
#include "text/DiffJson.h"
#include "text/DiffText.h"

using namespace pcgw;

namespace {

// The models outlive the comparison that points at them.
struct Compared {
    scry::FileModel before;
    scry::FileModel after;
    scry::Comparison comparison;
    Compared(const std::string& a, const std::string& b)
        : before(scry::ReadModelOfBytes("old.PCG", a)), after(scry::ReadModelOfBytes("new.PCG", b)),
          comparison(scry::Compare(before, after))
    {
    }
    Compared(const Compared&) = delete;
};

Texts LinesOf(const scry::Comparison& comparison)
{
    Texts lines;
    for (const scry::Difference& difference : comparison.differences)
        lines.push_back(scry::DiffLine(comparison, difference));
    return lines;
}

Texts DiffOf(const Small& before, const Small& after)
{
    const Compared compared(before.Bytes(), after.Bytes());
    return LinesOf(compared.comparison);
}

unsigned Tally(const scry::Comparison& comparison, scry::Change change)
{
    return comparison.tally[static_cast<std::size_t>(change)];
}

nlohmann::json JsonOf(const scry::Comparison& comparison) { return nlohmann::json::parse(scry::DiffJson(comparison)); }

// The lines of a comparison that say a slot plays another sound.
Texts SoundLines(const Small& before, const Small& after)
{
    const Compared compared(before.Bytes(), after.Bytes());
    Texts lines;
    for (const scry::Difference& difference : compared.comparison.differences)
        if (difference.Has(scry::Change::Impact))
            lines.push_back(scry::DiffLine(compared.comparison, difference));
    return lines;
}

// Split goes from 000/002 to another set list; Pad is copied to 000/009 and stays where it was;
// Piano is renamed and plays softer.
Small MovedCopiedRenamed()
{
    Small after;
    const std::string split = after.setLists.substr(SlotOffset(0, 2), pcgw::SlotSize);
    after.setLists.replace(SlotOffset(3, 7), pcgw::SlotSize, split);
    after.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
    after.setLists.replace(SlotOffset(0, 9), pcgw::SlotSize, after.setLists.substr(SlotOffset(0, 1), pcgw::SlotSize));
    SetName(after.setLists, SlotOffset(0, 0), "Grand");
    after.setLists[SlotOffset(0, 0) + 24 + 4] = 90;
    return after;
}

}   // namespace

TEST(ScryDiff, IdenticalFilesGiveNothing)
{
    const Compared same(Small().Bytes(), Small().Bytes());
    EXPECT_EQ(LinesOf(same.comparison), Texts{});
    EXPECT_EQ(same.comparison.total, 0u);
    EXPECT_EQ(scry::DiffText(same.comparison), "");
    const nlohmann::json json = JsonOf(same.comparison);
    EXPECT_EQ(json["summary"]["differences"], 0);
    EXPECT_TRUE(json["differences"].empty());
}

TEST(ScryDiff, RenamedChangedAndBoth)
{
    Small after;
    SetRecordName(after.programs, pcgw::ProgramSize, 3, "Warm Pad");
    after.programs[pcgw::ProgramSize * 4 + 100] ^= 1;
    SetRecordName(after.programs, pcgw::ProgramSize, 5, "Cold Pad");
    after.programs[pcgw::ProgramSize * 5 + 100] ^= 1;
    const Compared compared(Small().Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(compared.comparison),
              (Texts{"PROGRAM I-A003: renamed \"Prog 3\" -> \"Warm Pad\"", "PROGRAM I-A004 \"Prog 4\": changed",
                     "PROGRAM I-A005: renamed \"Prog 5\" -> \"Cold Pad\" and changed",
                     "SLOT 000/000 \"Piano\" (Friday): now plays \"Cold Pad\" (Prog I-A005), was \"Prog 5\""}));
    // Renamed and changed counts in both tallies; the slot it does to the gig in neither.
    EXPECT_EQ(scry::DiffSummary(compared.comparison),
              "3 differences: 2 renamed, 2 changed, 0 moved, 0 copied, 0 added, 0 removed, 0 slot settings; "
              "1 slot plays another sound");
}

TEST(ScryDiff, RecordsMovedAndCopied)
{
    // Prog 10 copied over I-A100, staying at I-A010: copied. Prog 20 to I-A101, another record over
    // I-A020: moved.
    Small after;
    const std::string& programs = Small().programs;
    after.programs.replace(pcgw::ProgramSize * 100, pcgw::ProgramSize,
                           programs.substr(pcgw::ProgramSize * 10, pcgw::ProgramSize));
    after.programs.replace(pcgw::ProgramSize * 101, pcgw::ProgramSize,
                           programs.substr(pcgw::ProgramSize * 20, pcgw::ProgramSize));
    after.programs.replace(pcgw::ProgramSize * 20, pcgw::ProgramSize,
                           programs.substr(pcgw::ProgramSize * 30, pcgw::ProgramSize));
    const Compared compared(Small().Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(compared.comparison),
              (Texts{"PROGRAM I-A020: copied from I-A030 \"Prog 30\"", "PROGRAM I-A100: copied from I-A010 \"Prog 10\"",
                     "PROGRAM I-A101: now holds OLD's I-A020 \"Prog 20\""}));
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Copied), 2u);
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Moved), 1u);
    // The same bytes at two places of OLD: a copy names the first in file order.
    Small twice;
    twice.programs.replace(pcgw::ProgramSize * 90, pcgw::ProgramSize,
                           programs.substr(pcgw::ProgramSize * 80, pcgw::ProgramSize));
    Small third = twice;
    third.programs.replace(pcgw::ProgramSize * 7, pcgw::ProgramSize,
                           programs.substr(pcgw::ProgramSize * 80, pcgw::ProgramSize));
    EXPECT_EQ(DiffOf(twice, third), (Texts{"PROGRAM I-A007: copied from I-A080 \"Prog 80\""}));
}

// A slot follows its bytes, then its name and target: moved and edited is one difference, with
// its own old values.
TEST(ScryDiff, SlotMovedAndEditedIsOneDifference)
{
    const auto [before, after] = MovedAndEdited();
    const Compared compared(before.Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(compared.comparison),
              (Texts{"SLOT 000/006 \"Last Waltz\" (Friday): moved from 000/007",
                     "SLOT 000/007 \"Party Organ\" (Friday): moved from 000/006; volume 110, was 90"}));
    EXPECT_EQ(scry::DiffSummary(compared.comparison),
              "2 differences: 0 renamed, 0 changed, 2 moved, 0 copied, 0 added, 0 removed, 1 slot settings");
    const nlohmann::json json = JsonOf(compared.comparison);
    const nlohmann::json& organ = json["differences"][1];
    EXPECT_EQ(organ["subject"], "slot");
    EXPECT_EQ(organ["changes"], (nlohmann::json{"moved", "settings"}));
    EXPECT_EQ(organ["old"]["slot"], 6);
    EXPECT_EQ(organ["new"]["slot"], 7);
    EXPECT_EQ(organ["old"]["volume"], 90);
    EXPECT_EQ(organ["fields"], nlohmann::json::parse(R"([{"field": "volume", "before": 90, "after": 110}])"));
    EXPECT_EQ(organ["line"], "SLOT 000/007 \"Party Organ\" (Friday): moved from 000/006; volume 110, was 90");
    EXPECT_EQ(json["summary"]["moved"], 2);
    EXPECT_EQ(json["summary"]["settings"], 1);
}

TEST(ScryDiff, SlotSettingsAddedAndRemovedSlots)
{
    Small after;
    SetSlot(after.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 6, 3, 100, 0));
    SetSlot(after.setLists, 0, 5, "New One", PackSlot(1, 0, 0, 0, 0, 9, 0, 127, 0));
    after.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
    const Compared compared(Small().Bytes(), after.Bytes());
    EXPECT_EQ(
        LinesOf(compared.comparison),
        (Texts{"SLOT 000/000 \"Piano\" (Friday): plays Prog I-A006 \"Prog 6\", was Prog I-A005 \"Prog 5\"; "
               "volume 100, was 127",
               "SLOT 000/002 \"Split\" (Friday): removed",
               "SLOT 000/005 \"New One\" (Friday): added, plays Prog I-A009 \"Prog 9\"",
               "SLOT 000/000 \"Piano\" (Friday): now plays \"Prog 6\" (Prog I-A006), was \"Prog 5\" (Prog I-A005)"}));
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Settings), 1u);
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Added), 1u);
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Removed), 1u);
    const nlohmann::json json = JsonOf(compared.comparison);
    EXPECT_EQ(json["differences"][0]["fields"], nlohmann::json::parse(R"([{"field": "number", "before": 5, "after": 6},
                                        {"field": "volume", "before": 127, "after": 100}])"));
    EXPECT_EQ(json["differences"][0]["new"]["plays"]["name"], "Prog 6");
    EXPECT_FALSE(json["differences"][1].contains("new"));
    EXPECT_EQ(json["differences"][3]["changes"], nlohmann::json{"impact"});
    EXPECT_EQ(json["differences"][3]["cause"], "targetChanged");
}

TEST(ScryDiff, SlotsMovedCopiedRenamedAndEdited)
{
    Small after = MovedCopiedRenamed();
    const Compared compared(Small().Bytes(), after.Bytes());
    EXPECT_EQ(LinesOf(compared.comparison),
              (Texts{"SLOT 000/000 \"Grand\" (Friday): renamed \"Piano\" -> \"Grand\"; volume 90, was 127",
                     "SLOT 000/009 \"Pad\" (Friday): copied from 000/001",
                     "SLOT 003/007 \"Split\" (unnamed set list): moved from 000/002"}));
    // A rename with a settings change counts in both; nothing was removed from 000/002.
    EXPECT_EQ(scry::DiffSummary(compared.comparison),
              "3 differences: 1 renamed, 0 changed, 1 moved, 1 copied, 0 added, 0 removed, 1 slot settings");
}

// A slot moved and set to play another sound, or moved and renamed, is said as moved with what
// changed, never as one slot removed and another added; a slot edited in every way is still new.
TEST(ScryDiff, SlotMovedAndRetargetedOrRenamed)
{
    const auto moved = [](const std::function<void(std::string&)>& edit) {
        Small after;
        const std::string split = after.setLists.substr(SlotOffset(0, 2), pcgw::SlotSize);
        after.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
        after.setLists.replace(SlotOffset(0, 5), pcgw::SlotSize, split);
        edit(after.setLists);
        return after;
    };
    const Small retargeted =
        moved([](std::string& lists) { SetSlot(lists, 0, 5, "Split", PackSlot(1, 1, 0, 0, 0, 3, 0, 90, 0)); });
    const Compared compared(Small().Bytes(), retargeted.Bytes());
    EXPECT_EQ(LinesOf(compared.comparison),
              (Texts{"SLOT 000/005 \"Split\" (Friday): moved from 000/002; plays Prog I-A003 \"Prog 3\", was Combi "
                     "I-A000 \"Combi Zero\"",
                     "SLOT 000/005 \"Split\" (Friday): now plays \"Prog 3\" (Prog I-A003), was \"Combi Zero\" "
                     "(Combi I-A000)"}));
    const nlohmann::json json = JsonOf(compared.comparison);
    EXPECT_EQ(json["differences"][0]["changes"], (nlohmann::json{"moved", "settings"}));
    EXPECT_EQ(json["differences"][0]["old"]["slot"], 2);
    EXPECT_EQ(json["summary"]["added"], 0);
    EXPECT_EQ(json["summary"]["removed"], 0);

    const Small renamed = moved([](std::string& lists) { SetName(lists, SlotOffset(0, 5), "Split Two"); });
    EXPECT_EQ(DiffOf(Small(), renamed),
              (Texts{"SLOT 000/005 \"Split Two\" (Friday): moved from 000/002; renamed \"Split\" -> \"Split Two\""}));

    const Small other =
        moved([](std::string& lists) { SetSlot(lists, 0, 5, "Drums", PackSlot(1, 1, 0, 0, 0, 3, 0, 70, 0)); });
    EXPECT_EQ(DiffOf(Small(), other), (Texts{"SLOT 000/002 \"Split\" (Friday): removed",
                                             "SLOT 000/005 \"Drums\" (Friday): added, plays Prog I-A003 \"Prog 3\""}));
}

// A change among the 512 bytes after the packed ones, or of a packed bit no changed setting
// reads, is said; a volume edit alone is not said that way.
TEST(ScryDiff, BytesNoListingShows)
{
    Small volume;
    volume.setLists[SlotOffset(0, 0) + 24 + 4] = 110;
    Small hidden = volume;
    hidden.setLists[SlotOffset(0, 0) + 300] ^= 4;
    Small unread;
    unread.setLists[SlotOffset(0, 0) + 24 + 5] |= 0x80;   // b5 bit 7 feeds no setting
    EXPECT_EQ(DiffOf(Small(), volume), (Texts{"SLOT 000/000 \"Piano\" (Friday): volume 110, was 127"}));
    EXPECT_EQ(DiffOf(Small(), hidden),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): volume 110, was 127; other bytes changed"}));
    EXPECT_EQ(DiffOf(Small(), unread), (Texts{"SLOT 000/000 \"Piano\" (Friday): other bytes changed"}));
    const Compared compared(Small().Bytes(), hidden.Bytes());
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Changed), 1u);
    EXPECT_EQ(Tally(compared.comparison, scry::Change::Settings), 1u);
    EXPECT_EQ(JsonOf(compared.comparison)["differences"][0]["otherBytes"], true);
}

// A change of the set-list data bank, of EQ or of a set list's name stands beside the slots'.
TEST(ScryDiff, SetListDataEqAndNamesAreNeverHidden)
{
    const auto file = [](const Small& small, char data) {
        return PcgFile(
            Chunk("SLS1", Chunk("SLD1", BankChunk("SDB1", 0, pcgw::Sdb1Size, std::string(pcgw::Sdb1Size, data))) +
                              Chunk("STL1", BankChunk("SBK1", 0, pcgw::SetListSize, small.setLists))));
    };
    Small after;
    SetName(after.setLists, 0, "Saturday");
    after.setLists[pcgw::EqOffset + 3] = 9;
    after.setLists[SlotOffset(0, 1) + 24 + 4] = 50;
    const Compared compared(file(Small(), 0), file(after, 1));
    EXPECT_EQ(LinesOf(compared.comparison),
              (Texts{"SLOT 000/001 \"Pad\" (Saturday): volume 50, was 100",
                     "SETLIST 000: renamed \"Friday\" -> \"Saturday\"; EQ changed", "SET-LIST DATA (SDB1): changed"}));
    // The chunk's own headers too, where only they changed.
    std::string parm2 = file(Small(), 0);
    parm2[28 + 12 + 8 + 3] = 5;   // SLD1's parm2
    const Compared header(file(Small(), 0), parm2);
    EXPECT_EQ(LinesOf(header.comparison), (Texts{"CHUNK SLS1 (set lists): changed outside its listed records"}));
}

TEST(ScryDiff, BanksAndChunksInOneFileOnly)
{
    Small before, after;
    after.global = "other settings!";
    after.extra = Chunk("DKT1", "kit");
    before.extra = Chunk("ARP1", "arp");
    EXPECT_EQ(DiffOf(before, after), (Texts{"CHUNK GLB1 (global settings): changed", "CHUNK DKT1 (drum kits): added",
                                            "CHUNK ARP1 (arpeggio patterns): removed"}));
    // A bank in one file only; its chunk's headers change with it.
    const std::string withUserBank =
        PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) +
                                  BankChunk("PBK1", 0x20000, pcgw::ProgramSize, Records(pcgw::ProgramSize))));
    const std::string without = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs)));
    const Compared userBank(without, withUserBank);
    EXPECT_EQ(LinesOf(userBank.comparison),
              (Texts{"PROGRAM BANK U-A: only in NEW", "CHUNK PRG1 (programs): changed outside its listed records"}));
    // Bytes of a listed chunk that no record holds.
    const std::string extraBytes =
        PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) + Chunk("ZZZ1", "x")));
    const Compared extra(without, extraBytes);
    EXPECT_EQ(LinesOf(extra.comparison), (Texts{"CHUNK PRG1 (programs): changed outside its listed records"}));
}

// Bytes outside every chunk and record are compared too.
TEST(ScryDiff, HeadersAndTrailingBytes)
{
    const std::string before = Small().Bytes();
    const auto lines = [&](const std::string& after) {
        const Compared compared(before, after);
        return LinesOf(compared.comparison);
    };
    std::string header = before;
    header[10] = 7;   // a file-header byte no listing shows
    EXPECT_EQ(lines(header), (Texts{"FILE HEADER: changed (bytes that no listing shows)"}));
    std::string format = before;
    format[4] = 0x50;
    EXPECT_EQ(lines(format), (Texts{"FILE HEADER: changed (Kronos format -> Triton format)"}));
    std::string parm2 = before;
    parm2[27] = 1;   // the container's parm2
    EXPECT_EQ(lines(parm2),
              (Texts{"CONTAINER: changed (announces " + std::to_string(before.size() - 28) + " -> " +
                     std::to_string(before.size() - 28) + " bytes, for files of " + std::to_string(before.size()) +
                     " -> " + std::to_string(before.size()) + " bytes)"}));
    std::string trailing = before + "tail";
    trailing.replace(20, 4, Be32(static_cast<std::uint32_t>(trailing.size() - 28)));   // the container counts them
    EXPECT_EQ(lines(trailing), (Texts{"TRAILING BYTES: 0 -> 4 bytes after the last chunk"}));
    std::string otherTail = trailing;
    otherTail.back() = 'X';
    const Compared tails(trailing, otherTail);
    EXPECT_EQ(LinesOf(tails.comparison), (Texts{"TRAILING BYTES: 4 -> 4 bytes after the last chunk, changed"}));
}

// A name field whose bytes differ only after the name's terminating zero.
TEST(ScryDiff, BytesAfterTheEndOfAName)
{
    Small before, after;
    SetRecordName(before.programs, pcgw::ProgramSize, 7, std::string("AB\0X", 4));
    SetRecordName(after.programs, pcgw::ProgramSize, 7, std::string("AB\0Y", 4));
    SetSlot(before.setLists, 0, 4, std::string("Lead\0a", 6), PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    SetSlot(after.setLists, 0, 4, std::string("Lead\0b", 6), PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    SetName(before.setLists, 0, std::string("Friday\0a", 8));
    SetName(after.setLists, 0, std::string("Friday\0b", 8));
    EXPECT_EQ(DiffOf(before, after), (Texts{"SLOT 000/004 \"Lead\" (Friday): other bytes changed",
                                            "SETLIST 000 \"Friday\": bytes after the end of its name changed",
                                            "PROGRAM I-A007 \"AB\": bytes after the end of its name changed"}));
}

// What a damaged file lacks is said as not readable, never as removed, and the summary names it.
TEST(ScryDiff, DamagedSideIsNotReadableNeverRemoved)
{
    const std::string whole = Small().Bytes();
    const std::string cut = whole.substr(0, whole.find("CMB1") + 100);
    const Compared compared(whole, cut);
    EXPECT_EQ(
        LinesOf(compared.comparison),
        (Texts{"COMBI BANK I-A: not readable in NEW (file damaged)", "CHUNK CMB1 (combinations): cut short in NEW",
               "CHUNK GLB1 (global settings): not readable in NEW (file damaged)"}));
    EXPECT_EQ(scry::DiffSummary(compared.comparison),
              "3 differences: 0 renamed, 0 changed, 0 moved, 0 copied, 0 added, 0 removed, 0 slot settings, 3 not "
              "readable; NEW is damaged");
    EXPECT_EQ(JsonOf(compared.comparison)["differences"][0]["cause"], "newDamaged");
    // The other way round, OLD damaged: nothing is "added" either.
    const Compared reversed(cut, whole);
    for (const std::string& line : LinesOf(reversed.comparison))
        EXPECT_EQ(line.find("only in NEW"), std::string::npos) << line;
    // Set lists cut short: the slots past the cut are not compared.
    const std::string setListsCut = whole.substr(0, 64 + SlotOffset(0, 1) + 10);
    const Compared lists(whole, setListsCut);
    EXPECT_EQ(LinesOf(lists.comparison).front(), "SETLISTS from 000/001 on: not readable in NEW (file damaged)");
    // A file cut anywhere, compared with itself: its damage is in the summary, and nothing differs.
    for (std::size_t length = 997; length < whole.size(); length += whole.size() / 37) {
        const std::string same = whole.substr(0, length);
        const Compared itself(same, same);
        EXPECT_EQ(LinesOf(itself.comparison), Texts{}) << "cut after " << length;
    }
    const Compared itself(setListsCut, setListsCut);
    EXPECT_EQ(LinesOf(itself.comparison), Texts{});
}

// The n-th bank of a place pairs with the n-th, and the line says which one it is.
TEST(ScryDiff, BanksOfOnePlaceAreToldApart)
{
    const auto file = [](const std::string& second) {
        return PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) +
                                         BankChunk("PBK1", 0, pcgw::ProgramSize, second) +
                                         BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs)));
    };
    std::string renamed = Small().programs;
    SetRecordName(renamed, pcgw::ProgramSize, 3, "Warm Pad");
    const Compared compared(file(Small().programs), file(renamed));
    ASSERT_EQ(compared.comparison.differences.size(), 1u);
    const scry::Difference& difference = compared.comparison.differences[0];
    EXPECT_EQ(scry::DiffLine(compared.comparison, difference),
              "PROGRAM I-A003 in the 2nd I-A bank: renamed \"Prog 3\" -> \"Warm Pad\"");
    EXPECT_EQ(difference.newAt, scry::Place(scry::RecordAt{1, 3}));
    EXPECT_EQ(JsonOf(compared.comparison)["differences"][0]["new"]["occurrence"], 1);
}

TEST(ScryDiff, SecondSetListBankIsToldApart)
{
    const std::string lists = Small().setLists;
    std::string changed = lists;
    SetSlot(changed, 2, 7, "Strings", PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    const auto file = [&](const std::string& second) {
        return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, lists) +
                                         BankChunk("SBK1", 0, pcgw::SetListSize, second)));
    };
    const Compared compared(file(lists), file(changed));
    ASSERT_EQ(compared.comparison.differences.size(), 1u);
    const scry::Difference& difference = compared.comparison.differences[0];
    EXPECT_EQ(scry::DiffLine(compared.comparison, difference),
              "SLOT 002/007 (set-list bank 2 of 2) \"Strings\" (unnamed set list): added, plays Prog I-A001 (bank not "
              "in file)");
    EXPECT_EQ(difference.newAt, scry::Place(scry::SlotAt{1, 2, 7}));
}

// What a change does to the gig: every slot whose sound is not what it was, in a performer's words.
TEST(ScryDiff, SlotsThatPlayAnotherSound)
{
    Small swapped;   // programs 5 and 6 trade places: slots 0 and 1 play them
    swapped.programs.replace(pcgw::ProgramSize * 5, pcgw::ProgramSize,
                             Small().programs.substr(pcgw::ProgramSize * 6, pcgw::ProgramSize));
    swapped.programs.replace(pcgw::ProgramSize * 6, pcgw::ProgramSize,
                             Small().programs.substr(pcgw::ProgramSize * 5, pcgw::ProgramSize));
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
    EXPECT_EQ(
        SoundLines(Small(), retargeted),
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
    twin.programs.replace(pcgw::ProgramSize * 9, pcgw::ProgramSize,
                          Small().programs.substr(pcgw::ProgramSize * 5, pcgw::ProgramSize));
    Small twinTarget = twin;
    SetSlot(twinTarget.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 9, 3, 127, 0));
    EXPECT_EQ(SoundLines(twin, twinTarget), Texts{});
    // A slot that moved plays what it played: no word of another sound.
    Small moved;
    moved.setLists.replace(SlotOffset(0, 10), pcgw::SlotSize,
                           Small().setLists.substr(SlotOffset(0, 0), pcgw::SlotSize));
    moved.setLists.replace(SlotOffset(0, 0), pcgw::SlotSize, Small().setLists.substr(SlotOffset(0, 1), pcgw::SlotSize));
    moved.setLists.replace(SlotOffset(0, 1), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
    EXPECT_EQ(SoundLines(Small(), moved), Texts{});
}

TEST(ScryDiff, SlotsOfABankNoLongerInTheFile)
{
    const std::string before = Small().Bytes();
    Small small;
    const std::string after =
        PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, small.setLists)) +
                Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, small.combis)) + Chunk("GLB1", small.global));
    EXPECT_EQ(SoundLines(Small(), Small()), Texts{});
    const Compared compared(before, after);
    Texts sounds;
    for (const scry::Difference& difference : compared.comparison.differences)
        if (difference.Has(scry::Change::Impact))
            sounds.push_back(scry::DiffLine(compared.comparison, difference));
    EXPECT_EQ(sounds, (Texts{"SLOT 000/000 \"Piano\" (Friday): now plays Prog I-A005, which is no longer in the file, "
                             "was \"Prog 5\"",
                             "SLOT 000/001 \"Pad\" (Friday): now plays Prog I-A006, which is no longer in the file, "
                             "was \"Prog 6\""}));
    EXPECT_NE(scry::DiffSummary(compared.comparison).find("; 2 slots play another sound"), std::string::npos);
}

// The comparison as data, no printer between: what each difference is about, what happened to
// it and why, where it stands in each file, and the tallies the summary is made from.
namespace {

struct Seen {
    scry::Subject subject;
    std::uint16_t changes;
    scry::Cause cause;
    scry::Place oldAt;   // nothing where it is not in OLD
    scry::Place newAt;
    bool operator==(const Seen&) const = default;
};

std::uint16_t Bits(std::initializer_list<scry::Change> changes)
{
    scry::Difference d;
    for (const scry::Change change : changes)
        d.Add(change);
    return d.changes;
}

std::vector<Seen> SeenIn(const scry::Comparison& comparison)
{
    std::vector<Seen> seen;
    for (const scry::Difference& d : comparison.differences)
        seen.push_back(
            {d.subject, d.changes, d.cause, d.inOld ? d.oldAt : scry::Place{}, d.inNew ? d.newAt : scry::Place{}});
    return seen;
}

}   // namespace

TEST(ScryCompareData, SubjectsCausesPlacesAndTallies)
{
    using scry::Cause;
    using scry::Change;
    using scry::Subject;
    // Piano renamed and softer, Pad copied to 000/009, Split moved to 003/007; I-A005 (Piano's
    // sound) renamed, I-A006 (Pad's) another sound; the global chunk changed.
    Small after = MovedCopiedRenamed();
    SetRecordName(after.programs, pcgw::ProgramSize, 5, "Warm");
    after.programs[pcgw::ProgramSize * 6 + 100] ^= 1;
    after.global = "other settings!";
    const Compared compared(Small().Bytes(), after.Bytes());
    const scry::Comparison& c = compared.comparison;

    // Banks in file order: the set lists, the programs, the combinations; chunks the same.
    const scry::Chunk& global = compared.after.chunks.at(3);
    ASSERT_EQ(global.id, MakeId("GLB1"));
    const scry::Chunk& globalThen = compared.before.chunks.at(3);
    const std::vector<Seen> expected{
        {Subject::Slot, Bits({Change::Renamed, Change::Settings}), Cause::None, scry::SlotAt{0, 0, 0},
         scry::SlotAt{0, 0, 0}},
        {Subject::Slot, Bits({Change::Copied}), Cause::None, scry::SlotAt{0, 0, 1}, scry::SlotAt{0, 0, 9}},
        {Subject::Slot, Bits({Change::Moved}), Cause::None, scry::SlotAt{0, 0, 2}, scry::SlotAt{0, 3, 7}},
        {Subject::Record, Bits({Change::Renamed}), Cause::None, scry::RecordAt{1, 5}, scry::RecordAt{1, 5}},
        {Subject::Record, Bits({Change::Changed}), Cause::None, scry::RecordAt{1, 6}, scry::RecordAt{1, 6}},
        {Subject::Chunk, Bits({Change::Changed}), Cause::None, scry::ChunkAt{3, globalThen.id, globalThen.offset},
         scry::ChunkAt{3, global.id, global.offset}},
        // What the changes do to the gig, after them: Piano's sound renamed, Pad's other, where it
        // stands and where it was copied to.
        {Subject::Slot, Bits({Change::Impact}), Cause::RecordRenamed, scry::SlotAt{0, 0, 0}, scry::SlotAt{0, 0, 0}},
        {Subject::Slot, Bits({Change::Impact}), Cause::RecordChanged, scry::SlotAt{0, 0, 1}, scry::SlotAt{0, 0, 1}},
        {Subject::Slot, Bits({Change::Impact}), Cause::RecordChanged, scry::SlotAt{0, 0, 1}, scry::SlotAt{0, 0, 9}},
    };
    EXPECT_EQ(SeenIn(c), expected);
    ASSERT_EQ(c.differences.size(), expected.size());
    EXPECT_EQ(c.differences[0].fields, (std::vector<scry::FieldChange>{{SlotField::Volume, 127, 90}}));
    EXPECT_FALSE(c.differences[0].otherBytes);
    // Each kind of change counted once per difference that has it; impacts apart from the total.
    EXPECT_EQ(Tally(c, Change::Renamed), 2u);
    EXPECT_EQ(Tally(c, Change::Settings), 1u);
    EXPECT_EQ(Tally(c, Change::Copied), 1u);
    EXPECT_EQ(Tally(c, Change::Moved), 1u);
    EXPECT_EQ(Tally(c, Change::Changed), 2u);
    EXPECT_EQ(Tally(c, Change::Added) + Tally(c, Change::Removed) + Tally(c, Change::Unreadable), 0u);
    EXPECT_EQ(Tally(c, Change::Impact), 3u);
    EXPECT_EQ(c.total, 6u);
    // The things a difference names, in each file.
    EXPECT_EQ(scry::OldSlot(c, c.differences[2])->name, "Split");
    EXPECT_EQ(scry::NewSlot(c, c.differences[0])->name, "Grand");
    EXPECT_EQ(scry::OldRecord(c, c.differences[3])->name, "Prog 5");
    EXPECT_EQ(scry::NewRecord(c, c.differences[3])->name, "Warm");
    EXPECT_EQ(scry::NewSetList(c, c.differences[2])->name, "");
    EXPECT_EQ(scry::OldSetList(c, c.differences[2])->name, "Friday");
    EXPECT_EQ(scry::NewRecord(c, c.differences[0]), nullptr) << "a slot's place names no record";
}

// A side that cannot be read: never removed or added, and which side and why is data.
TEST(ScryCompareData, WhatOneSideCannotRead)
{
    using scry::Cause;
    using scry::Change;
    using scry::Subject;
    const std::string whole = Small().Bytes();
    const Compared compared(whole, whole.substr(0, whole.find("CMB1") + 100));
    const scry::Comparison& c = compared.comparison;
    const scry::Chunk& cmb = compared.before.chunks.at(2);
    const scry::Chunk& cmbNow = compared.after.chunks.at(2);
    const scry::Chunk& glb = compared.before.chunks.at(3);
    EXPECT_EQ(
        SeenIn(c),
        (std::vector<Seen>{
            {Subject::RecordBank, Bits({Change::Unreadable}), Cause::NewDamaged, scry::BankAt{2}, scry::BankAt{2}},
            {Subject::Chunk, Bits({Change::Unreadable}), Cause::CutShortInNew, scry::ChunkAt{2, cmb.id, cmb.offset},
             scry::ChunkAt{2, cmbNow.id, cmbNow.offset}},
            {Subject::Chunk, Bits({Change::Unreadable}), Cause::NewDamaged, scry::ChunkAt{3, glb.id, glb.offset}, {}},
        }));
    EXPECT_EQ(Tally(c, Change::Unreadable), 3u);
    EXPECT_EQ(Tally(c, Change::Removed), 0u);
    // The other way round: OLD is the one that cannot read them.
    const Compared reversed(whole.substr(0, whole.find("CMB1") + 100), whole);
    for (const scry::Difference& d : reversed.comparison.differences)
        EXPECT_TRUE(d.cause == Cause::OldDamaged || d.cause == Cause::CutShortInOld)
            << scry::DiffLine(reversed.comparison, d);
}
