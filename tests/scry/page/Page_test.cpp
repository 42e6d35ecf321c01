// scry html: a page that fetches nothing, escapes what it shows, converts names once, and marks
// each difference on the one element it is about.
#include <map>
#include <regex>
#include <set>

#include "ScrySupport.h"
#include "model/Compare.h"
#include "page/ComparisonPage.h"
#include "page/FilePage.h"
#include "page/PageAssets.h"

using namespace pcgw;

namespace {

// Every id="..." of a page, with how often it stands there.
std::map<std::string, int> Ids(const std::string& page)
{
    std::map<std::string, int> ids;
    const std::regex id(" id=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), id); it != std::sregex_iterator(); ++it)
        ++ids[(*it)[1]];
    return ids;
}

// The part of a page from the element with this id to the end of that section.
std::string Section(const std::string& page, const std::string& id)
{
    const std::size_t at = page.find(" id=\"" + id + "\"");
    if (at == std::string::npos)
        return {};
    return page.substr(at, page.find("</section>", at) - at);
}

std::string ComparisonOf(const scry::FileModel& before, const scry::FileModel& after)
{
    return scry::HtmlComparison(scry::Compare(before, after));
}

}   // namespace

TEST(ScryHtml, SelfContainedAndEscaped)
{
    Small small;
    SetSlot(small.setLists, 0, 3, "<b>&\"'\xE9", PackSlot(1, 3, 2, 0, 0, 7, 0, 100, 0));
    const std::string page = scry::HtmlPage(small.Model("a<b>.PCG"));
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<meta name=\"generator\" content=\"scry " BANKSCRY_VERSION "\">"), std::string::npos);
    // Nothing is fetched: no source, link or address outside the page; style and script are inline.
    for (const char* outside : {"src=", "http:", "https:", "<link", "@import", "url("})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    EXPECT_NE(page.find(scry::PageStyle), std::string::npos);
    EXPECT_NE(page.find(scry::PageScript), std::string::npos);
    EXPECT_NE(page.find("<b>&lt;b&gt;&amp;&quot;&#39;\xC3\xA9</b>"), std::string::npos);
    EXPECT_NE(page.find("<h1>a&lt;b&gt;.PCG</h1>"), std::string::npos);
    EXPECT_EQ(page.find("<b><b>"), std::string::npos);
    // The tile of slot 3: colour 3, font 2, what it plays by name, its settings for the gig sheet.
    EXPECT_NE(page.find("<li class=\"t c3 f2\" data-transpose=\"0\" data-volume=\"100\"><var>003</var><b>"),
              std::string::npos);
    // Each setting and its value held together by a no-break space, never parted across lines.
    EXPECT_NE(page.find("<i><span class=\"place\">Prog I-A007</span> Prog 7</i><small>tr\xC2\xA0"
                        "0 \xC2\xB7 hold\xC2\xA0"
                        "0 \xC2\xB7 vol\xC2\xA0"
                        "100 \xC2\xB7 kbd\xC2\xA0"
                        "0</small>"),
              std::string::npos);
}

TEST(ScryHtml, ComparisonMarksEachDifferenceWithText)
{
    Small after;
    SetRecordName(after.programs, pcgw::ProgramSize, 3, "Warm Pad");
    const std::string page = ComparisonOf(Small().Model("old"), after.Model("new"));
    EXPECT_NE(page.find("1 difference: 1 renamed"), std::string::npos);
    EXPECT_NE(page.find("<mark class=\"m-renamed\">\xE2\x9C\x8E renamed</mark><b>Warm Pad</b>"), std::string::npos);
    EXPECT_NE(page.find("<input type=\"checkbox\" id=\"only\">"), std::string::npos);
    // The legend shows every kind of change once.
    for (const char* style :
         {"m-renamed", "m-changed", "m-moved", "m-added", "m-removed", "m-settings", "m-unreadable"})
        EXPECT_NE(page.find("<li><mark class=\"" + std::string(style) + "\">"), std::string::npos) << style;
}

// A line that holds a converted name is written as it is: never converted a second time.
TEST(ScryHtml, TextIsConvertedOnce)
{
    Small after;
    SetRecordName(after.programs, pcgw::ProgramSize, 3, "Caf\xE9");
    const std::string page = ComparisonOf(Small().Model("old"), after.Model("new"));
    EXPECT_NE(page.find("renamed &quot;Prog 3&quot; -&gt; &quot;Caf\xC3\xA9&quot;"), std::string::npos);
    EXPECT_EQ(page.find("Caf\xC3\x83\xC2\xA9"), std::string::npos);
}

// Three program banks of one name and two set-list banks: each mark on its own element, and
// every id of the page unique.
TEST(ScryHtml, MarksLandOnTheirOwnBankAndSetList)
{
    const std::string programs = Small().programs;
    std::string renamed = programs;
    SetRecordName(renamed, pcgw::ProgramSize, 3, "Warm Pad");
    const std::string lists = Small().setLists;
    std::string changed = lists;
    SetSlot(changed, 2, 7, "Strings", PackSlot(1, 0, 0, 0, 0, 1, 0, 100, 0));
    const auto file = [&](const std::string& second, const std::string& secondLists) {
        return scry::ReadModelOfBytes("f",
                                      PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, lists) +
                                                                BankChunk("SBK1", 0, pcgw::SetListSize, secondLists)) +
                                              Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs) +
                                                                BankChunk("PBK1", 0, pcgw::ProgramSize, second) +
                                                                BankChunk("PBK1", 0, pcgw::ProgramSize, programs))));
    };
    const std::string page = ComparisonOf(file(programs, lists), file(renamed, changed));
    for (const auto& [id, count] : Ids(page))
        EXPECT_EQ(count, 1) << id;
    // The banks are sections bank2, bank3 and bank4 (after the two set-list banks).
    EXPECT_EQ(Section(page, "bank2").find("m-renamed"), std::string::npos);
    EXPECT_NE(Section(page, "bank3").find("<mark class=\"m-renamed\">"), std::string::npos);
    EXPECT_EQ(Section(page, "bank4").find("m-renamed"), std::string::npos);
    EXPECT_NE(Section(page, "bank3").find("I-A (2nd of 3)"), std::string::npos);
    // The added slot is marked in the second set-list bank's set list 2 only.
    EXPECT_NE(Section(page, "sl2-002").find("<mark class=\"m-added\">"), std::string::npos);
    EXPECT_EQ(Section(page, "sl002").find("m-added"), std::string::npos);
}

