// Every printer's whole text on two small files, byte for byte: a line that moves, a word that
// changes or a space too many shows here. The files: set list 000 "Gig" with Piano (I-A005
// "Grand") and Strings (I-A006); the second, a version of it with Strings softer, Organ added
// (I-A007) and Grand renamed. The fingerprints are those bankscry's report shows (checked against
// it elsewhere); here they only need to stand where the layout puts them.
#include <nlohmann/json.hpp>

#include "ScrySupport.h"
#include "model/Compare.h"
#include "model/Copy.h"
#include "model/Follow.h"
#include "model/Match.h"
#include "model/SetLists.h"
#include "ops/Library.h"
#include "ops/Operations.h"
#include "text/CarryText.h"
#include "text/Csv.h"
#include "text/DiffJson.h"
#include "text/DiffText.h"
#include "text/Json.h"
#include "text/LibraryText.h"
#include "text/SetListText.h"
#include "text/Show.h"

using namespace pcgw;

namespace {

struct Tiny {
    std::string first, second;
    Tiny()
    {
        std::string lists = Records(pcgw::SetListSize);
        SetName(lists, 0, "Gig");
        SetSlot(lists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
        SetSlot(lists, 0, 1, "Strings", PackSlot(1, 4, 0, 0, 0, 6, 0, 100, 0));
        std::string programs = Records(pcgw::ProgramSize);
        SetRecordName(programs, pcgw::ProgramSize, 5, "Grand");
        SetRecordName(programs, pcgw::ProgramSize, 6, "Strings");
        programs[pcgw::ProgramSize * 5 + 100] = 1;
        programs[pcgw::ProgramSize * 6 + 100] = 2;
        first = File(lists, programs);
        SetSlot(lists, 0, 1, "Strings", PackSlot(1, 4, 0, 0, 0, 6, 0, 90, 0));
        SetSlot(lists, 0, 2, "Organ", PackSlot(1, 9, 2, 0, 0, 7, 0, 110, 0));
        SetRecordName(programs, pcgw::ProgramSize, 5, "Concert Grand");
        SetRecordName(programs, pcgw::ProgramSize, 7, "Organ");
        programs[pcgw::ProgramSize * 7 + 100] = 3;
        second = File(lists, programs);
    }
    static std::string File(const std::string& lists, const std::string& programs)
    {
        return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, lists)) +
                       Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) + Chunk("GLB1", "global"));
    }
};

const Tiny& Files()
{
    static const Tiny tiny;
    return tiny;
}

std::string Pad(std::size_t n)
{
    char text[8];
    std::snprintf(text, sizeof text, "%03zu", n);
    return text;
}

// Empty program places but those named: their line, in each printer's words.
template <class Line>
std::string Programs(std::size_t from, std::size_t to, Line line)
{
    std::string text;
    for (std::size_t n = from; n < to; ++n)
        text += line(n);
    return text;
}

// A used slot of set list 000 playing a program of I-A, as the JSON says it.
nlohmann::ordered_json SlotJson(unsigned n, const char* name, unsigned number, const char* plays, unsigned color,
                                unsigned font, unsigned transpose, unsigned hold, unsigned volume,
                                const char* fingerprint)
{
    return nlohmann::ordered_json{{"slot", n},
                                  {"name", name},
                                  {"used", true},
                                  {"plays", {{"type", "Prog"}, {"bank", "I-A"}, {"number", number}, {"name", plays}}},
                                  {"color", color},
                                  {"font", font},
                                  {"transpose", transpose},
                                  {"holdTime", hold},
                                  {"volume", volume},
                                  {"kbdTrack", 0},
                                  {"fingerprint", fingerprint}};
}

}   // namespace

