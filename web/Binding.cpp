// The page's way into scry's operations: a file's bytes in, what scry says of them out, as JSON
// documents the page's script reads. Nothing here opens a file: the bytes come from the
// browser's own memory (a file picked or dropped), and nothing leaves the device.
//
// A file opened is kept here, with its model, until the page closes it, so that its set lists
// can be edited and applied without reading it again; a new file made of it is kept until the
// page has taken its bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/SlotLayout.h"
#include "model/Compare.h"
#include "model/Plays.h"
#include "model/SetLists.h"
#include "model/Match.h"
#include "model/Uses.h"
#include "model/Vocabulary.h"
#include "ops/History.h"
#include "ops/Library.h"
#include "ops/Operations.h"
#include "page/FilePage.h"
#include "page/GigSheet.h"
#include "text/CarryText.h"
#include "text/DiffText.h"
#include "text/LibraryQuery.h"
#include "text/LibraryText.h"
#include "text/SetListText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace {

using nlohmann::ordered_json;

struct FreeBytes {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};

// A file the page has open: its bytes (given by the page, freed here) and what scry read of them.
struct OpenFile {
    std::string name;
    std::unique_ptr<std::uint8_t, FreeBytes> bytes;
    std::size_t size = 0;
    scry::ops::Loaded loaded;   // read whole or damaged: its model is there

    const scry::FileModel& Model() const { return *loaded.model; }
    std::string_view View() const { return {reinterpret_cast<const char*>(bytes.get()), size}; }
};

std::map<int, OpenFile> files;
// A new file made of an open file's bytes: the pieces written over them, until the page takes it.
struct MadeFile {
    int file;
    InputPieces pieces;
};
std::map<int, MadeFile> made;
int lastId = 0;

