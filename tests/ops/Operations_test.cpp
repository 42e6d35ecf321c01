// The operations on bytes, linked with nothing but the pure layers and the memory-only platform:
// files in as bytes, new files out as bytes, no path anywhere.
#include <cstring>
#include <functional>
#include <sstream>
#include <vector>
#include <string>

#include <gtest/gtest.h>

#include "PcgWriter.h"
#include "model/Match.h"
#include "model/SetLists.h"
#include "ops/History.h"
#include "text/CarryText.h"
#include "ops/Library.h"
#include "ops/Operations.h"
#include "text/SetListText.h"
#include "text/Text.h"

namespace {

using pcgw::BankChunk;
using pcgw::BankRecords;
using pcgw::Chunk;
using pcgw::PcgFile;
using pcgw::Records;

constexpr std::size_t ProgramSize = pcgw::ProgramSize;
constexpr std::size_t SetListSize = pcgw::SetListSize;

// A file of one set list with slots ("Friday": slot 0 plays Prog I-A003, slot 1 Prog I-A004), the
// others empty and named after seed, and program bank I-A, each program named and with a sound of
// its own ("Prog SEED-N"; I-A005 is "Bought Strings" in a file of seed 9); the places named in
// `zeroed` hold nothing. seed tells two files' sounds and set lists apart.
std::string FileBytes(std::uint32_t seed, std::initializer_list<std::size_t> zeroed = {})
{
    std::string setLists = Records(SetListSize);
    for (std::size_t i = 1; i < BankRecords; ++i)
        pcgw::SetName(setLists, i * SetListSize, "Set " + std::to_string(seed) + "-" + std::to_string(i));
    pcgw::SetName(setLists, 0, "Friday");
    pcgw::SetSlot(setLists, 0, 0, "Opening", pcgw::PackSlot(0, 2, 1, 0, 3, 5, 3, 127, 0));
    pcgw::SetSlot(setLists, 0, 1, "Ballad", pcgw::PackSlot(0, 4, 0, 0, 4, 6, 0, 100, 0));
    std::string programs = Records(ProgramSize);
    pcgw::FillRecords(programs, ProgramSize, seed);
    for (std::size_t i = 0; i < BankRecords; ++i)
        pcgw::SetRecordName(programs, ProgramSize, i, "Prog " + std::to_string(seed) + "-" + std::to_string(i));
    if (seed == 9)
        pcgw::SetRecordName(programs, ProgramSize, 5, "Bought Strings");
    for (std::size_t i : zeroed)
        programs.replace(i * ProgramSize, ProgramSize, std::string(ProgramSize, '\0'));
    return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, setLists)) +
                   Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, programs)) + Chunk("GLB1", "global"));
}

scry::FileModel Loaded(const std::string& name, const std::string& bytes)
{
    scry::ops::Loaded loaded = scry::ops::Load({name, bytes});
    EXPECT_TRUE(loaded.model.has_value()) << loaded.detail;
    return loaded.model ? *loaded.model : scry::FileModel{};
}

// The first and one past the last byte where a and b differ ({0, 0} where they are equal).
std::pair<std::size_t, std::size_t> DifferingSpan(const std::string& a, const std::string& b)
{
    std::size_t first = 0, last = a.size();
    while (first < a.size() && a[first] == b[first])
        ++first;
    while (last > first && a[last - 1] == b[last - 1])
        --last;
    return first == a.size() ? std::pair<std::size_t, std::size_t>{0, 0} : std::pair{first, last};
}

scry::CopyAsk ProgramInto(std::size_t from, std::size_t to)
{
    scry::CopyAsk ask;
    ask.records.push_back({Kind::PRG1, 0, from, 0, to, 1, "--prog I-A" + std::to_string(from), false});
    return ask;
}

TEST(OperationsOnBytes, LoadSaysWhatIsNoPcgFile)
{
    const scry::ops::Loaded text = scry::ops::Load({"notes.txt", "just some words, no header"});
    EXPECT_FALSE(text.model.has_value());
    EXPECT_EQ(text.refusal, scry::Refusal::NoKorgHeader);
    EXPECT_FALSE(scry::ops::Load({"empty.PCG", ""}).model.has_value());
    const std::string bytes = FileBytes(7);
    const scry::FileModel model = Loaded("mine.PCG", bytes);
    EXPECT_EQ(model.size, static_cast<std::int64_t>(bytes.size()));
    EXPECT_FALSE(model.Damaged());
}

