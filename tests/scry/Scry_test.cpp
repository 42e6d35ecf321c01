// scry's model against bankscry's own listings, and its diff, one kind of difference at a time.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Commands.h"
#include "Model.h"
#include "PcgDescription.h"
#include "PcgWriter.h"
#include "TestSupport.h"

using namespace pcgw;

namespace {

std::string DemoBytes()
{
    std::ifstream in(DEMO_DESCRIPTION);
    std::ostringstream text;
    text << in.rdbuf();
    return BuildFromDescription(text.str());
}

// "%24s" of a name, as the report right-aligns it.
std::string Right24(const std::string& name)
{
    char text[64];
    std::snprintf(text, sizeof text, "%24s", name.c_str());
    return text;
}

// Lines of a listing, CR LF taken off.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    return lines;
}

using ScryModel = InMemoryRun;

}   // namespace

// For every set list, slot, program and combination of the demo, scry's name, fingerprint and
// decoded attributes are exactly what bankscry's report and CSV lines say.
TEST_F(ScryModel, AgreesWithBankscrysListingsOnTheDemo)
{
    const std::string demo = DemoBytes();
    LogOf("Kronos_Demo.PCG", demo);
    const std::vector<std::string> report = SplitLines(Read("Kronos_Demo_out.txt"));
    const std::vector<std::string> csv = SplitLines(Read("Kronos_Demo_out.txt_sets.csv"));
    const scry::FileModel model = scry::ReadModelOfBytes("Kronos_Demo.PCG", demo);
    ASSERT_TRUE(model.problems.empty());

    std::vector<std::string> expectReport, expectCsv;
    for (const scry::Bank& bank : model.banks) {
        ASSERT_TRUE(bank.loaded) << bank.id << " " << bank.name;
        for (std::size_t i = 0; i < bank.setLists.size(); ++i) {
            const scry::SetList& list = bank.setLists[i];
            char head[64];
            std::snprintf(head, sizeof head, "SETLIST %03zu \"%s\"", i, Right24(list.name).c_str());
            expectReport.push_back(std::string(head) + " EQ: " + scry::Hex8(list.eq));
            for (std::size_t j = 0; j < list.slots.size(); ++j) {
                const scry::Slot& slot = list.slots[j];
                const scry::SlotAttributes& a = slot.attributes;
                char line[256];
                std::snprintf(line, sizeof line, "%s Slot %03zu \"%s\" %s", head, j, Right24(slot.name).c_str(),
                              scry::Hex8(slot.fingerprint).c_str());
                expectReport.push_back(line);
                std::string setName = list.name.empty() ? " " : list.name;
                std::string slotName = slot.name.empty() ? " " : slot.name;
                for (std::string* name : {&setName, &slotName})
                    for (char& c : *name)
                        c = c == ',' ? '_' : c;
                std::snprintf(line, sizeof line,
                              "%03zu/%zu, %s,%s, %5s, %s%03u, Color %u, Font %u,  Transpose %u, HoldTime %u, "
                              "Volume %u, Kbd_Track %u",
                              i, j, setName.c_str(), slotName.c_str(), a.type == 3 ? "Type3" : a.typeText.c_str(),
                              a.bankText.c_str(), a.number, a.color, a.font, a.transpose, a.holdTime, a.volume,
                              a.kbdTrack);
                expectCsv.push_back(line);
            }
        }
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "%s%4s%03zu \"%s\" %s", bank.kind == Kind::CMB1 ? "COMBI   " : "PROGRAM ",
                          bank.name.c_str(), i, Right24(bank.records[i].name).c_str(),
                          scry::Hex8(bank.records[i].fingerprint).c_str());
            expectReport.push_back(line);
        }
    }
    EXPECT_EQ(expectReport.size(), 17792u);
    EXPECT_EQ(expectReport, report);
    EXPECT_EQ(expectCsv, csv);
    // The chunks bankscry passes over are in the model too.
    std::vector<std::string> ids;
    for (const scry::Chunk& chunk : model.chunks)
        ids.push_back(chunk.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"INI2", "DIV1", "SLS1", "PRG1", "CMB1", "DKT1", "WSQ1", "ARP1", "GLB1"}));
}

namespace {

// A small file: one set list of three used slots, a program bank I-A, a combination bank I-A, a GLB1.
struct Small {
    std::string setLists = Records(pcgw::SetListSize);
    std::string programs = Records(pcgw::ProgramSize);
    std::string combis = Records(pcgw::CombiSize);
    std::string global = "global settings";
    std::string extra;   // more top-level chunks

