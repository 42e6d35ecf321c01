// The page's requests, asked natively as the page asks them: JSON in, one shape of answer out,
// every failure an error with its kind and place, every byte given freed, every new file the same
// bytes as the command makes.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "PcgWriter.h"
#include "model/SetLists.h"
#include "ops/Operations.h"
#include "requests/Requests.h"
#include "requests/Shelf.h"
#include "text/SetListText.h"

namespace {

using nlohmann::json;
using pcgw::BankChunk;
using pcgw::Chunk;
using pcgw::PcgFile;
using pcgw::Records;

// A file of set lists (set list 0 "Friday": slot 0 "Opening" plays I-A005, slot 1 "Ballad" plays
// I-A006) and program bank I-A, its programs named "Prog N".
std::string FileBytes(std::uint32_t seed)
{
    std::string setLists = Records(pcgw::SetListSize);
    pcgw::SetName(setLists, 0, "Friday");
    pcgw::SetSlot(setLists, 0, 0, "Opening", pcgw::PackSlot(0, 2, 1, 0, 3, 5, 3, 127, 0));
    pcgw::SetSlot(setLists, 0, 1, "Ballad", pcgw::PackSlot(0, 4, 0, 0, 4, 6, 0, 100, 0));
    std::string programs = Records(pcgw::ProgramSize);
    pcgw::FillRecords(programs, pcgw::ProgramSize, seed);
    for (std::size_t i = 0; i < pcgw::BankRecords; ++i)
        pcgw::SetRecordName(programs, pcgw::ProgramSize, i, "Prog " + std::to_string(i));
    return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                   Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) + Chunk("GLB1", "global"));
}

scry::GivenBytes Given(const std::string& bytes)
{
    auto* copy = static_cast<std::uint8_t*>(std::malloc(bytes.size() + 1));
    std::memcpy(copy, bytes.data(), bytes.size());
    return scry::GivenBytes(copy);
}

json Open(scry::Requests& requests, const std::string& name, const std::string& bytes)
{
    return json::parse(requests.Open(name, Given(bytes), bytes.size()));
}

json Ask(scry::Requests& requests, const json& request) { return json::parse(requests.Answer(request.dump())); }

// The value of an answer that must be one.
json Value(const json& answer)
{
    EXPECT_EQ(answer.at("ok"), true) << answer.dump();
    return answer.value("value", json());
}

// The error of an answer that must be one, its kind checked.
json Error(const json& answer, const char* kind)
{
    EXPECT_EQ(answer.at("ok"), false) << answer.dump();
    const json error = answer.value("error", json::object());
    EXPECT_EQ(error.value("kind", ""), kind) << answer.dump();
    EXPECT_FALSE(error.value("words", "").empty()) << answer.dump();
    return error;
}

std::string MadeBytes(const scry::Requests& requests, int made)
{
    const auto parts = requests.MadeParts(made);
    EXPECT_TRUE(parts.has_value());
    std::string bytes;
    for (const auto& part : parts.value_or(std::vector<std::span<const std::uint8_t>>{}))
        bytes.append(reinterpret_cast<const char*>(part.data()), part.size());
    return bytes;
}

// A set list as the page sends it: what it was answered, each used slot carrying its own bytes.
json AsEdited(json list)
{
    for (std::size_t j = 0; j < list["slots"].size(); ++j) {
        json& slot = list["slots"][j];
        if (slot["used"] == true) {
            slot["from"] = {list["number"], j};
            slot.erase("sound");
            slot.erase("found");
        }
    }
    return list;
}

TEST(Requests, OpenKeepsAReadableFileAndSaysWhyAnotherCannotBeRead)
{
    scry::Requests requests;
    const json opened = Value(Open(requests, "live.PCG", FileBytes(3)));
    EXPECT_EQ(opened["state"], "read");
    EXPECT_EQ(opened["editable"], true);
    EXPECT_EQ(opened["setLists"][0]["name"], "Friday");
    EXPECT_EQ(opened["setLists"][0]["used"], 2);
    EXPECT_EQ(opened["banks"][0]["name"], "I-A");
    EXPECT_NE(opened["fingerprint"].get<std::string>().find('-'), std::string::npos);
    EXPECT_EQ(requests.Keeping(), 1u);

    // Not a PCG file, or nothing at all: said, and the bytes let go at once.
    for (const std::string& bytes : {std::string("a letter, not a PCG file"), std::string()}) {
        const json letter = Value(Open(requests, "letter.txt", bytes));
        EXPECT_EQ(letter["state"], "unreadable");
        EXPECT_NE(letter["message"].get<std::string>().find("letter.txt"), std::string::npos);
        EXPECT_FALSE(letter.contains("id"));
    }
    EXPECT_EQ(requests.Keeping(), 1u);

    const json layout = Value(Ask(requests, {{"request", "layout"}}));
    EXPECT_EQ(layout["nameBytes"], 24);
    EXPECT_EQ(layout["slots"], 128);
    EXPECT_EQ(layout["settings"].size(), 6u);
    EXPECT_EQ(layout["together"].size(), layout["settings"][5]["max"].get<std::size_t>() + 1);
}