TEST(OperationsOnBytes, CopyWritesTheRecordAloneAndReadsBackAsPlanned)
{
    const std::string src = FileBytes(7), dest = FileBytes(9, {20});
    const scry::FileModel srcModel = Loaded("band.PCG", src), destModel = Loaded("mine.PCG", dest);
    const scry::ops::CopyOutcome outcome =
        scry::ops::Copy({"band.PCG", src}, srcModel, {"mine.PCG", dest}, destModel, ProgramInto(5, 20), true);
    ASSERT_TRUE(outcome.plan.refusals.empty());
    ASSERT_FALSE(outcome.verdict) << scry::MadeFaultText(outcome.verdict);
    ASSERT_TRUE(outcome.made.has_value());
    const std::string made = scry::ops::BytesOf(*outcome.made);
    ASSERT_EQ(made.size(), dest.size());
    // Only the bytes of I-A020 changed, and they are SRC's I-A005.
    const std::size_t at = static_cast<std::size_t>(destModel.banks[1].offset) + 20 * ProgramSize;
    EXPECT_EQ(DifferingSpan(made, dest).first, at);
    EXPECT_LE(DifferingSpan(made, dest).second, at + ProgramSize);
    const std::size_t from = static_cast<std::size_t>(srcModel.banks[1].offset) + 5 * ProgramSize;
    EXPECT_EQ(made.substr(at, ProgramSize), src.substr(from, ProgramSize));
    // The model handed back is what the bytes read as.
    const scry::FileModel reread = Loaded("made.PCG", made);
    EXPECT_EQ(outcome.made->model.banks[1].records[20].name, "Prog 7-5");
    EXPECT_EQ(reread.banks[1].records[20].name, "Prog 7-5");
    EXPECT_EQ(reread.banks[1].records[20].sound, srcModel.banks[1].records[5].sound);
    EXPECT_EQ(outcome.made->model.banks[1].records[20].fingerprint, reread.banks[1].records[20].fingerprint);
}

TEST(OperationsOnBytes, CopyRefusedOrPlannedOnlyMakesNoFile)
{
    const std::string src = FileBytes(7), dest = FileBytes(9);
    const scry::FileModel srcModel = Loaded("band.PCG", src), destModel = Loaded("mine.PCG", dest);
    // I-A003 is played by slot 0 and holds the only copy of its sound.
    const scry::ops::CopyOutcome refused =
        scry::ops::Copy({"band.PCG", src}, srcModel, {"mine.PCG", dest}, destModel, ProgramInto(5, 3), true);
    EXPECT_EQ(refused.refusal, scry::ops::CarryRefusal::PlanRefused);
    EXPECT_FALSE(refused.plan.refusals.empty());
    EXPECT_FALSE(refused.made.has_value());
    // A dry run plans and makes nothing, and needs no bytes at all.
    const scry::FileModel freeDest = Loaded("free.PCG", FileBytes(9, {20}));
    const scry::ops::CopyOutcome planned = scry::ops::Copy({}, srcModel, {}, freeDest, ProgramInto(5, 20), false);
    EXPECT_EQ(planned.refusal, scry::ops::CarryRefusal::None);
    EXPECT_TRUE(planned.plan.refusals.empty());
    ASSERT_EQ(planned.plan.records.size(), 1u);
    EXPECT_FALSE(planned.made.has_value());
    // Nothing asked, or a destination that does not read whole: refused as such, nothing planned.
    const scry::ops::CopyOutcome nothing = scry::ops::Copy({}, srcModel, {}, freeDest, scry::CopyAsk{}, false);
    EXPECT_EQ(nothing.refusal, scry::ops::CarryRefusal::NothingAsked);
    const std::string cut = dest.substr(0, dest.size() - 100);
    const scry::FileModel cutModel = Loaded("cut.PCG", cut);
    ASSERT_TRUE(cutModel.Damaged());
    const scry::ops::CopyOutcome intoCut =
        scry::ops::Copy({"band.PCG", src}, srcModel, {"cut.PCG", cut}, cutModel, ProgramInto(5, 20), true);
    EXPECT_EQ(intoCut.refusal, scry::ops::CarryRefusal::DestinationDamaged);
    EXPECT_TRUE(intoCut.plan.records.empty());
    EXPECT_FALSE(intoCut.made.has_value());
    const scry::ops::FollowOutcome followCut = scry::ops::Follow(srcModel, {"cut.PCG", cut}, cutModel, true);
    EXPECT_EQ(followCut.refusal, scry::ops::CarryRefusal::DestinationDamaged);
    EXPECT_TRUE(followCut.steps.empty());
    EXPECT_FALSE(followCut.made.has_value());
}