    Small()
    {
        SetName(setLists, 0, "Friday");
        SetSlot(setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
        SetSlot(setLists, 0, 1, "Pad", PackSlot(1, 4, 0, 0, 0, 6, 0, 100, 0));
        SetSlot(setLists, 0, 2, "Split", PackSlot(0, 1, 0, 0, 0, 0, 0, 90, 0));
        FillRecords(programs, pcgw::ProgramSize, 7);
        FillRecords(combis, pcgw::CombiSize, 8);
        for (std::size_t i = 0; i < 128; ++i)
            SetRecordName(programs, pcgw::ProgramSize, i, "Prog " + std::to_string(i));
        SetRecordName(combis, pcgw::CombiSize, 0, "Combi Zero");
    }
    std::string Bytes() const
    {
        return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                       Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) +
                       Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, combis)) + Chunk("GLB1", global) + extra);
    }
};

std::vector<std::string> DiffOf(const Small& before, const Small& after, scry::DiffCounts& counts)
{
    const scry::FileModel a = scry::ReadModelOfBytes("old.PCG", before.Bytes());
    const scry::FileModel b = scry::ReadModelOfBytes("new.PCG", after.Bytes());
    return scry::DiffLines(a, b, counts);
}

std::vector<std::string> DiffOf(const Small& before, const Small& after)
{
    scry::DiffCounts counts;
    return DiffOf(before, after, counts);
}

using Texts = std::vector<std::string>;

}   // namespace

TEST(ScryDiff, IdenticalFilesGiveNothing)
{
    scry::DiffCounts counts;
    EXPECT_EQ(DiffOf(Small(), Small(), counts), Texts{});
    EXPECT_EQ(counts.Total(), 0u);
}

TEST(ScryDiff, RenamedChangedAndBoth)
{
    Small after;
    SetRecordName(after.programs, pcgw::ProgramSize, 3, "Warm Pad");
    after.programs[pcgw::ProgramSize * 4 + 100] ^= 1;
    SetRecordName(after.programs, pcgw::ProgramSize, 5, "Cold Pad");
    after.programs[pcgw::ProgramSize * 5 + 100] ^= 1;
    scry::DiffCounts counts;
    EXPECT_EQ(DiffOf(Small(), after, counts),
              (Texts{"PROGRAM I-A003: renamed \"Prog 3\" -> \"Warm Pad\"", "PROGRAM I-A004 \"Prog 4\": changed",
                     "PROGRAM I-A005: renamed \"Prog 5\" -> \"Cold Pad\" and changed"}));
    EXPECT_EQ(scry::DiffSummary(counts),
              "3 differences: 1 renamed, 2 changed, 0 moved, 0 added, 0 removed, 0 slot settings");
}

TEST(ScryDiff, RecordMovedToAnotherPlace)
{
    Small after;
    after.programs.replace(pcgw::ProgramSize * 100, pcgw::ProgramSize,
                           Small().programs.substr(pcgw::ProgramSize * 10, pcgw::ProgramSize));
    EXPECT_EQ(DiffOf(Small(), after), (Texts{"PROGRAM I-A100: now holds OLD's I-A010 \"Prog 10\""}));
}

TEST(ScryDiff, SlotSettingsAddedAndRemovedSlots)
{
    Small after;
    SetSlot(after.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 6, 3, 100, 0));
    SetSlot(after.setLists, 0, 5, "New One", PackSlot(1, 0, 0, 0, 0, 9, 0, 127, 0));
    after.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));
    scry::DiffCounts counts;
    EXPECT_EQ(DiffOf(Small(), after, counts),
              (Texts{"000/000 \"Piano\": plays Prog I-A006 \"Prog 6\", was Prog I-A005; volume 100, was 127",
                     "000/002 \"Split\": removed", "000/005 \"New One\": added, plays Prog I-A009 \"Prog 9\""}));
    EXPECT_EQ(counts.settings, 1u);
    EXPECT_EQ(counts.added, 1u);
    EXPECT_EQ(counts.removed, 1u);
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
    EXPECT_EQ(DiffOf(before, after), (Texts{"CHUNK DKT1 (drum kits): added", "CHUNK GLB1 (global settings): changed",
                                            "CHUNK ARP1 (arpeggio patterns): removed"}));
    // A bank in one file only; its chunk changes with it.
    const std::string withUserBank =
        PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) +
                                  BankChunk("PBK1", 0x20000, pcgw::ProgramSize, Records(pcgw::ProgramSize))));
    const std::string without = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs)));
    scry::DiffCounts counts;
    EXPECT_EQ(scry::DiffLines(scry::ReadModelOfBytes("a", without), scry::ReadModelOfBytes("b", withUserBank), counts),
              (Texts{"PROGRAM BANK U-A: only in NEW"}));
    // Bytes of a listed chunk that no record holds.
    const std::string extraBytes =
        PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Small().programs) + Chunk("ZZZ1", "x")));
    EXPECT_EQ(scry::DiffLines(scry::ReadModelOfBytes("a", without), scry::ReadModelOfBytes("b", extraBytes), counts),
              (Texts{"CHUNK PRG1 (programs): changed outside its listed records"}));
}