TEST(Requests, AWrongRequestIsAnErrorNamingWhatIsWrong)
{
    scry::Requests requests;
    const int id = Value(Open(requests, "live.PCG", FileBytes(3)))["id"];

    EXPECT_EQ(Error(json::parse(requests.Answer("{not json")), "request")["place"], nullptr);
    Error(json::parse(requests.Answer("[1, 2]")), "request");
    EXPECT_EQ(Error(Ask(requests, {{"request", "format"}}), "request")["place"], json({{"argument", "request"}}));
    EXPECT_EQ(Error(Ask(requests, {{"request", "setlist"}, {"number", 0}}), "request")["place"],
              json({{"argument", "id"}}));
    EXPECT_EQ(Error(Ask(requests, {{"request", "setlist"}, {"id", "1"}, {"number", 0}}), "request")["place"],
              json({{"argument", "id"}}));
    EXPECT_EQ(Error(Ask(requests, {{"request", "setlist"}, {"id", 99}, {"number", 0}}), "file")["place"],
              json({{"file", 99}}));
    EXPECT_EQ(Error(Ask(requests, {{"request", "page"}, {"id", -5}}), "file")["place"], json({{"file", -1}}));
    EXPECT_EQ(Error(Ask(requests, {{"request", "setlist"}, {"id", id}, {"number", 128}}), "asked")["words"],
              "no set list 128");
    Error(Ask(requests, {{"request", "setlist"}, {"id", id}, {"number", -1}}), "asked");
    Error(Ask(requests, {{"request", "setlist"}, {"id", id}, {"number", 18446744073709551615ull}}), "request");
    EXPECT_EQ(Error(Ask(requests, {{"request", "sheet"}, {"id", id}, {"setList", 0}, {"kind", "poster"}}),
                    "request")["place"],
              json({{"argument", "kind"}}));
    EXPECT_EQ(Error(Ask(requests, {{"request", "history"}, {"files", {id}}}), "asked")["place"],
              json({{"argument", "files"}}));
    Error(Ask(requests, {{"request", "find"}, {"files", {id}}, {"text", ""}}), "asked");
    Error(Ask(requests, {{"request", "find"}, {"files", "all"}, {"text", "x"}}), "request");
    Error(Ask(requests, {{"request", "apply"}, {"id", id}, {"lists", {{{"number", 0}, {"slots", 3}}}}}), "request");
    Error(Ask(requests, {{"request", "apply"}, {"id", id}, {"compare", "yes"}}), "request");
    EXPECT_EQ(requests.Keeping(), 1u);
}