// The file's set list 0 as text, with one line changed by edit.
std::string EditedText(const scry::FileModel& model, const std::string& bytes,
                       const std::function<void(std::string&)>& edit)
{
    const scry::SetListView at = scry::SetListOf(model, 0);
    const auto offset = static_cast<std::size_t>(at.Offset());
    std::string text = scry::SetListTextOf(model, at, scry::SetListFingerprint(bytes.substr(offset, SetListSize)));
    edit(text);
    return text;
}

TEST(OperationsOnBytes, ApplyWritesTheSetListAloneOrNothingAtAFault)
{
    const std::string bytes = FileBytes(7);
    const scry::FileModel model = Loaded("mine.PCG", bytes);
    const std::string renamed = EditedText(model, bytes, [](std::string& text) {
        const std::size_t at = text.find("\"Friday\"");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 8, "\"Saturday\"");
    });
    const scry::ops::ApplyOutcome applied =
        scry::ops::Apply({"mine.PCG", bytes}, model, {{"friday.txt", renamed}}, false);
    ASSERT_TRUE(applied.faults.empty()) << scry::ops::FaultWords(applied, applied.faults.front());
    ASSERT_FALSE(applied.verdict) << scry::MadeFaultText(applied.verdict);
    ASSERT_TRUE(applied.made.has_value());
    const std::string made = scry::ops::BytesOf(*applied.made);
    ASSERT_EQ(applied.changes.size(), 1u);
    EXPECT_TRUE(applied.changes[0].name);
    EXPECT_TRUE(applied.changes[0].slots.empty());
    const auto setList = static_cast<std::size_t>(scry::SetListOf(model, 0).Offset());
    const auto [first, last] = DifferingSpan(made, bytes);
    EXPECT_GE(first, setList);
    EXPECT_LE(last, setList + SetListSize);
    EXPECT_EQ(Loaded("made.PCG", made).banks[0].setLists[0].name, "Saturday");

    // A line that cannot be taken: its fault, and no file.
    const std::string wrong = EditedText(model, bytes, [](std::string& text) {
        const std::size_t at = text.find("from 000/000");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 12, "from 000/999");
    });
    const scry::ops::ApplyOutcome faulty = scry::ops::Apply({"mine.PCG", bytes}, model, {{"friday.txt", wrong}}, false);
    ASSERT_EQ(faulty.faults.size(), 1u);
    EXPECT_EQ(scry::ops::FaultWords(faulty, faulty.faults[0]).rfind("friday.txt:", 0), 0u);
    EXPECT_FALSE(faulty.made.has_value());
}

// The text of set list 0 with the words of the "Ballad" slot line (the second slot) changed:
// words[k] = value, the words counted from its quoted name (0) by blanks.
std::string BalladWith(const scry::FileModel& model, const std::string& bytes,
                       std::initializer_list<std::pair<std::size_t, const char*>> changes)
{
    return EditedText(model, bytes, [&](std::string& text) {
        const std::size_t from = text.find("\"Ballad\"");
        ASSERT_NE(from, std::string::npos);
        const std::size_t end = text.find('\n', from);
        std::vector<std::string> words;
        std::istringstream in(text.substr(from, end - from));
        for (std::string word; in >> word;)
            words.push_back(word);
        for (const auto& [k, value] : changes)
            words.at(k) = value;
        std::string line;
        for (const std::string& word : words)
            line += (line.empty() ? "" : " ") + word;
        text.replace(from, end - from, line);
    });
}