TEST(ScryRead, ProblemsAndRefusals)
{
    EXPECT_THROW(scry::ReadModelOfBytes("x", "not a pcg file at all"), scry::Trouble);
    EXPECT_THROW(scry::ReadModelOfBytes("x", FileHeader(0x51) + Chunk("PCG1", "")), scry::Trouble);
    // A program bank that fails its size check: the walk stops there.
    const scry::FileModel refused = scry::ReadModelOfBytes(
        "x", PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(64, 4960, 0)))) + ChunkHead("GLB1", 100) + "short");
    ASSERT_EQ(refused.banks.size(), 1u);
    EXPECT_FALSE(refused.banks[0].loaded);
    EXPECT_EQ(refused.problems.size(), 1u);
    ASSERT_EQ(refused.chunks.size(), 1u);
    // A file that ends inside a chunk.
    const scry::FileModel cut = scry::ReadModelOfBytes("x", PcgFile(Chunk("DKT1", "kit")) + ChunkHead("GLB1", 100) + "short");
    EXPECT_EQ(cut.problems.size(), 1u);
    ASSERT_EQ(cut.chunks.size(), 2u);
    EXPECT_FALSE(cut.chunks[0].cut);
    EXPECT_TRUE(cut.chunks[1].cut);
}

TEST(ScryText, NamesAreLatin1AndSlotsResolve)
{
    EXPECT_EQ(scry::Utf8("Caf\xE9 <&>"), "Caf\xC3\xA9 <&>");
    EXPECT_EQ(scry::LineName("a\nb\x7F"), "a\\x0Ab\\x7F");
    EXPECT_EQ(scry::CsvField("Strings, \"Warm\""), "\"Strings, \"\"Warm\"\"\"");
    EXPECT_EQ(scry::CsvField("plain"), "plain");
    const scry::FileModel model = scry::ReadModelOfBytes("x", Small().Bytes());
    const auto plays = [&](std::uint8_t type, std::uint8_t bank, std::uint8_t number) {
        std::string set = Records(pcgw::SetListSize, 1);
        SetSlot(set, 0, 0, "s", PackSlot(type, 0, 0, bank, 0, number, 0, 0, 0));
        const scry::FileModel one =
            scry::ReadModelOfBytes("y", PcgFile(Chunk("SLS1", ChunkHead("SBK1", 12 + pcgw::SetListSize) +
                                                                  BankHead(1, pcgw::SetListSize, 0) + set)));
        return scry::PlaysText(scry::WhatSlotPlays(model, one.banks[0].setLists[0].slots[0].attributes));
    };
    EXPECT_EQ(plays(1, 0, 7), "Prog I-A007 \"Prog 7\"");
    EXPECT_EQ(plays(0, 0, 0), "Combi I-A000 \"Combi Zero\"");
    EXPECT_EQ(plays(1, 1, 7), "Prog I-B007 (bank not in file)");
    EXPECT_EQ(plays(1, 6, 7), "Prog GM007 (instrument's own bank)");
    EXPECT_EQ(plays(2, 0, 3), "Song S-003 (song)");
    EXPECT_EQ(plays(1, 0, 200), "Prog I-A200 (no such number)");
}

TEST(ScryHtml, SelfContainedAndEscaped)
{
    Small small;
    SetSlot(small.setLists, 0, 3, "<b>&\"'\xE9", PackSlot(1, 3, 2, 0, 0, 7, 0, 100, 0));
    const std::string page = scry::HtmlPage(scry::ReadModelOfBytes("a<b>.PCG", small.Bytes()));
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<meta name=\"generator\" content=\"scry"), std::string::npos);
    // Nothing is fetched: no source, link or address outside the page.
    for (const char* outside : {"src=", "http:", "https:", "<link", "@import", "url("})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    EXPECT_NE(page.find("<b>&lt;b&gt;&amp;&quot;&#39;\xC3\xA9</b>"), std::string::npos);
    EXPECT_NE(page.find("<h1>a&lt;b&gt;.PCG</h1>"), std::string::npos);
    EXPECT_EQ(page.find("<b><b>"), std::string::npos);
    // The tile of slot 3: colour 3, font 2, what it plays by name.
    EXPECT_NE(page.find("<li class=\"t c3 f2\"><var>003</var><b>"), std::string::npos);
    EXPECT_NE(page.find("<i>Prog I-A007 Prog 7</i>"), std::string::npos);
}

TEST(ScryHtml, ComparisonMarksEachDifferenceWithText)
{
    Small after;
    SetRecordName(after.programs, pcgw::ProgramSize, 3, "Warm Pad");
    const std::string page = scry::HtmlComparison(scry::ReadModelOfBytes("old", Small().Bytes()),
                                                  scry::ReadModelOfBytes("new", after.Bytes()));
    EXPECT_NE(page.find("1 difference: 1 renamed"), std::string::npos);
    EXPECT_NE(page.find("<mark class=\"m-renamed\">\xE2\x9C\x8E renamed</mark><b>Warm Pad</b>"), std::string::npos);
    EXPECT_NE(page.find("<input type=\"checkbox\" id=\"only\">"), std::string::npos);
}