TEST(Requests, ApplyOfThePagesValuesMakesTheBytesOfTheCommandsText)
{
    const std::string bytes = FileBytes(5);
    scry::Requests requests;
    const int id = Value(Open(requests, "live.PCG", bytes))["id"];
    json list = AsEdited(Value(Ask(requests, {{"request", "setlist"}, {"id", id}, {"number", 0}})));
    ASSERT_EQ(list["slots"][0]["name"], "Opening");
    EXPECT_EQ(list["slots"][2], json({{"used", false}}));

    // The two slots swapped and the set list renamed, as the page sends them.
    std::swap(list["slots"][0], list["slots"][1]);
    list["name"] = "Saturday";
    const json applied =
        Value(Ask(requests, {{"request", "apply"}, {"id", id}, {"lists", {list}}, {"newName", "live-edited.PCG"}}));
    ASSERT_EQ(applied["state"], "made") << applied.dump();
    EXPECT_GT(applied["differences"].get<int>(), 0);
    EXPECT_NE(applied["diff"].get<std::string>().find("Saturday"), std::string::npos) << applied["diff"];
    const std::string made = MadeBytes(requests, applied["made"]);
    EXPECT_EQ(made.size(), applied["size"].get<std::size_t>());

    // The same edit as the text scry apply reads.
    const scry::ops::Loaded loaded = scry::ops::Load({"live.PCG", bytes});
    const scry::SetListView at = scry::SetListOf(*loaded.model, 0);
    const std::string text = scry::SetListTextOf(
        *loaded.model, at, scry::SetListFingerprint(std::string_view(bytes).substr(at.Offset(), pcgw::SetListSize)));
    std::string edited = text;
    const std::size_t opening = edited.find("\"Opening\"");
    const std::size_t ballad = edited.find("\"Ballad\"");
    ASSERT_LT(opening, ballad);
    const std::size_t openingEnd = edited.find('\n', opening), balladEnd = edited.find('\n', ballad);
    const std::string first = edited.substr(opening, openingEnd - opening);
    const std::string second = edited.substr(ballad, balladEnd - ballad);
    edited.replace(ballad, second.size(), first);
    edited.replace(opening, first.size(), second);
    edited.replace(edited.find("\"Friday\""), 8, "\"Saturday\"");
    const scry::ops::ApplyOutcome byText =
        scry::ops::Apply({"live.PCG", bytes}, *loaded.model, {{"friday.txt", edited}}, false);
    ASSERT_TRUE(byText.made.has_value()) << (byText.faults.empty() ? ""
                                                                   : scry::ops::FaultWords(byText, byText.faults[0]));
    EXPECT_EQ(made, scry::ops::BytesOf(*byText.made));

    // Adopted, the new file is an open file of its own, read as the file scry apply writes, and
    // apply on it compares against the file first opened.
    const json again = Value(Ask(requests, {{"request", "apply"}, {"id", id}, {"lists", {list}}}));
    const json version = Value(Ask(requests, {{"request", "adopt"}, {"made", again["made"]}}));
    EXPECT_EQ(version["name"], "live.PCG");
    EXPECT_EQ(version["setLists"][0]["name"], "Saturday");
    EXPECT_FALSE(requests.MadeParts(again["made"]).has_value());
    const json same = Value(Ask(requests, {{"request", "apply"}, {"id", version["id"]}, {"against", id}}));
    EXPECT_EQ(MadeBytes(requests, same["made"]), made);
    EXPECT_EQ(same["differences"], applied["differences"]);
    Error(Ask(requests, {{"request", "adopt"}, {"made", again["made"]}}), "file");

    // Dropped, the new file is gone; a second drop is an error of its own.
    EXPECT_EQ(Value(Ask(requests, {{"request", "drop"}, {"made", applied["made"]}})), nullptr);
    EXPECT_FALSE(requests.MadeParts(applied["made"]).has_value());
    EXPECT_EQ(Error(Ask(requests, {{"request", "drop"}, {"made", applied["made"]}}), "file")["place"],
              json({{"made", applied["made"]}}));
}

TEST(Requests, ANewSongOfThePageIsTheBytesOfALineWithoutFrom)
{
    const std::string bytes = FileBytes(5);
    scry::Requests requests;
    const int id = Value(Open(requests, "live.PCG", bytes))["id"];
    json list = AsEdited(Value(Ask(requests, {{"request", "setlist"}, {"id", id}, {"number", 0}})));
    // Inserted before "Ballad", which moves down; the last slot, unused, makes room.
    json song = {{"used", true}, {"name", "New Song"}, {"plays", "Prog I-A009"}, {"from", nullptr}};
    const json layout = Value(Ask(requests, {{"request", "layout"}}));
    for (const json& setting : layout["settings"])
        song[setting["key"].get<std::string>()] = 0;
    song["volume"] = 90;
    list["slots"].insert(list["slots"].begin() + 1, song);
    list["slots"].erase(list["slots"].end() - 1);
    const json applied = Value(Ask(requests, {{"request", "apply"}, {"id", id}, {"lists", {list}}}));
    ASSERT_EQ(applied["state"], "made") << applied.dump();

    const scry::ops::Loaded loaded = scry::ops::Load({"live.PCG", bytes});
    const scry::SetListView at = scry::SetListOf(*loaded.model, 0);
    std::string text = scry::SetListTextOf(
        *loaded.model, at, scry::SetListFingerprint(std::string_view(bytes).substr(at.Offset(), pcgw::SetListSize)));
    text.insert(text.find("\"Ballad\""), "\"New Song\"  Prog I-A009  0 90 0 0 0 0\n");
    const scry::ops::ApplyOutcome byText =
        scry::ops::Apply({"live.PCG", bytes}, *loaded.model, {{"friday.txt", text}}, false);
    ASSERT_TRUE(byText.made.has_value()) << (byText.faults.empty() ? ""
                                                                   : scry::ops::FaultWords(byText, byText.faults[0]));
    EXPECT_EQ(MadeBytes(requests, applied["made"]), scry::ops::BytesOf(*byText.made));

    // A from that is neither a slot nor null is a wrong request, not a new song.
    list["slots"][1]["from"] = "none";
    Error(Ask(requests, {{"request", "apply"}, {"id", id}, {"lists", {list}}}), "request");
}