TEST(ScryPrinters, Show)
{
    std::string out;
    scry::WriteShow(out, scry::ReadModelOfBytes("tiny.PCG", Files().first));
    std::string expected =
        "FILE tiny.PCG  9520246 bytes, Kronos format\n"
        "\n"
        "SETLIST 000 \"Gig\"  EQ 1344B4BA\n"
        "000/000  \"Piano\"  Prog I-A005 \"Grand\"  color 2 orange, font 1, transpose 1, hold 3, volume 127, kbd "
        "track 0  3860C551\n"
        "000/001  \"Strings\"  Prog I-A006 \"Strings\"  color 4 green, font 0, transpose 0, hold 0, volume 100, kbd "
        "track 0  351FC277\n";
    for (std::size_t i = 1; i < 128; ++i)
        expected += "\nSETLIST " + Pad(i) + " \"\"  EQ 1344B4BA\n";
    const auto empty = [](std::size_t n) { return "I-A" + Pad(n) + "  75944B80  \"\"\n"; };
    expected += "\nPROGRAM BANK I-A (PBK1)\n" + Programs(0, 5, empty) +
                "I-A005  8D7E057E  \"Grand\"\n"
                "I-A006  EAEC0A73  \"Strings\"\n" +
                Programs(7, 128, empty) +
                "\n"
                "CHUNK SLS1 (set lists)  offset 28  size 8885272  DDF60F5D\n"
                "CHUNK PRG1 (programs)  offset 8885312  size 634904  6EE39574\n"
                "CHUNK GLB1 (global settings)  offset 9520228  size 6  17FA7482\n";
    EXPECT_EQ(out, expected);
}

TEST(ScryPrinters, CsvOfSlotsAndOfRecords)
{
    const std::vector<scry::FileModel> files{scry::ReadModelOfBytes("tiny.PCG", Files().first)};
    std::string slots;
    scry::WriteSlotsCsv(slots, files, false);
    EXPECT_EQ(slots, "file,set_list,set_list_name,slot,slot_name,type,bank,number,plays,color,font,transpose,"
                     "hold_time,volume,kbd_track,fingerprint\r\n"
                     "tiny.PCG,0,Gig,0,Piano,Prog,I-A,5,Grand,2,1,1,3,127,0,3860C551\r\n"
                     "tiny.PCG,0,Gig,1,Strings,Prog,I-A,6,Strings,4,0,0,0,100,0,351FC277\r\n");
    std::string records;
    scry::WriteRecordsCsv(records, files);
    const auto empty = [](std::size_t n) {
        return "tiny.PCG,program,I-A," + std::to_string(n) + ",,75944B80,2CCCE3B6\r\n";
    };
    EXPECT_EQ(records, "file,kind,bank,number,name,fingerprint,sound_fingerprint\r\n" + Programs(0, 5, empty) +
                           "tiny.PCG,program,I-A,5,Grand,8D7E057E,39C2AFF2\r\n"
                           "tiny.PCG,program,I-A,6,Strings,EAEC0A73,06D05D2E\r\n" +
                           Programs(7, 128, empty));
}

TEST(ScryPrinters, Json)
{
    std::string out;
    scry::WriteJson(out, {scry::ReadModelOfBytes("tiny.PCG", Files().first)}, false);
    nlohmann::ordered_json setLists = nlohmann::ordered_json::array();
    setLists.push_back({{"number", 0},
                        {"name", "Gig"},
                        {"eq", "1344B4BA"},
                        {"slots",
                         {SlotJson(0, "Piano", 5, "Grand", 2, 1, 1, 3, 127, "3860C551"),
                          SlotJson(1, "Strings", 6, "Strings", 4, 0, 0, 0, 100, "351FC277")}}});
    for (unsigned i = 1; i < 128; ++i)
        setLists.push_back(
            {{"number", i}, {"name", ""}, {"eq", "1344B4BA"}, {"slots", nlohmann::ordered_json::array()}});
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    for (unsigned n = 0; n < 128; ++n)
        records.push_back({{"number", n},
                           {"name", n == 5   ? "Grand"
                                    : n == 6 ? "Strings"
                                             : ""},
                           {"fingerprint", n == 5   ? "8D7E057E"
                                           : n == 6 ? "EAEC0A73"
                                                    : "75944B80"},
                           {"sound", n == 5   ? "39C2AFF2"
                                     : n == 6 ? "06D05D2E"
                                              : "2CCCE3B6"}});
    const auto chunk = [](const char* id, const char* holds, long offset, long size, const char* fingerprint) {
        return nlohmann::ordered_json{
            {"id", id},    {"holds", holds}, {"offset", offset}, {"size", size}, {"fingerprint", fingerprint},
            {"cut", false}};
    };
    const nlohmann::ordered_json expected{{"files",
                                           {{{"name", "tiny.PCG"},
                                             {"size", 9520246},
                                             {"format", "Kronos"},
                                             {"damaged", false},
                                             {"problems", nlohmann::ordered_json::array()},
                                             {"setLists", setLists},
                                             {"banks",
                                              {{{"id", "PBK1"},
                                                {"kind", "program"},
                                                {"name", "I-A"},
                                                {"occurrence", 0},
                                                {"loaded", true},
                                                {"records", records}}}},
                                             {"chunks",
                                              {chunk("SLS1", "set lists", 28, 8885272, "DDF60F5D"),
                                               chunk("PRG1", "programs", 8885312, 634904, "6EE39574"),
                                               chunk("GLB1", "global settings", 9520228, 6, "17FA7482")}}}}}};
    // The whole text: the document, one space a level, keys in this order, a line end after it.
    EXPECT_EQ(out, expected.dump(1) + "\n");
}