std::string Hex8(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

// The whole file's fingerprint, with its size: what edits kept in the browser are kept under.
std::string FileFingerprint(const OpenFile& file)
{
    const std::uint32_t reg = Crc32RunFeed(Crc32RunStart, file.bytes.get(), file.size);
    return Hex8(Crc32RunFinish(reg, file.size)) + "-" + std::to_string(file.size);
}

// What the slot settings can hold, for the page's controls: each setting's word, largest value
// and, for colours, their names; and which transpose and kbd track values can be written
// together (they share bits), as writable[kbd][transpose].
ordered_json SettingsLayout()
{
    ordered_json settings = ordered_json::array();
    for (const scry::SlotSetting& setting : scry::SlotSettings)
        settings.push_back({{"key", setting.key},
                            {"word", setting.word},
                            {"tile", setting.tile},
                            {"max", SlotFieldMax(setting.field)}});
    ordered_json colors = ordered_json::array();
    for (const char* name : scry::ColorNames)
        colors.push_back(name);
    ordered_json together = ordered_json::array();
    for (unsigned kbd = 0; kbd <= SlotFieldMax(SlotField::Kbd_Track); ++kbd) {
        ordered_json row = ordered_json::array();
        for (unsigned tr = 0; tr <= SlotFieldMax(SlotField::Transpose); ++tr) {
            SlotAttributes wanted{};
            wanted.Kbd_Track = static_cast<std::uint8_t>(kbd);
            row.push_back(SlotValueWritable(wanted, SlotField::Transpose, tr));
        }
        together.push_back(row);
    }
    return {{"settings", settings}, {"colors", colors}, {"together", together}};
}

const OpenFile& FileOf(int id)
{
    const auto found = files.find(id);
    if (found == files.end())
        throw std::runtime_error("no file " + std::to_string(id) + " is open");
    return found->second;
}

// The places of the file's program and combination banks, in file order, each once with the
// kinds of record the file holds there: what copy's --to may name.
ordered_json RecordBanks(const scry::FileModel& model)
{
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> kinds;
    for (const scry::Bank& bank : model.banks) {
        const scry::RecordKind* kind = scry::RecordKindOf(bank.kind);
        if (kind == nullptr || bank.name.empty() || bank.occurrence != 0)
            continue;
        if (!kinds.contains(bank.name))
            names.push_back(bank.name);
        kinds[bank.name].push_back(std::string(kind->noun) + "s");
    }
    ordered_json banks = ordered_json::array();
    for (const std::string& name : names)
        banks.push_back({{"name", name}, {"kinds", kinds[name]}});
    return banks;
}

// The file's set lists by number and name, for the page's list of them.
ordered_json SetListNames(const scry::FileModel& model)
{
    ordered_json lists = ordered_json::array();
    const scry::SetListView first = scry::SetListOf(model, 0);
    if (first.bank == nullptr)
        return lists;
    for (std::size_t n = 0; n < first.bank->setLists.size(); ++n) {
        const scry::SetList& list = first.bank->setLists[n];
        lists.push_back({{"number", n}, {"name", scry::Utf8(list.name)}, {"used", scry::UsedSlotCount(list)}});
    }
    return lists;
}

// What the page shows of a file when it opens: what is damaged in it, or why it cannot be read at
// all; and, for a file that reads whole, what its set lists are called. A file that can be read
// is kept, under its id.
ordered_json Opened(std::string name, std::uint8_t* bytes, std::size_t size)
{
    OpenFile file{name, std::unique_ptr<std::uint8_t, FreeBytes>(bytes), size, {}};
    file.loaded = scry::ops::Load({name, file.View()});
    if (!file.loaded.model)
        return {{"name", name},
                {"state", "unreadable"},
                {"message", scry::UnreadableText(name, scry::Unreadable(file.loaded.refusal, file.loaded.detail))}};
    const scry::FileModel& model = file.Model();
    ordered_json problems = ordered_json::array();
    for (const scry::Problem& problem : model.problems)
        problems.push_back(scry::ProblemText(problem));
    ordered_json out = {{"name", name},
                        {"state", model.Damaged() ? "damaged" : "read"},
                        {"message", model.Damaged() ? scry::DamagedText(name, model.problems) : std::string()},
                        {"problems", problems},
                        {"id", ++lastId}};
    if (model.Damaged()) {
        out["editable"] = false;
        out["whyNot"] = name + " is damaged: the page edits only a file that reads whole";
    } else {
        const bool hasSetLists = scry::SetListOf(model, 0).bank != nullptr;
        out["editable"] = hasSetLists;
        out["whyNot"] = hasSetLists ? "" : name + " holds no set list";
        out["fingerprint"] = FileFingerprint(file);
    }
    out["setLists"] = SetListNames(model);
    out["banks"] = RecordBanks(model);
    files.emplace(lastId, std::move(file));
    return out;
}

// Set list n as the page edits it: its name and fingerprint (which a text of it names), and each
// slot's name, what it plays and its settings.
ordered_json SetListOfFile(const OpenFile& file, std::size_t n)
{
    const scry::SetListView at = scry::SetListOf(file.Model(), n);
    if (at.list == nullptr)
        return {{"state", "failed"}, {"message", "no set list " + scry::Pad3(static_cast<unsigned>(n))}};
    const std::uint32_t fingerprint =
        scry::SetListFingerprint(file.View().substr(static_cast<std::size_t>(at.Offset()), SetListSize));
    ordered_json slots = ordered_json::array();
    for (const scry::Slot& slot : at.list->slots) {
        if (!slot.used) {
            slots.push_back({{"used", false}});
            continue;
        }
        const scry::Plays plays = scry::SlotPlays(file.Model(), slot);
        ordered_json one = {{"used", true},
                            {"name", scry::Utf8(slot.name)},
                            {"plays", scry::SlotPlaysCell(slot.fields)},
                            {"sound", scry::PlayedName(plays)},
                            {"found", plays.resolution == scry::Resolution::Found}};
        for (const scry::SlotSetting& setting : scry::SlotSettings)
            one[setting.key] = scry::SettingOf(slot.fields, setting);
        slots.push_back(std::move(one));
    }
    return {{"number", n}, {"name", scry::Utf8(at.list->name)}, {"fingerprint", Hex8(fingerprint)}, {"slots", slots}};
}

// Every program and combination of the file a slot can play, for the page's search: what a slot
// line says it plays, the kind and the record's name.
ordered_json SoundsOfFile(const scry::FileModel& model)
{
    ordered_json sounds = ordered_json::array();
    for (std::size_t b = 0; b < model.banks.size(); ++b) {
        const scry::Bank& bank = model.banks[b];
        const scry::RecordKind* kind = scry::RecordKindOf(bank.kind);
        if (kind == nullptr || !bank.loaded)
            continue;
        for (std::size_t r = 0; r < bank.records.size(); ++r) {
            scry::Target target{};
            if (bank.records[r].zeroed || !scry::TargetOfRecord(model, b, r, target))
                continue;
            SlotAttributes fields{};
            fields.SlotType = static_cast<std::uint8_t>(target.type);
            fields.Bank = target.bank;
            fields.Number = target.number;
            sounds.push_back({{"plays", scry::SlotPlaysCell(fields)},
                              {"kind", kind->noun},
                              {"name", scry::Utf8(bank.records[r].name)}});
        }
    }
    return sounds;
}

ordered_json FaultOf(const scry::AppliedFault& applied)
{
    const scry::FaultPlace& place = applied.fault.place;
    ordered_json out = {{"text", applied.text}, {"words", scry::FaultReason(applied.fault)}};
    out["setList"] = applied.setList ? ordered_json(*applied.setList) : ordered_json(nullptr);
    out["slot"] = place.slot ? ordered_json(*place.slot) : ordered_json(nullptr);
    if (place.part == scry::LinePart::Setting)
        if (const scry::SlotSetting* setting = scry::SlotSettingOf(place.field))
            out["setting"] = setting->key;
    return out;
}

// A new file made kept for the page to take, said in out.
void Keep(ordered_json& out, int source, const scry::ops::NewPcg& file)
{
    out["made"] = ++lastId;
    out["size"] = file.file.Size();
    made.emplace(lastId, MadeFile{source, file.file.Pieces()});
}

ordered_json Said(const scry::CarrySaid& said) { return {{"lines", said.lines}, {"errors", said.errors}}; }

// A plan said in out, finished: "planned" where nothing was to be made, else the new file kept
// (made of open file source) or why it was not made.
ordered_json Finished(ordered_json out, const ordered_json& asked, bool make,
                      const std::optional<scry::ops::NewPcg>& made, const scry::MadeVerdict& verdict, int source)
{
    if (!make) {
        out["state"] = "planned";
    } else if (verdict || !made) {
        out["state"] = "failed";
        out["message"] = asked.value("newName", std::string()) + " not made: " + scry::MadeFaultText(verdict);
    } else {
        out["state"] = "made";
        Keep(out, source, *made);
    }
    return out;
}

// A whole number the page gave under key; a value of another kind is refused whole.
std::int64_t WholeNumber(const ordered_json& object, const char* key)
{
    const ordered_json& value = object.at(key);
    if (!value.is_number_integer())
        throw std::invalid_argument(std::string(key) + " is no whole number");
    return value.get<std::int64_t>();
}

// A set list as the page holds it: {"number", "name", "fingerprint", "slots": [{"used": false} or
// {"used": true, "name", "plays", "color", "volume", "holdTime", "font", "transpose", "kbdTrack",
// "from": [set list, slot]}]}, read as a text of it is read.
scry::SetListEdit EditOf(const ordered_json& list)
{
    scry::SetListValues values;
    values.number = WholeNumber(list, "number");
    values.name = list.at("name").get<std::string>();
    values.fingerprint = list.at("fingerprint").get<std::string>();
    for (const ordered_json& slot : list.at("slots")) {
        scry::SlotValues one;
        one.used = slot.value("used", false);
        if (one.used) {
            one.name = slot.at("name").get<std::string>();
            one.plays = slot.at("plays").get<std::string>();
            for (const scry::SlotSetting& setting : scry::SlotSettings)
                one.settings[static_cast<std::size_t>(setting.field)] = WholeNumber(slot, setting.key);
            const ordered_json& from = slot.at("from");
            if (!from.is_array() || from.size() != 2 || !from[0].is_number_integer() || !from[1].is_number_integer())
                throw std::invalid_argument("from is no set list and slot");
            one.fromSetList = from[0].get<std::int64_t>();
            one.fromSlot = from[1].get<std::int64_t>();
        }
        values.slots.push_back(std::move(one));
    }
    scry::SetListEdit edit{"set list " + std::to_string(values.number), {}, {}};
    edit.list = scry::SetListOfValues(values, edit.faults);
    return edit;
}

std::vector<scry::SetListEdit> EditsOf(const ordered_json& asked)
{
    std::vector<scry::SetListEdit> edits;
    for (const ordered_json& list : asked.value("lists", ordered_json::array()))
        edits.push_back(EditOf(list));
    return edits;
}

// {"id", "lists": [set list, as EditOf reads it], "newName", "compare"}: the set lists written into a
// copy of open file id, as scry apply writes them: their faults, or the new file (kept here for
// the page to take), and unless compare is false what changed against the file opened, as scry
// diff says it.
ordered_json Applied(const ordered_json& asked)
{
    const int id = asked.at("id").get<int>();
    const OpenFile& file = FileOf(id);
    const std::string newName = asked.value("newName", std::string("new.PCG"));
    scry::ops::ApplyOutcome applied = scry::ops::Apply({file.name, file.View()}, file.Model(), EditsOf(asked), false);
    ordered_json faults = ordered_json::array();
    for (const scry::AppliedFault& fault : applied.faults)
        faults.push_back(FaultOf(fault));
    ordered_json warnings = ordered_json::array();
    for (const scry::AppliedFault& warning : applied.warnings)
        warnings.push_back(FaultOf(warning));
    ordered_json out = {{"faults", faults}, {"warnings", warnings}};
    if (!applied.faults.empty()) {
        out["state"] = "refused";
        return out;
    }
    if (applied.verdict || !applied.made) {
        out["state"] = "failed";
        out["message"] = newName + " not made: " + scry::MadeFaultText(applied.verdict);
        return out;
    }
    out["state"] = "made";
    if (asked.value("compare", true)) {
        scry::FileModel newModel = applied.made->model;
        newModel.name = newName;
        const scry::Comparison comparison = scry::Compare(file.Model(), newModel);
        out["diff"] = scry::DiffText(comparison);
        out["differences"] = comparison.differences.size();
    }
    Keep(out, id, *applied.made);
    return out;
}

// {"src", "dest", "programs", "combis", "setLists", "to", "force", "make", "newName"}: copy's plan
// of SRC's records and set lists into a copy of DEST, as scry copy says it, and the new file
// where make is asked and nothing is refused.
ordered_json Copied(const ordered_json& asked)
{
    const OpenFile& src = FileOf(asked.at("src").get<int>());
    const OpenFile& dest = FileOf(asked.at("dest").get<int>());
    scry::CopyOptionTexts texts;
    texts.programs = asked.value("programs", std::vector<std::string>{});
    texts.combis = asked.value("combis", std::vector<std::string>{});
    texts.setLists = asked.value("setLists", std::vector<std::string>{});
    if (const std::string to = asked.value("to", std::string()); !to.empty())
        texts.to = to;
    texts.force = asked.value("force", false);
    std::vector<std::string> wrong;
    const scry::CopyAsk ask = scry::CopyAskOf(texts, wrong);
    if (!wrong.empty())
        return {{"state", "refused"}, {"lines", ordered_json::array()}, {"errors", wrong}};
    const bool make = asked.value("make", false);
    const scry::ops::CopyOutcome outcome =
        scry::ops::Copy({src.name, src.View()}, src.Model(), {dest.name, dest.View()}, dest.Model(), ask, make);
    switch (outcome.refusal) {
    case scry::ops::CarryRefusal::NothingAsked:
        return {{"state", "failed"}, {"message", "copy what? Choose a set list, programs or combinations"}};
    case scry::ops::CarryRefusal::DestinationDamaged:
        return {{"state", "failed"}, {"message", scry::NotWholeText(dest.Model().name, "copy")}};
    case scry::ops::CarryRefusal::PlanRefused: {
        ordered_json out = Said(scry::CopySaid(src.Model(), dest.Model(), outcome.plan));
        out["state"] = "refused";
        return out;
    }
    case scry::ops::CarryRefusal::None: break;
    }
    ordered_json out = Said(scry::CopySaid(src.Model(), dest.Model(), outcome.plan));
    return Finished(std::move(out), asked, make, outcome.made, outcome.verdict, asked.at("dest").get<int>());
}

// {"old", "new", "make", "newName"}: NEW's set-list slots retargeted to where the sounds they
// played in OLD now are, as scry follow says it, and the new file where make is asked.
ordered_json Followed(const ordered_json& asked)
{
    const OpenFile& oldFile = FileOf(asked.at("old").get<int>());
    const OpenFile& newFile = FileOf(asked.at("new").get<int>());
    const bool make = asked.value("make", false);
    const scry::ops::FollowOutcome outcome =
        scry::ops::Follow(oldFile.Model(), {newFile.name, newFile.View()}, newFile.Model(), make);
    if (outcome.refusal == scry::ops::CarryRefusal::DestinationDamaged)
        return {{"state", "failed"}, {"message", scry::NotWholeText(newFile.Model().name, "follow")}};
    bool lost = false;
    ordered_json out = Said(scry::FollowSaid(oldFile.Model(), newFile.Model(), outcome.steps, lost));
    out["lost"] = lost;
    return Finished(std::move(out), asked, make, outcome.made, outcome.verdict, asked.at("new").get<int>());
}

// ---- The library: the open files searched together, as scry find, dups and history do

// The open files of ids, in the order given.
std::vector<const OpenFile*> FilesOf(const ordered_json& ids)
{
    std::vector<const OpenFile*> chosen;
    for (const auto& id : ids)
        chosen.push_back(&FileOf(id.get<int>()));
    return chosen;
}

std::vector<const scry::ops::Loaded*> LoadedOf(const std::vector<const OpenFile*>& chosen)
{
    std::vector<const scry::ops::Loaded*> loaded;
    for (const OpenFile* file : chosen)
        loaded.push_back(&file->loaded);
    return loaded;
}

// {"files", "by": "name" | "place" | "sound", "text", "soundFile", "each"}: find's lines, or why
// the query cannot be asked; nothing: what find says where nothing is found.
ordered_json Found(const ordered_json& asked)
{
    const std::vector<const OpenFile*> chosen = FilesOf(asked.at("files"));
    const std::string by = asked.value("by", std::string("name"));
    const std::string text = asked.value("text", std::string());
    scry::FindQuery query;
    std::string why;
    if (by == "place") {
        why = scry::PlaceQueryOf(text, query);
    } else if (by == "sound") {
        const OpenFile& file = FileOf(asked.at("soundFile").get<int>());
        why = scry::SoundQueryOf(file.Model(), file.name, text, query);
    } else {
        why = text.empty() ? "find what? a name, a place, or the sound of a record" : scry::NameQueryOf(text, query);
    }
    if (!why.empty())
        return {{"state", "failed"}, {"message", why}};
    const scry::ops::FindOutcome found = scry::ops::Find(LoadedOf(chosen), query);
    const bool any =
        std::any_of(found.hits.begin(), found.hits.end(), [](const scry::FileHits& hits) { return !hits.Empty(); });
    return {{"state", "done"},
            {"text", asked.value("each", false) ? scry::FindLines(found.entries, found.hits)
                                                : scry::FindGroupedLines(found.entries, found.hits)},
            {"nothing", any ? std::string() : scry::NothingFound(query, chosen.size())}};
}

// {"files", "across"}: dups' groups.
ordered_json Duplicated(const ordered_json& asked)
{
    const std::vector<const OpenFile*> chosen = FilesOf(asked.at("files"));
    const scry::ops::DupsOutcome dups = scry::ops::Dups(LoadedOf(chosen), asked.value("across", false));
    return {{"state", "done"},
            {"text", scry::DupsText(dups.entries, dups.duplicates)},
            {"any", !dups.duplicates.sounds.empty() || !dups.duplicates.setLists.empty()}};
}

// {"files", "place", "name", "all"}: history of the files as versions of one, in the order given.
ordered_json Versions(const ordered_json& asked)
{
    const std::vector<const OpenFile*> chosen = FilesOf(asked.at("files"));
    if (chosen.size() < 2)
        return {{"state", "failed"}, {"message", "history of what? two versions of a file at least"}};
    std::optional<scry::Query> follow;
    if (const std::string why =
            scry::FollowQueryOf(asked.value("place", std::string()), asked.value("name", std::string()), follow);
        !why.empty())
        return {{"state", "failed"}, {"message", why}};
    scry::ops::History history(follow, asked.value("all", false));
    std::string text;
    ordered_json notes = ordered_json::array();
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const scry::FileModel& model = chosen[i]->Model();
        if (model.Damaged())
            notes.push_back(scry::DamagedText(model.name, model.problems));
        text += history.Next(model, i + 1 < chosen.size());
    }
    return {{"state", "done"}, {"text", text}, {"notes", notes}, {"differs", history.Differs()}};
}