TEST(Requests, ApplyFaultsAreDataWithTheirPlaceAndMakeNothing)
{
    scry::Requests requests;
    const int id = Value(Open(requests, "live.PCG", FileBytes(5)))["id"];
    json list = AsEdited(Value(Ask(requests, {{"request", "setlist"}, {"id", id}, {"number", 0}})));
    list["slots"][1]["name"] = std::string(25, 'x');
    list["slots"][0]["volume"] = 1000;
    const json refused = Value(Ask(requests, {{"request", "apply"}, {"id", id}, {"lists", {list}}}));
    EXPECT_EQ(refused["state"], "refused");
    ASSERT_EQ(refused["faults"].size(), 2u) << refused.dump();
    for (const json& fault : refused["faults"])
        EXPECT_EQ(fault["setList"], 0);
    EXPECT_EQ(refused["faults"][0]["slot"], 0);
    EXPECT_EQ(refused["faults"][0]["setting"], "volume");
    EXPECT_EQ(refused["faults"][1]["slot"], 1);
    EXPECT_FALSE(refused["faults"][1].contains("setting"));
    EXPECT_FALSE(refused.contains("made"));
    EXPECT_EQ(requests.Keeping(), 1u);

    // A sheet of edits that cannot be written is an error, not a sheet of the file as it was.
    Error(Ask(requests, {{"request", "sheet"}, {"id", id}, {"setList", 0}, {"lists", {list}}}), "edits");
    const json sheet = Value(Ask(requests, {{"request", "sheet"}, {"id", id}, {"setList", 0}, {"kind", "stage"}}));
    EXPECT_NE(sheet["page"].get<std::string>().find("Opening"), std::string::npos);
}