TEST(ScryPrinters, SetListText)
{
    const scry::FileModel model = scry::ReadModelOfBytes("tiny.PCG", Files().first);
    const scry::SetListView at = scry::SetListOf(model, 0);
    const std::string text = scry::SetListTextOf(model, at, 0xC4D1E3B0);
    const std::string body = "file         \"tiny.PCG\"\n"
                             "setlist      000 \"Gig\"\n"
                             "fingerprint  C4D1E3B0\n"
                             "\n"
                             "# name     plays         color   vol  hold  font  tr  kbd\n"
                             "\"Piano\"    Prog  I-A005  orange  127     3     1   1    0  from 000/000  # Grand\n"
                             "\"Strings\"  Prog  I-A006  green   100     0     0   0    0  from 000/001  # Strings\n";
    // Its first line carries a check of the rest; the help between is the same in every text.
    ASSERT_EQ(text.rfind("# Written by scry, check ", 0), 0u) << text;
    EXPECT_TRUE(scry::IsUneditedText(text));
    EXPECT_EQ(text.substr(text.size() - body.size()), body);
    EXPECT_NE(text.find("\n# Set list 000 of \"tiny.PCG\", as text. Edit it, then write a new file with\n"),
              std::string::npos);
}

TEST(ScryPrinters, DiffTextAndJson)
{
    const scry::FileModel before = scry::ReadModelOfBytes("tiny.PCG", Files().first);
    const scry::FileModel after = scry::ReadModelOfBytes("tiny2.PCG", Files().second);
    const scry::Comparison comparison = scry::Compare(before, after);
    EXPECT_EQ(scry::DiffText(comparison),
              "SLOT 000/001 \"Strings\" (Gig): volume 90, was 100\n"
              "SLOT 000/002 \"Organ\" (Gig): added, plays Prog I-A007 \"Organ\"\n"
              "PROGRAM I-A005: renamed \"Grand\" -> \"Concert Grand\"\n"
              "PROGRAM I-A007: renamed \"\" -> \"Organ\" and changed\n"
              "SLOT 000/000 \"Piano\" (Gig): now plays \"Concert Grand\" (Prog I-A005), renamed from \"Grand\"\n"
              "4 differences: 2 renamed, 1 changed, 0 moved, 0 copied, 1 added, 0 removed, 1 slot settings; 1 slot "
              "plays another sound\n");
    const nlohmann::json json = nlohmann::json::parse(scry::DiffJson(comparison));
    // A slot of set list 000 as the difference holds it: its place, then its fields.
    const auto slot = [](unsigned n, const char* name, unsigned number, const char* plays, unsigned color,
                         unsigned font, unsigned volume, const char* fingerprint) {
        nlohmann::json json{{"setListBank", 0}, {"setList", 0}};
        json.update(nlohmann::json(SlotJson(n, name, number, plays, color, font, 0, 0, volume, fingerprint)));
        return json;
    };
    const auto program = [](unsigned number, const char* name, const char* fingerprint, const char* sound) {
        return nlohmann::json{{"kind", "program"}, {"bank", "I-A"},    {"bankId", 0},  {"occurrence", 0},
                              {"id", "PBK1"},      {"number", number}, {"name", name}, {"fingerprint", fingerprint},
                              {"sound", sound}};
    };
    nlohmann::json piano = slot(0, "Piano", 5, "Grand", 2, 1, 127, "3860C551");
    piano["transpose"] = 1;
    piano["holdTime"] = 3;
    nlohmann::json pianoNow = piano;
    pianoNow["plays"]["name"] = "Concert Grand";
    const nlohmann::json expected{
        {"old", {{"name", "tiny.PCG"}, {"size", 9520246}, {"damaged", false}}},
        {"new", {{"name", "tiny2.PCG"}, {"size", 9520246}, {"damaged", false}}},
        {"summary",
         {{"differences", 4},
          {"renamed", 2},
          {"changed", 1},
          {"moved", 0},
          {"copied", 0},
          {"added", 1},
          {"removed", 0},
          {"settings", 1},
          {"unreadable", 0},
          {"impact", 1}}},
        {"differences",
         {{{"subject", "slot"},
           {"changes", {"settings"}},
           {"old", slot(1, "Strings", 6, "Strings", 4, 0, 100, "351FC277")},
           {"new", slot(1, "Strings", 6, "Strings", 4, 0, 90, "6BE40DC7")},
           {"fields", {{{"field", "volume"}, {"before", 100}, {"after", 90}}}},
           {"line", "SLOT 000/001 \"Strings\" (Gig): volume 90, was 100"}},
          {{"subject", "slot"},
           {"changes", {"added"}},
           {"new", slot(2, "Organ", 7, "Organ", 9, 2, 110, "1A27F9C9")},
           {"line", "SLOT 000/002 \"Organ\" (Gig): added, plays Prog I-A007 \"Organ\""}},
          {{"subject", "record"},
           {"changes", {"renamed"}},
           {"old", program(5, "Grand", "8D7E057E", "39C2AFF2")},
           {"new", program(5, "Concert Grand", "088DFE56", "39C2AFF2")},
           {"line", "PROGRAM I-A005: renamed \"Grand\" -> \"Concert Grand\""}},
          {{"subject", "record"},
           {"changes", {"renamed", "changed"}},
           {"old", program(7, "", "75944B80", "2CCCE3B6")},
           {"new", program(7, "Organ", "B34D09E8", "13DE186A")},
           {"line", "PROGRAM I-A007: renamed \"\" -> \"Organ\" and changed"}},
          {{"subject", "slot"},
           {"changes", {"impact"}},
           {"cause", "recordRenamed"},
           {"old", piano},
           {"new", pianoNow},
           {"line", "SLOT 000/000 \"Piano\" (Gig): now plays \"Concert Grand\" (Prog I-A005), renamed from "
                    "\"Grand\""}}}}};
    EXPECT_EQ(json, expected) << json.dump(1);
}