// Unused slots are folded a run to a line; only used slots get tiles.
TEST(ScryHtml, UnusedSlotsFoldedARunToALine)
{
    Small small;
    SetSlot(small.setLists, 0, 9, "Late", PackSlot(1, 0, 0, 0, 0, 9, 0, 100, 0));
    SetSlot(small.setLists, 0, 20, "Page Two", PackSlot(1, 0, 0, 0, 0, 9, 0, 100, 0));
    const std::string page = scry::HtmlPage(small.Model());
    const std::string friday = Section(page, "sl000");
    EXPECT_NE(friday.find("<li class=\"pg\">Page 1 \xC2\xB7 slots 000 to 015</li>"), std::string::npos);
    EXPECT_NE(friday.find("<li class=\"run\">slots 003 to 008 unused</li><li class=\"t"), std::string::npos);
    EXPECT_NE(
        friday.find(
            "<li class=\"run\">slots 010 to 019 unused</li><li class=\"pg\">Page 2 \xC2\xB7 slots 016 to 031</li>"),
        std::string::npos);
    EXPECT_NE(friday.find("<li class=\"run\">slots 021 to 127 unused</li></ol>"), std::string::npos);
    std::size_t tiles = 0;
    for (std::size_t at = friday.find("<li class=\"t "); at != std::string::npos;
         at = friday.find("<li class=\"t ", at + 1))
        ++tiles;
    EXPECT_EQ(tiles, 5u);
    EXPECT_EQ(Section(page, "sl001"), "");   // no used slot: listed by name only
    EXPECT_NE(Section(page, "unused-setlists").find("<li><var>001</var><b></b></li>"), std::string::npos);
}

// On a comparison, what a slot played and the settings it had are written on its tile.
TEST(ScryHtml, ComparisonWritesOldSoundsAndSettings)
{
    Small after;
    SetSlot(after.setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 90, 0));   // volume 127 -> 90
    after.programs[pcgw::ProgramSize * 5 + 300] ^= 1;                               // the sound it plays
    const std::string page = ComparisonOf(Small().Model("old"), after.Model("new"));
    const std::string friday = Section(page, "sl000");
    EXPECT_NE(friday.find("<mark class=\"m-settings\">"), std::string::npos);
    EXPECT_NE(friday.find("<mark class=\"m-impact\">\xE2\x99\xAA plays another sound</mark>"), std::string::npos);
    EXPECT_NE(friday.find("<s class=\"was\">was <span class=\"place\">Prog I-A005</span> Prog 5</s>"),
              std::string::npos);
    EXPECT_NE(friday.find("vol\xC2\xA0"
                          "90\xC2\xA0<em>(was\xC2\xA0"
                          "127)</em>"),
              std::string::npos);
    // Parts where nothing changed, and tiles that did not, are marked to be left out.
    EXPECT_NE(page.find("<section id=\"combis\" class=\"part same\" data-plays=\"Combi\">"), std::string::npos);
    EXPECT_NE(page.find("<section id=\"setlists\" class=\"part\">"), std::string::npos);
    EXPECT_NE(friday.find("<li id=\"s0-000-001\" class=\"t c4 f0 same\""), std::string::npos);   // "Pad", unchanged
}

// The first screen of a comparison: the summary and every difference, each a link to where it is
// marked; a slot that only moved shows no old settings, one moved and edited its own old ones.
TEST(ScryHtml, ComparisonListsItsDifferencesFirstAndMovedSlotsKeepTheirOwnPast)
{
    const auto [before, after] = MovedAndEdited();
    const std::string page = ComparisonOf(before.Model("old"), after.Model("new"));
    const std::size_t list = page.find("<ol class=\"differences\">");
    ASSERT_NE(list, std::string::npos);
    EXPECT_LT(list, page.find("<nav"));
    EXPECT_LT(page.find("<p class=\"summary\">"), list);
    EXPECT_EQ(page.find("<details><summary>Every difference"), std::string::npos);
    EXPECT_NE(page.find("<li><mark class=\"m-moved\">\xE2\x86\x94 moved</mark><a href=\"#s0-000-006\">SLOT 000/006 "
                        "&quot;Last Waltz&quot; (Friday): moved from 000/007</a></li>"),
              std::string::npos);
    const std::size_t waltz = page.find("<li id=\"s0-000-006\"");
    const std::string waltzTile = page.substr(waltz, page.find("</li>", waltz) - waltz);
    EXPECT_EQ(waltzTile.find("was"), std::string::npos) << waltzTile;
    const std::size_t organ = page.find("<li id=\"s0-000-007\"");
    const std::string organTile = page.substr(organ, page.find("</li>", organ) - organ);
    EXPECT_NE(organTile.find("vol\xC2\xA0"
                             "110\xC2\xA0<em>(was\xC2\xA0"
                             "90)</em>"),
              std::string::npos)
        << organTile;
    EXPECT_EQ(organTile.find("(was 127)"), std::string::npos) << organTile;
}