TEST(Requests, CopyAndFollowRefuseAsDataAndCloseLetsEverythingGo)
{
    scry::Requests requests;
    const int src = Value(Open(requests, "band.PCG", FileBytes(9)))["id"];
    const int dest = Value(Open(requests, "live.PCG", FileBytes(5)))["id"];
    std::string damagedBytes = FileBytes(5);
    damagedBytes.resize(damagedBytes.size() - 40);
    const json damaged = Value(Open(requests, "cut.PCG", damagedBytes));
    ASSERT_EQ(damaged["state"], "damaged") << damaged.dump();
    EXPECT_EQ(damaged["editable"], false);

    EXPECT_EQ(Error(Ask(requests, {{"request", "copy"}, {"src", src}, {"dest", dest}}), "asked")["place"], nullptr);
    EXPECT_EQ(
        Error(Ask(requests, {{"request", "copy"}, {"src", src}, {"dest", damaged["id"]}, {"programs", {"I-A000"}}}),
              "damaged")["place"],
        json({{"file", damaged["id"]}}));
    Error(Ask(requests, {{"request", "follow"}, {"old", src}, {"new", damaged["id"]}}), "damaged");
    const json wrong =
        Value(Ask(requests, {{"request", "copy"}, {"src", src}, {"dest", dest}, {"programs", {"Z-Q999"}}}));
    EXPECT_EQ(wrong["state"], "refused");
    EXPECT_FALSE(wrong["errors"].empty());

    EXPECT_NE(wrong["words"]["refusals"][0].get<std::string>().find("\"Z-Q999\" is not a place"), std::string::npos)
        << wrong.dump();
    const json planned = Value(Ask(
        requests,
        {{"request", "copy"}, {"src", src}, {"dest", dest}, {"programs", {"I-A000"}}, {"to", "I-A"}, {"force", true}}));
    EXPECT_EQ(planned["state"], "planned") << planned.dump();
    // The plan in a performer's words, never in the command line's.
    ASSERT_FALSE(planned["words"]["lines"].empty());
    EXPECT_NE(planned["words"]["lines"][0].get<std::string>().find("Prog 0 (program I-A000) will be stored at I-A"),
              std::string::npos)
        << planned["words"].dump();
    for (const char* word : {"--", "SRC", "DEST", "force", "prog "})
        EXPECT_EQ(planned["words"].dump().find(word), std::string::npos) << word << ": " << planned["words"].dump();
    // The room each bank has: every place counted once.
    const json room = Value(Ask(requests, {{"request", "room"}, {"id", dest}}));
    ASSERT_EQ(room["banks"].size(), 1u) << room.dump();
    const json& bank = room["banks"][0];
    EXPECT_EQ(bank["name"], "I-A");
    EXPECT_EQ(bank["played"], 0) << "Opening and Ballad play combinations, which the file does not hold";
    EXPECT_EQ(bank["last"], 128) << "each program of the file is a sound of its own, held nowhere else";
    EXPECT_EQ(bank["empty"].get<int>() + bank["shared"].get<int>() + bank["played"].get<int>() +
                  bank["last"].get<int>(),
              128);
    EXPECT_EQ(bank["words"].get<std::string>().rfind("I-A (programs): ", 0), 0u) << bank["words"];
    EXPECT_FALSE(planned.contains("made"));
    const json copied = Value(Ask(requests, {{"request", "copy"},
                                             {"src", src},
                                             {"dest", dest},
                                             {"programs", {"I-A000"}},
                                             {"to", "I-A"},
                                             {"force", true},
                                             {"make", true},
                                             {"newName", "x.PCG"}}));
    ASSERT_EQ(copied["state"], "made") << copied.dump();
    EXPECT_EQ(MadeBytes(requests, copied["made"]).size(), copied["size"].get<std::size_t>());
    const json followed = Value(Ask(requests, {{"request", "follow"}, {"old", src}, {"new", dest}, {"make", true}}));
    EXPECT_EQ(followed["state"], "made") << followed.dump();
    EXPECT_EQ(requests.Keeping(), 5u);

    // Closing a file lets go of it and of every new file made of it.
    EXPECT_EQ(Value(Ask(requests, {{"request", "close"}, {"id", dest}})), nullptr);
    EXPECT_FALSE(requests.MadeParts(copied["made"]).has_value());
    EXPECT_EQ(requests.Keeping(), 2u);
    Error(Ask(requests, {{"request", "close"}, {"id", dest}}), "file");
}

TEST(Requests, TheLibraryAsksAcrossOpenFiles)
{
    scry::Requests requests;
    const int a = Value(Open(requests, "2025/live.PCG", FileBytes(5)))["id"];
    const int b = Value(Open(requests, "2026/live.PCG", FileBytes(5)))["id"];
    const json found = Value(Ask(requests, {{"request", "find"}, {"files", {a, b}}, {"text", "prog 7"}}));
    EXPECT_NE(found["text"].get<std::string>().find("Prog 7"), std::string::npos) << found.dump();
    EXPECT_EQ(found["nothing"], "");
    // Each hit as a place the page leads to, by file.
    ASSERT_EQ(found["hits"].size(), 2u) << found["hits"].dump();
    EXPECT_EQ(found["hits"][0]["file"], a);
    EXPECT_EQ(found["hits"][1]["file"], b);
    const json& record = found["hits"][0]["records"][0];
    EXPECT_EQ(record["kind"], "program");
    EXPECT_EQ(record["place"], "I-A007");
    EXPECT_EQ(record["name"], "Prog 7");
    EXPECT_EQ(found["more"], false);
    // At most "most" places handed back, the lines whole all the same, and "more" says so.
    const auto places = [](const json& hits) {
        std::size_t n = 0;
        for (const json& hit : hits)
            n += hit["setLists"].size() + hit["slots"].size() + hit["records"].size();
        return n;
    };
    const json every = Value(Ask(requests, {{"request", "find"}, {"files", {a, b}}, {"text", "prog"}}));
    const json first = Value(Ask(requests, {{"request", "find"}, {"files", {a, b}}, {"text", "prog"}, {"most", 130}}));
    EXPECT_EQ(places(every["hits"]), 2 * pcgw::BankRecords);
    EXPECT_EQ(every["more"], false);
    EXPECT_EQ(places(first["hits"]), 130u);
    EXPECT_EQ(first["more"], true);
    EXPECT_EQ(first["hits"].size(), 2u);   // the second file's first two
    EXPECT_EQ(first["text"], every["text"]);
    Error(Ask(requests, {{"request", "find"}, {"files", {a, b}}, {"text", "prog"}, {"most", "all"}}), "request");
    const json none = Value(Ask(requests, {{"request", "find"}, {"files", {a, b}}, {"text", "zither"}}));
    EXPECT_FALSE(none["nothing"].get<std::string>().empty());
    const json dups = Value(Ask(requests, {{"request", "dups"}, {"files", {a, b}}, {"across", true}}));
    EXPECT_EQ(dups["any"], true);
    // Two copies of one file: every program is held twice, once in each file.
    EXPECT_EQ(dups["summary"]["sounds"], pcgw::BankRecords) << dups["summary"].dump();
    EXPECT_EQ(dups["summary"]["places"], 2 * pcgw::BankRecords);
    EXPECT_EQ(dups["summary"]["soundFiles"], 2);
    EXPECT_EQ(dups["summary"]["setLists"], 1);
    EXPECT_EQ(dups["summary"]["setListFiles"], 2);
    const json history = Value(Ask(requests, {{"request", "history"}, {"files", {a, b}}}));
    EXPECT_EQ(history["differs"], false) << history.dump();
    Error(Ask(requests, {{"request", "find"}, {"files", {a}}, {"by", "colour"}, {"text", "x"}}), "request");
}