TEST(ScryPrinters, CopyAndFollowPlans)
{
    const scry::FileModel src = scry::ReadModelOfBytes("band.PCG", Files().second);
    const scry::FileModel dest = scry::ReadModelOfBytes("mine.PCG", Files().first);
    scry::CopyAsk ask;
    ask.setLists.push_back({0, 3, "0=3"});
    const scry::CopyPlan refused = scry::PlanCopy(src, dest, ask);
    ASSERT_EQ(refused.refusals.size(), 1u);
    EXPECT_EQ(scry::RefusalLines(src, dest, refused.refusals[0]),
              (Texts{"the set lists copied play sounds DEST does not hold; --to BANK copies them in:",
                     "  Prog I-A007 \"Organ\""}));
    ask.to = "I-A";
    const scry::CopyPlan plan = scry::PlanCopy(src, dest, ask);
    ASSERT_TRUE(plan.refusals.empty());
    EXPECT_EQ(scry::CopyLines(src, dest, plan),
              (Texts{"PROGRAM I-A000 \"Organ\": copied from SRC's I-A007, a sound a set list copied plays, was \"\"",
                     "SETLIST 003 \"Gig\": copied from SRC's set list 000, was \"\"",
                     "SLOT 003/002 \"Organ\" (Gig): Prog I-A007 -> Prog I-A000 \"Organ\""}));
    EXPECT_EQ(scry::CopySummary(plan),
              "1 record copied, 1 set list copied, 1 slot retargeted, 1 sound copied in for them");
    // The second file with Grand and Strings swapped: the slots follow their sounds.
    std::string swapped = Files().second;
    const scry::Bank& bank = src.banks.at(1);
    const auto at = [&](std::size_t n) { return static_cast<std::size_t>(bank.offset) + n * pcgw::ProgramSize; };
    const std::string grand = swapped.substr(at(5), pcgw::ProgramSize);
    swapped.replace(at(5), pcgw::ProgramSize, swapped.substr(at(6), pcgw::ProgramSize));
    swapped.replace(at(6), pcgw::ProgramSize, grand);
    const scry::FileModel reorganised = scry::ReadModelOfBytes("new.PCG", swapped);
    const std::vector<scry::FollowStep> steps = scry::PlanFollow(src, reorganised);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(scry::FollowLine(src, reorganised, steps[0]),
              "SLOT 000/000 \"Piano\" (Gig): Prog I-A005 -> Prog I-A006 \"Concert Grand\"");
    EXPECT_EQ(scry::FollowLine(src, reorganised, steps[1]),
              "SLOT 000/001 \"Strings\" (Gig): Prog I-A006 -> Prog I-A005 \"Strings\"");
    EXPECT_EQ(scry::FollowSummary(steps), "2 slots retargeted, 0 lost");
}