// ---- The stage view and the gig sheet, with edits not yet downloaded

// The slots and set-list names that edits changed, as a sheet marks them.
scry::SheetEdits EditsMarked(const scry::FileModel& file, const std::vector<scry::SetListText>& lists,
                             const std::vector<scry::SetListChange>& changes)
{
    scry::SheetEdits edits;
    const scry::SetListView first = scry::SetListOf(file, 0);
    if (first.bank == nullptr)
        return edits;
    edits.slots.assign(first.bank->setLists.size(), std::vector<bool>(SlotsPerSetList, false));
    edits.names.assign(first.bank->setLists.size(), false);
    for (std::size_t k = 0; k < lists.size() && k < changes.size(); ++k) {
        if (lists[k].number >= edits.names.size())
            continue;
        edits.names[lists[k].number] = changes[k].name;
        for (const std::size_t p : changes[k].slots)
            edits.slots[lists[k].number][p] = true;
    }
    return edits;
}

// {"id", "setList", "kind": "gig" | "stage", "compact", "changed", "lists"}: the page scry gig or
// scry stage writes of set list setList; with lists (edits not yet downloaded, as Applied takes
// them), of the file they make, each edited slot marked.
ordered_json Sheet(const ordered_json& asked)
{
    const OpenFile& file = FileOf(asked.at("id").get<int>());
    const auto number = asked.at("setList").get<std::size_t>();
    std::vector<scry::SetListEdit> lists = EditsOf(asked);
    std::optional<scry::ops::ApplyOutcome> applied;
    if (!lists.empty()) {
        applied = scry::ops::Apply({file.name, file.View()}, file.Model(), std::move(lists), false);
        if (!applied->faults.empty() || applied->verdict || !applied->made)
            return {{"state", "failed"},
                    {"message", "the edits cannot be shown on the sheet until they can be written: compare them to "
                                "see why"}};
    }
    const scry::FileModel& model = applied ? applied->made->model : file.Model();
    const scry::SetListView at = scry::SetListOf(model, number);
    if (at.list == nullptr)
        return {{"state", "failed"}, {"message", "no set list " + scry::Pad3(static_cast<unsigned>(number))}};
    std::optional<scry::SheetEdits> edits;
    if (applied)
        edits = EditsMarked(file.Model(), applied->lists, applied->changes);
    const scry::SheetEdits* marks = edits ? &*edits : nullptr;
    return {{"state", "done"},
            {"page", asked.value("kind", std::string("gig")) == "stage"
                         ? scry::StagePage(model, at, marks)
                         : scry::GigPage(model, at, asked.value("compact", false),
                                         asked.value("changed", std::string()), marks)}};
}