TEST(OperationsOnBytes, ApplyFaultsSayTheirSlotAndSetting)
{
    const std::string bytes = FileBytes(7);
    const scry::FileModel model = Loaded("mine.PCG", bytes);
    const auto faultOf = [&](std::initializer_list<std::pair<std::size_t, const char*>> changes) {
        const scry::ops::ApplyOutcome applied = scry::ops::Apply(
            {"mine.PCG", bytes}, model, {{"a.txt", "unused\n"}, {"b.txt", BalladWith(model, bytes, changes)}}, false);
        EXPECT_FALSE(applied.made.has_value());
        // The first text has no setlist line: its fault is the text's as a whole.
        EXPECT_FALSE(applied.faults.empty() || applied.faults.front().setList.has_value());
        return applied.faults.empty() ? scry::AppliedFault{} : applied.faults.back();
    };
    // A volume out of range, read from the text.
    const scry::AppliedFault volume = faultOf({{4, "300"}});
    EXPECT_EQ(volume.text, 1u);
    EXPECT_EQ(volume.setList, std::optional<std::size_t>(0));
    EXPECT_EQ(volume.fault.place.slot, std::optional<std::size_t>(1));
    EXPECT_EQ(volume.fault.place.part, scry::LinePart::Setting);
    EXPECT_EQ(volume.fault.place.field, SlotField::Volume);
    // What it plays, unknown.
    const scry::AppliedFault plays = faultOf({{2, "I-Z999"}});
    EXPECT_EQ(plays.fault.place.slot, std::optional<std::size_t>(1));
    EXPECT_EQ(plays.fault.place.part, scry::LinePart::Plays);
    // Bytes from an unused slot: found as the set list is written.
    const scry::AppliedFault from = faultOf({{10, "000/120"}});
    EXPECT_EQ(from.fault.place.slot, std::optional<std::size_t>(1));
    EXPECT_EQ(from.fault.place.part, scry::LinePart::From);
    // Settings the slot's bytes cannot hold together.
    const scry::AppliedFault together = faultOf({{7, "2"}, {8, "9"}});
    EXPECT_EQ(together.fault.place.slot, std::optional<std::size_t>(1));
    EXPECT_EQ(together.fault.place.part, scry::LinePart::Setting);
    EXPECT_EQ(together.fault.place.field, SlotField::Transpose);
}

// Set list 0 of the model as values, as a page holds it.
scry::SetListValues ValuesOf(const scry::FileModel& model, const std::string& bytes)
{
    const scry::SetListView at = scry::SetListOf(model, 0);
    const auto offset = static_cast<std::size_t>(at.Offset());
    scry::SetListValues values;
    values.number = 0;
    values.name = scry::Utf8(at.list->name);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X",
                  scry::SetListFingerprint(std::string_view(bytes).substr(offset, SetListSize)));
    values.fingerprint = hex;
    for (std::size_t j = 0; j < at.list->slots.size(); ++j) {
        const scry::Slot& slot = at.list->slots[j];
        scry::SlotValues one;
        one.used = slot.used;
        if (slot.used) {
            one.name = scry::Utf8(slot.name);
            one.plays = scry::SlotPlaysCell(slot.fields);
            for (const SlotFieldLayout& layout : SlotLayout)
                one.settings[static_cast<std::size_t>(layout.field)] = slot.fields.*layout.member;
            one.fromSetList = 0;
            one.fromSlot = static_cast<std::int64_t>(j);
        }
        values.slots.push_back(std::move(one));
    }
    return values;
}

// The text a person would write of the same values.
std::string TextOf(const scry::SetListValues& values)
{
    const auto quoted = [](const std::string& name) {
        std::string out = "\"";
        for (const char c : name)
            out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
        return out + "\"";
    };
    std::string text = "setlist " + std::to_string(values.number) + " " + quoted(values.name) + "\nfingerprint " +
                       values.fingerprint + "\n";
    for (const scry::SlotValues& slot : values.slots) {
        if (!slot.used) {
            text += "unused\n";
            continue;
        }
        text += quoted(slot.name) + " " + slot.plays;
        for (const SlotField field : scry::TextColumns)
            text += " " + std::to_string(slot.settings[static_cast<std::size_t>(field)]);
        text += " from " + std::to_string(slot.fromSetList) + "/" + std::to_string(slot.fromSlot) + "\n";
    }
    return text;
}