TEST(ScryPrinters, FindAndDups)
{
    const std::vector<scry::ops::Loaded> files{scry::ops::Load({"tiny.PCG", Files().first}),
                                               scry::ops::Load({"tiny2.PCG", Files().second})};
    scry::FindQuery query;
    query.text = "Grand";
    ASSERT_TRUE(scry::FoldedLatin1("grand", query.folded));
    const scry::ops::FindOutcome found = scry::ops::Find(files, query);
    // A record found shows its sound: the one sound under two names.
    EXPECT_EQ(scry::FindLines(found.entries, found.hits), "tiny.PCG  Prog I-A005  \"Grand\"  39C2AFF2\n"
                                                          "tiny2.PCG  Prog I-A005  \"Concert Grand\"  39C2AFF2\n");
    EXPECT_EQ(scry::FindGroupedLines(found.entries, found.hits),
              "Prog I-A005  \"Grand\"  39C2AFF2  in tiny.PCG\n"
              "Prog I-A005  \"Concert Grand\"  39C2AFF2  in tiny2.PCG\n");
    const scry::ops::DupsOutcome dups = scry::ops::Dups(files, true);
    const std::string text = scry::DupsText(dups.entries, dups.duplicates);
    // The empty places, one group over both files, come first; then the two named sounds.
    const std::size_t named = text.find("SOUND 39C2AFF2");
    ASSERT_NE(named, std::string::npos) << text;
    EXPECT_EQ(text.substr(named), "SOUND 39C2AFF2  HD-1 program, 2 places in 2 files\n"
                                  "  tiny.PCG  Prog I-A005  \"Grand\"\n"
                                  "  tiny2.PCG  Prog I-A005  \"Concert Grand\"\n"
                                  "SOUND 06D05D2E  HD-1 program, 2 places in 2 files\n"
                                  "  tiny.PCG  Prog I-A006  \"Strings\"\n"
                                  "  tiny2.PCG  Prog I-A006  \"Strings\"\n"
                                  "3 groups of the same sound (255 places), 0 of the same set list (0 places)\n");
    const auto empty = [](std::size_t n) { return "Prog I-A" + Pad(n) + "  \"\""; };
    std::string first = "SOUND 2CCCE3B6  HD-1 program, 251 places in 2 files\n  tiny.PCG  ";
    for (std::size_t n = 0; n < 128; ++n)
        if (n < 5 || n > 6)
            first += (n == 0 ? "" : ", ") + empty(n);
    first += "\n  tiny2.PCG  ";
    for (std::size_t n = 0; n < 128; ++n)
        if (n < 5 || n > 7)
            first += (n == 0 ? "" : ", ") + empty(n);
    EXPECT_EQ(text.substr(0, named), first + "\n");
}