// ---- The library of a page: summaries made of streams, kept, and searched.

// A file the caller reads a part at a time, as a page reads a file the browser holds; fails: every
// read fails, as the browser's does where the file changed or went.
struct CallerFile {
    std::string bytes;
    bool fails = false;
    std::size_t asked = 0;   // bytes read
    static std::size_t Read(void* context, std::int64_t offset, void* buffer, std::size_t count)
    {
        auto& file = *static_cast<CallerFile*>(context);
        if (file.fails)
            throw std::system_error(EIO, std::generic_category(), "the browser could not read it");
        if (offset < 0 || static_cast<std::size_t>(offset) >= file.bytes.size())
            return 0;
        const std::size_t done = std::min(count, file.bytes.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, file.bytes.data() + offset, done);
        file.asked += done;
        return done;
    }
};

using Stream = std::unique_ptr<InputStream, void (*)(InputStream*) noexcept>;

Stream StreamOf(CallerFile& file, const std::string& name)
{
    return Stream(OpenCallerInput(static_cast<std::int64_t>(file.bytes.size()), &CallerFile::Read, &file, name),
                  &CloseInput);
}

// A stream over bytes that outlive it.
Stream MemoryOf(const std::string& bytes, const std::string& name)
{
    return Stream(OpenMemoryInput(bytes.data(), bytes.size(), name), &CloseInput);
}
Stream MemoryOf(std::string&&, const std::string&) = delete;   // a temporary would not outlive it

json AskShelf(scry::Shelf& shelf, const json& request, InputStream* given = nullptr)
{
    return json::parse(shelf.Answer(request.dump(), given));
}

// A damaged file: the set lists and programs whole, the last chunk cut short.
std::string DamagedBytes()
{
    std::string bytes = FileBytes(9);
    bytes.resize(bytes.size() - 3);
    return bytes;
}