scry::ops::ApplyOutcome ApplyValues(const scry::FileModel& model, const std::string& bytes,
                                    const scry::SetListValues& values)
{
    scry::SetListEdit edit{"set list 0", {}, {}};
    edit.list = scry::SetListOfValues(values, edit.faults);
    std::vector<scry::SetListEdit> edits;
    edits.push_back(std::move(edit));
    return scry::ops::Apply({"mine.PCG", bytes}, model, std::move(edits), false);
}

// Edits given as values, as a page gives them, make the very bytes their text makes; what cannot
// be taken is said in the text's words, at the slot and setting it is about.
TEST(OperationsOnBytes, ApplyTakesValuesAsItTakesTexts)
{
    const std::string bytes = FileBytes(7);
    const scry::FileModel model = Loaded("mine.PCG", bytes);
    scry::SetListValues values = ValuesOf(model, bytes);
    // Ballad, the second slot, first, renamed "Café, \"live\"", louder and on another program.
    std::swap(values.slots[0], values.slots[1]);
    values.slots[0].name = "Caf\xC3\xA9, \"live\"";
    values.slots[0].settings[static_cast<std::size_t>(SlotField::Volume)] = 110;
    values.slots[0].plays = "Prog  I-A012";
    values.name = "Saturday";
    const scry::ops::ApplyOutcome fromValues = ApplyValues(model, bytes, values);
    ASSERT_TRUE(fromValues.faults.empty()) << scry::ops::FaultWords(fromValues, fromValues.faults.front());
    ASSERT_TRUE(fromValues.made.has_value());
    const std::string text = TextOf(values);
    const scry::ops::ApplyOutcome fromText = scry::ops::Apply({"mine.PCG", bytes}, model, {{"t.txt", text}}, false);
    ASSERT_TRUE(fromText.faults.empty()) << scry::ops::FaultWords(fromText, fromText.faults.front()) << "\n" << text;
    ASSERT_TRUE(fromText.made.has_value());
    EXPECT_TRUE(scry::ops::BytesOf(*fromValues.made) == scry::ops::BytesOf(*fromText.made));
    EXPECT_EQ(fromValues.changes[0].slots, (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(fromValues.changes[0].name);

    // Values a text could not hold either: the same words, at their slot and setting.
    const auto faultOf = [&](const std::function<void(scry::SetListValues&)>& edit) {
        scry::SetListValues wrong = ValuesOf(model, bytes);
        edit(wrong);
        const scry::ops::ApplyOutcome applied = ApplyValues(model, bytes, wrong);
        EXPECT_FALSE(applied.made.has_value());
        return applied.faults.empty() ? scry::AppliedFault{} : applied.faults.front();
    };
    const scry::AppliedFault volume =
        faultOf([](scry::SetListValues& v) { v.slots[1].settings[static_cast<std::size_t>(SlotField::Volume)] = 300; });
    EXPECT_EQ(volume.fault.reason, "volume 300 is out of range (0 to 255)");
    EXPECT_EQ(volume.fault.place.slot, std::optional<std::size_t>(1));
    EXPECT_EQ(volume.fault.place.field, SlotField::Volume);
    const scry::AppliedFault negative = faultOf(
        [](scry::SetListValues& v) { v.slots[1].settings[static_cast<std::size_t>(SlotField::HoldTime)] = -5; });
    EXPECT_EQ(negative.fault.reason, "hold '-5' is no number");
    const scry::AppliedFault name = faultOf([](scry::SetListValues& v) { v.slots[1].name = "\xCE\xA9mega"; });
    EXPECT_EQ(name.fault.reason, "'\xCE\xA9' (U+03A9) cannot be written in a name: names are ISO 8859-1 (Latin-1)");
    EXPECT_EQ(name.fault.place.part, scry::LinePart::Name);
    const scry::AppliedFault plays = faultOf([](scry::SetListValues& v) { v.slots[1].plays = "Prog"; });
    EXPECT_EQ(plays.fault.place.part, scry::LinePart::Plays);
    const scry::AppliedFault from = faultOf([](scry::SetListValues& v) { v.slots[1].fromSlot = 120; });
    EXPECT_EQ(from.fault.kind, scry::ApplyFaultKind::FromSlotUnused);
    EXPECT_EQ(from.fault.place.part, scry::LinePart::From);
    const scry::AppliedFault changed = faultOf([](scry::SetListValues& v) { v.fingerprint = "00000000"; });
    EXPECT_EQ(changed.fault.kind, scry::ApplyFaultKind::SetListChanged);
    EXPECT_EQ(faultOf([](scry::SetListValues& v) { v.number = 128; }).fault.reason,
              "set list '128' is out of range (000 to 127)");
}

// The demo's way of making versions: the first file, then the same with SRC's I-A005 in I-A020.
struct Versions {
    std::string first = FileBytes(7, {20});
    std::string band = FileBytes(9);
    std::string second;
    Versions()
    {
        const scry::FileModel firstModel = Loaded("v1.PCG", first), bandModel = Loaded("band.PCG", band);
        const scry::ops::CopyOutcome copied =
            scry::ops::Copy({"band.PCG", band}, bandModel, {"v1.PCG", first}, firstModel, ProgramInto(5, 20), true);
        EXPECT_TRUE(copied.made.has_value());
        second = copied.made ? scry::ops::BytesOf(*copied.made) : first;
    }
};

TEST(OperationsOnBytes, HistoryComparesEachVersionWithTheOneBeforeAndSaysAFileOfAnotherOrigin)
{
    const Versions v;
    scry::ops::History history(std::nullopt, false);
    EXPECT_EQ(history.Next(Loaded("v1.PCG", v.first), true), "");
    // The band mate's file shares no place with it: said, and the next compared with v1.
    const std::string foreign = history.Next(Loaded("band.PCG", v.band), true);
    EXPECT_EQ(foreign.rfind("== band.PCG (after v1.PCG)\nnot versions of one file: ", 0), 0u) << foreign;
    EXPECT_NE(foreign.find("; the next is compared with v1.PCG\n"), std::string::npos) << foreign;
    const std::string second = history.Next(Loaded("v2.PCG", v.second), false);
    EXPECT_EQ(second.rfind("== v2.PCG (after v1.PCG)\n", 0), 0u) << second;
    EXPECT_NE(second.find("I-A020"), std::string::npos) << second;
    EXPECT_TRUE(history.Differs());
    // Two versions alike: nothing differs.
    scry::ops::History same(std::nullopt, false);
    same.Next(Loaded("v1.PCG", v.first), true);
    EXPECT_EQ(same.Next(Loaded("copy.PCG", v.first), false), "== copy.PCG (after v1.PCG)\nno differences\n");
    EXPECT_FALSE(same.Differs());
}

TEST(OperationsOnBytes, FindAndDupsOverFilesInMemory)
{
    const Versions v;
    const std::vector<scry::ops::Loaded> files = {scry::ops::Load({"v2.PCG", v.second}),
                                                  scry::ops::Load({"band.PCG", v.band}),
                                                  scry::ops::Load({"notes.txt", "no PCG file"})};
    scry::FindQuery query;
    ASSERT_TRUE(scry::FoldedLatin1("bought strings", query.folded));
    query.text = "bought strings";
    const scry::ops::FindOutcome found = scry::ops::Find(files, query);
    ASSERT_EQ(found.entries.size(), 3u);
    EXPECT_EQ(found.entries[2].state, scry::LibraryEntry::State::Unreadable);
    // "Bought Strings" is the band mate's I-A005 and, copied, v2's I-A020.
    ASSERT_EQ(found.hits[0].records.size(), 1u);
    EXPECT_EQ(found.hits[0].records[0].place.number, 20u);
    ASSERT_EQ(found.hits[1].records.size(), 1u);
    EXPECT_EQ(found.hits[1].records[0].place.number, 5u);
    EXPECT_TRUE(found.hits[2].Empty());
    // Its sound, the one in two files.
    const scry::ops::DupsOutcome dups = scry::ops::Dups(files, true);
    ASSERT_EQ(dups.duplicates.sounds.size(), 1u);
    const scry::SoundGroup& group = dups.duplicates.sounds[0];
    EXPECT_EQ(group.files, 2u);
    ASSERT_EQ(group.places.size(), 2u);
    EXPECT_EQ(group.places[0].file, 0u);
    EXPECT_EQ(group.places[0].Record().name, "Bought Strings");
    EXPECT_EQ(group.places[1].file, 1u);
}

}   // namespace
