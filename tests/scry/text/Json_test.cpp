// scry json, read back by a JSON parser: what a script finds where.
#include <nlohmann/json.hpp>

#include "page/FilePage.h"
#include "text/Csv.h"
#include "text/Json.h"
#include "ScrySupport.h"

using namespace pcgw;
using nlohmann::json;

namespace {

json Parsed(const std::vector<scry::FileModel>& files, bool all = false)
{
    std::string out;
    scry::WriteJson(out, files, all);
    return json::parse(out);
}

}   // namespace

TEST(ScryJson, FileSetListsBanksAndChunks)
{
    Small small;
    SetRecordName(small.setLists, pcgw::SetListSize, 1, "Caf\xE9");
    const json document = Parsed({small.Model("gig.PCG")});
    ASSERT_EQ(document["files"].size(), 1u);
    const json& file = document["files"][0];
    EXPECT_EQ(file["name"], "gig.PCG");
    EXPECT_EQ(file["size"], small.Bytes().size());
    EXPECT_EQ(file["format"], "Kronos");
    EXPECT_EQ(file["damaged"], false);
    EXPECT_EQ(file["problems"], json::array());

    ASSERT_EQ(file["setLists"].size(), 128u);
    const json& friday = file["setLists"][0];
    EXPECT_EQ(friday["number"], 0);
    EXPECT_EQ(friday["name"], "Friday");
    EXPECT_EQ(file["setLists"][1]["name"], "Caf\xC3\xA9");
    ASSERT_EQ(friday["slots"].size(), 3u);   // used slots only
    const json& piano = friday["slots"][0];
    EXPECT_EQ(piano["name"], "Piano");
    EXPECT_EQ(piano["plays"], (json{{"type", "Prog"}, {"bank", "I-A"}, {"number", 5}, {"name", "Prog 5"}}));
    EXPECT_EQ(piano["color"], 2);
    EXPECT_EQ(piano["font"], 1);
    EXPECT_EQ(piano["transpose"], 1);
    EXPECT_EQ(piano["holdTime"], 3);
    EXPECT_EQ(piano["volume"], 127);
    EXPECT_EQ(piano["kbdTrack"], 0);
    EXPECT_EQ(piano["fingerprint"].get<std::string>().size(), 8u);
    EXPECT_EQ(Parsed({small.Model()}, true)["files"][0]["setLists"][0]["slots"].size(), 128u);

    ASSERT_EQ(file["banks"].size(), 2u);
    EXPECT_EQ(file["banks"][0]["id"], "PBK1");
    EXPECT_EQ(file["banks"][0]["kind"], "program");
    EXPECT_EQ(file["banks"][0]["records"][7]["name"], "Prog 7");
    EXPECT_EQ(file["banks"][1]["kind"], "combination");
    ASSERT_EQ(file["chunks"].size(), 4u);
    EXPECT_EQ(file["chunks"][3]["id"], "GLB1");
    EXPECT_EQ(file["chunks"][3]["holds"], "global settings");
    EXPECT_EQ(file["chunks"][3]["cut"], false);
}

TEST(ScryJson, DamageAndNamesThatAreNoUtf8)
{
    Small small;
    small.extra = ChunkHead("DKT1", 50) + "kit";
    // A file name of bytes that are no UTF-8 is written escaped, so that its bytes can be had back.
    const json document = Parsed({small.Model("bad\xFFname.PCG")});
    const json& file = document["files"][0];
    EXPECT_EQ(file["name"], "bad\\xFFname.PCG");
    EXPECT_EQ(file["nameEscaped"], true);
    EXPECT_EQ(file["damaged"], true);
    ASSERT_EQ(file["problems"].size(), 1u);
    EXPECT_EQ(file["chunks"][4]["cut"], true);
}

// Long outputs are handed on as they are made, never held whole: the same bytes as made at once
// (and as the whole document dumped by the JSON library), the most held at a time a small part.
TEST(ScryStreaming, JsonCsvAndThePageAreHandedOnAsTheyAreMade)
{
    Small small;
    small.extra = ChunkHead("DKT1", 50) + "kit";   // damaged too
    const std::vector<scry::FileModel> files{small.Model("a.PCG"), Small().Model("b.PCG")};
    struct Parts {
        std::string all;
        std::size_t most = 0;
        scry::TextPart Taker()
        {
            return [this](std::string& text) {
                most = std::max(most, text.size());
                all += text;
                text.clear();
            };
        }
    };
    // parts: how many parts the text has at least (set lists, banks), so that none holds more
    // than its share.
    const auto check = [](const std::string& whole, Parts& parts, const std::string& rest, const char* what,
                          std::size_t shares) {
        EXPECT_EQ(parts.all + rest, whole) << what;
        EXPECT_LT(parts.most, whole.size() / shares) << what;
    };
    std::string whole, rest;
    scry::WriteJson(whole, files, true);
    EXPECT_EQ(whole, nlohmann::ordered_json::parse(whole).dump(1, ' ', false) + "\n");
    Parts json;
    scry::WriteJson(rest, files, true, json.Taker());
    check(whole, json, rest, "json", 8);
    whole.clear();
    rest.clear();
    scry::WriteSlotsCsv(whole, files, true);
    Parts csv;
    scry::WriteSlotsCsv(rest, files, true, false, csv.Taker());
    check(whole, csv, rest, "csv", 8);
    whole.clear();
    rest.clear();
    scry::WriteRecordsCsv(whole, files);
    Parts records;
    scry::WriteRecordsCsv(rest, files, false, records.Taker());
    check(whole, records, rest, "csv --records", 3);
    Parts page;
    rest = scry::HtmlPage(files[0], page.Taker());
    check(scry::HtmlPage(files[0]), page, rest, "html", 3);
}