// The document as a string the caller frees with scry_free; never null where memory allows.
char* Handed(const ordered_json& json)
{
    const std::string text = json.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out != nullptr)
        std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

// Runs one call of the page's, saying any failure inside as a document rather than throwing it at
// the page.
template <class Call>
char* Guarded(Call&& call)
{
    try {
        return Handed(call());
    } catch (const std::bad_alloc&) {
        return Handed({{"state", "failed"},
                       {"message", "out of memory: the file is too large for the memory this browser gives the page"}});
    } catch (const std::exception& error) {
        return Handed({{"state", "failed"}, {"message", std::string("scry failed: ") + error.what()}});
    }
}

}   // namespace

extern "C" {

// The file of that name (UTF-8) and bytes, opened; bytes were given by malloc and are the
// binding's from now on. {"name", "state": "read" | "damaged" | "unreadable" | "failed", "message",
// "problems", and for a file that can be read "id", "editable", "whyNot", "setLists", "banks", and
// where it reads whole "fingerprint"}.
char* scry_open(const char* name, std::uint8_t* bytes, std::size_t size)
{
    return Guarded([&] { return Opened(name != nullptr ? name : "", bytes, size); });
}

// What scry html writes of open file id: {"page"}.
char* scry_page(int id)
{
    return Guarded([&] { return ordered_json{{"page", scry::HtmlPage(FileOf(id).Model())}}; });
}

// Set list n of open file id.
char* scry_setlist(int id, int n)
{
    return Guarded([&] { return SetListOfFile(FileOf(id), static_cast<std::size_t>(n)); });
}

// The programs and combinations of open file id a slot can play.
char* scry_sounds(int id)
{
    return Guarded([&] { return ordered_json{{"sounds", SoundsOfFile(FileOf(id).Model())}}; });
}

// What slot settings can hold.
char* scry_layout()
{
    return Guarded([] { return SettingsLayout(); });
}

// A request of the page's, by name: "apply" (Applied), "copy" (Copied), "follow" (Followed),
// "sheet" (Sheet), "find" (Found), "dups" (Duplicated), "history" (Versions); request is its JSON.
char* scry_request(const char* name, const char* request)
{
    using Handler = ordered_json (*)(const ordered_json&);
    static const std::map<std::string, Handler> handlers = {
        {"apply", &Applied}, {"copy", &Copied},     {"follow", &Followed},  {"sheet", &Sheet},
        {"find", &Found},    {"dups", &Duplicated}, {"history", &Versions},
    };
    return Guarded([&] {
        const auto handler = handlers.find(name != nullptr ? name : "");
        if (handler == handlers.end())
            throw std::runtime_error("no request " + std::string(name != nullptr ? name : ""));
        return handler->second(ordered_json::parse(request != nullptr ? request : ""));
    });
}

// A new file's bytes as the runs of the page's memory they lie in, in order:
// {"parts": [[address, count], ...]}, the open file's own bytes where nothing was written over
// them. Valid until scry_drop, or until the page's memory grows.
char* scry_made_parts(int id)
{
    return Guarded([&] {
        const auto found = made.find(id);
        if (found == made.end())
            throw std::runtime_error("no new file " + std::to_string(id) + " is kept");
        const OpenFile& file = FileOf(found->second.file);
        const auto base = reinterpret_cast<std::uintptr_t>(file.bytes.get());
        ordered_json parts = ordered_json::array();
        std::int64_t at = 0;
        const auto size = static_cast<std::int64_t>(file.size);
        for (const auto& [offset, bytes] : found->second.pieces) {
            if (offset > at)
                parts.push_back({base + static_cast<std::uintptr_t>(at), offset - at});
            const auto count = std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), size - offset);
            parts.push_back({reinterpret_cast<std::uintptr_t>(bytes.data()), count});
            at = offset + count;
        }
        if (at < size)
            parts.push_back({base + static_cast<std::uintptr_t>(at), size - at});
        return ordered_json{{"parts", parts}};
    });
}

void scry_drop(int id) { made.erase(id); }

void scry_close(int id)
{
    std::erase_if(made, [id](const auto& kept) { return kept.second.file == id; });
    files.erase(id);
}

void scry_free(char* text) { std::free(text); }

}   // extern "C"