TEST(Shelf, SummariesAreSearchedAsTheOpenFilesTheyWereMadeOf)
{
    const std::string names[] = {"2025/live.PCG", "2026/live.PCG", "2026/band.PCG", "2026/cut.PCG"};
    const std::string bytes[] = {FileBytes(5), FileBytes(5), FileBytes(6), DamagedBytes()};
    scry::Requests requests;
    scry::Shelf shelf;
    json files = json::array(), shelved = json::array();
    for (int i = 0; i < 4; ++i) {
        files.push_back(Value(Open(requests, names[i], bytes[i]))["id"]);
        // Two files read a part at a time by their caller, two from memory.
        CallerFile caller{bytes[i]};
        const Stream stream = i % 2 ? StreamOf(caller, names[i]) : MemoryOf(bytes[i], names[i]);
        const json kept =
            Value(AskShelf(shelf, {{"request", "summarise"}, {"name", names[i]}, {"key", names[i]}}, stream.get()));
        EXPECT_EQ(kept["state"], i == 3 ? "damaged" : "read") << kept.dump();
        EXPECT_EQ(kept["name"], names[i]);
        shelved.push_back(kept["shelf"]);
    }
    // The same lines and hits, each hit under the id asked.
    const auto same = [&](json asked, const char* soundKey) {
        json ofFiles = asked, ofShelf = asked;
        ofFiles["files"] = files;
        ofShelf["shelf"] = shelved;
        if (asked.contains("by") && asked["by"] == "sound") {
            ofFiles["soundFile"] = files[2];
            ofShelf[soundKey] = shelved[2];
        }
        json a = Value(Ask(requests, ofFiles)), b = Value(AskShelf(shelf, ofShelf));
        EXPECT_FALSE(a.dump().empty());
        for (json* answer : {&a, &b})
            for (json& hit : (*answer)["hits"])
                hit["file"] = 0;
        EXPECT_EQ(a, b) << asked.dump();
        return a;
    };
    EXPECT_NE(same({{"request", "find"}, {"text", "prog 7"}}, "")["text"], "");
    same({{"request", "find"}, {"text", "prog 7"}, {"each", true}}, "");
    same({{"request", "find"}, {"by", "place"}, {"text", "I-A007"}}, "");
    EXPECT_NE(same({{"request", "find"}, {"by", "sound"}, {"text", "I-A003"}}, "soundOf")["hits"].size(), 0u);
    EXPECT_NE(same({{"request", "find"}, {"text", "zither"}}, "")["nothing"], "");
    EXPECT_EQ(same({{"request", "dups"}, {"across", true}}, "")["any"], true);
    same({{"request", "dups"}}, "");
    // Why a query cannot be asked, in the same words.
    json placeOfFiles = {
        {"request", "find"}, {"by", "sound"}, {"text", "I-B003"}, {"files", files}, {"soundFile", files[2]}};
    json placeOfShelf = {
        {"request", "find"}, {"by", "sound"}, {"text", "I-B003"}, {"shelf", shelved}, {"soundOf", shelved[2]}};
    EXPECT_EQ(Error(Ask(requests, placeOfFiles), "asked"), Error(AskShelf(shelf, placeOfShelf), "asked"));
}

TEST(Shelf, ASummaryKeptIsTakenBackOnlyUnderItsOwnKeyAndWhole)
{
    scry::Shelf shelf;
    const std::string bytes = FileBytes(5);
    const Stream stream = MemoryOf(bytes, "live.PCG");
    const int id = Value(AskShelf(shelf, {{"request", "summarise"}, {"name", "live.PCG"}, {"key", "live.PCG 1 2"}},
                                  stream.get()))["shelf"];
    const std::optional<std::string> stored = shelf.StoredBytes(id);
    ASSERT_TRUE(stored.has_value());
    const json asked = {{"request", "find"}, {"text", "prog"}, {"shelf", {id}}};
    const json before = Value(AskShelf(shelf, asked));

    scry::Shelf again;
    const Stream kept = MemoryOf(*stored, "kept");
    const json restored =
        Value(AskShelf(again, {{"request", "restore"}, {"name", "live.PCG"}, {"key", "live.PCG 1 2"}}, kept.get()));
    EXPECT_EQ(restored["state"], "read");
    json after = Value(AskShelf(again, {{"request", "find"}, {"text", "prog"}, {"shelf", {restored["shelf"]}}}));
    after["hits"][0]["file"] = id;
    EXPECT_EQ(after, before);
    EXPECT_EQ(again.StoredBytes(restored["shelf"]), stored);

    // Under another file's key, cut short or with a byte changed: damaged, nothing kept.
    const std::size_t keeping = again.Keeping();
    Error(AskShelf(again, {{"request", "restore"}, {"name", "live.PCG"}, {"key", "live.PCG 1 3"}}, kept.get()),
          "damaged");
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, stored->size() / 2, stored->size() - 1}) {
        const std::string cutShort = stored->substr(0, cut);
        const Stream shorter = MemoryOf(cutShort, "kept");
        Error(AskShelf(again, {{"request", "restore"}, {"name", "live.PCG"}, {"key", "live.PCG 1 2"}}, shorter.get()),
              "damaged");
    }
    std::string changed = *stored;
    changed[changed.size() - 1] = static_cast<char>(changed.back() + 1);
    changed += "x";
    const Stream wrong = MemoryOf(changed, "kept");
    Error(AskShelf(again, {{"request", "restore"}, {"name", "live.PCG"}, {"key", "live.PCG 1 2"}}, wrong.get()),
          "damaged");
    EXPECT_EQ(again.Keeping(), keeping);
    Value(AskShelf(again, {{"request", "forget"}, {"shelf", restored["shelf"]}}));
    EXPECT_EQ(again.Keeping(), 0u);
    Error(AskShelf(again, {{"request", "forget"}, {"shelf", restored["shelf"]}}), "file");
}

TEST(Shelf, AFileThatCannotBeReadIsSaidAndSearchedPast)
{
    scry::Shelf shelf;
    CallerFile gone{FileBytes(5), true};
    const Stream failing = StreamOf(gone, "gone.PCG");
    const json kept = Value(AskShelf(shelf, {{"request", "summarise"}, {"name", "gone.PCG"}}, failing.get()));
    EXPECT_EQ(kept["state"], "unreadable");
    EXPECT_NE(kept["message"].get<std::string>().find("the browser could not read it"), std::string::npos)
        << kept.dump();
    EXPECT_FALSE(shelf.StoredBytes(kept["shelf"]).has_value());
    const json found = Value(AskShelf(shelf, {{"request", "find"}, {"text", "prog"}, {"shelf", {kept["shelf"]}}}));
    EXPECT_NE(found["nothing"], "");
    // A request that reads a file, given none; an id that is none.
    Error(AskShelf(shelf, {{"request", "summarise"}, {"name", "x.PCG"}}), "request");
    Error(AskShelf(shelf, {{"request", "find"}, {"text", "prog"}, {"shelf", {kept["shelf"].get<int>() + 1}}}), "file");
    Error(AskShelf(shelf, {{"request", "shelve"}}), "request");
    Error(AskShelf(shelf, {{"request", "version"}, {"history", 99}}), "file");
}

TEST(Shelf, HistoryReadsItsVersionsOneAtATimeAndSaysWhatTheOpenFilesWould)
{
    const std::string versions[] = {FileBytes(5), FileBytes(5), FileBytes(6)};
    scry::Requests requests;
    json files = json::array();
    for (int i = 0; i < 3; ++i)
        files.push_back(Value(Open(requests, "live-" + std::to_string(i) + ".PCG", versions[i]))["id"]);
    for (const json& only : {json{{"place", ""}}, json{{"place", "I-A003"}}, json{{"name", "Prog 1"}}}) {
        json asked = only;
        asked["request"] = "history";
        json ofFiles = asked;
        ofFiles["files"] = files;
        const json whole = Value(Ask(requests, ofFiles));

        scry::Shelf shelf;
        const int history = Value(AskShelf(shelf, asked))["history"];
        std::string text;
        for (int i = 0; i < 3; ++i) {
            CallerFile version{versions[i]};
            const Stream stream = StreamOf(version, "live-" + std::to_string(i) + ".PCG");
            const json said = Value(AskShelf(shelf,
                                             {{"request", "version"},
                                              {"history", history},
                                              {"name", "live-" + std::to_string(i) + ".PCG"},
                                              {"more", i < 2}},
                                             stream.get()));
            EXPECT_EQ(said["note"], "");
            text += said["text"].get<std::string>();
        }
        EXPECT_EQ(text, whole["text"]) << only.dump();
        EXPECT_NE(text, "");
        EXPECT_EQ(Value(AskShelf(shelf, {{"request", "history-end"}, {"history", history}}))["differs"],
                  whole["differs"]);
        EXPECT_EQ(shelf.Keeping(), 0u);
    }
    // A version that cannot be read is a note; the history goes on.
    scry::Shelf shelf;
    const int history = Value(AskShelf(shelf, {{"request", "history"}}))["history"];
    CallerFile gone{FileBytes(5), true};
    const Stream failing = StreamOf(gone, "gone.PCG");
    const json said =
        Value(AskShelf(shelf, {{"request", "version"}, {"history", history}, {"name", "gone.PCG"}}, failing.get()));
    EXPECT_EQ(said["text"], "");
    EXPECT_NE(said["note"].get<std::string>().find("gone.PCG"), std::string::npos) << said.dump();
    Error(AskShelf(shelf, {{"request", "history"}, {"place", "nowhere at all"}}), "asked");
}

}   // namespace
