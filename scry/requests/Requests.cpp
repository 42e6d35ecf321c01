// The page's requests answered: each request's arguments read and checked here, the work done by
// scry's operations, and every way it can fail said in one shape.
#include "requests/Requests.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>
#include <stdexcept>
#include <utility>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/SlotLayout.h"
#include "model/Compare.h"
#include "model/Plays.h"
#include "model/SetLists.h"
#include "ops/History.h"
#include "ops/Library.h"
#include "page/FilePage.h"
#include "page/GigSheet.h"
#include "requests/Arguments.h"
#include "requests/LibraryAnswers.h"
#include "text/CarryText.h"
#include "text/CarryWords.h"
#include "text/DiffText.h"
#include "text/LibraryQuery.h"
#include "text/LibraryText.h"
#include "text/SetListText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

// The requests, on the state of one Requests.
class Answering {
public:
    explicit Answering(Requests& desk) : desk_(desk) {}

    ordered_json Opened(std::string name, GivenBytes bytes, std::size_t size);
    ordered_json Asked(const ordered_json& asked);

private:
    using OpenFile = Requests::OpenFile;

    const OpenFile& FileOf(int id) const;
    const OpenFile& FileArgument(const ordered_json& asked, const char* key) const;
    ordered_json SetListOfFile(const ordered_json& asked) const;
    ordered_json Applied(const ordered_json& asked);
    ordered_json Copied(const ordered_json& asked);
    ordered_json Followed(const ordered_json& asked);
    ordered_json Found(const ordered_json& asked) const;
    ordered_json Duplicated(const ordered_json& asked) const;
    ordered_json Versions(const ordered_json& asked) const;
    ordered_json Sheet(const ordered_json& asked) const;
    ordered_json Adopted(const ordered_json& asked);
    ordered_json Room(const ordered_json& asked) const;
    ordered_json Dropped(const ordered_json& asked);
    ordered_json Closed(const ordered_json& asked);
    [[noreturn]] static void NoMadeFile(int made);
    std::vector<const OpenFile*> FilesOf(const ordered_json& asked) const;
    void Keep(ordered_json& out, int source, const ops::NewPcg& file);
    ordered_json Finished(ordered_json out, const std::string& newName, bool make,
                          const std::optional<ops::NewPcg>& made, const MadeVerdict& verdict, int source);

    Requests& desk_;
};

namespace {

// The whole file's fingerprint, with its size: what edits kept in the browser are kept under.
std::string FileFingerprint(const Requests::OpenFile& file)
{
    const std::uint32_t reg = Crc32RunFeed(Crc32RunStart, file.bytes.get(), file.size);
    return Hex8(Crc32RunFinish(reg, file.size)) + "-" + std::to_string(file.size);
}

// What the slot settings can hold, for the page's controls: each setting's word, largest value
// and, for colours, their names; which transpose and kbd track values can be written together
// (they share bits), as together[kbd][transpose]; how long a name can be; how many slots a set
// list has.
ordered_json SettingsLayout()
{
    ordered_json settings = ordered_json::array();
    for (const SlotSetting& setting : SlotSettings)
        settings.push_back({{"key", setting.key},
                            {"word", setting.word},
                            {"tile", setting.tile},
                            {"max", SlotFieldMax(setting.field)}});
    ordered_json colors = ordered_json::array();
    for (const char* name : ColorNames)
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
    return {{"settings", settings},
            {"colors", colors},
            {"together", together},
            {"nameBytes", NameSize},
            {"slots", SlotsPerSetList}};
}

// The places of the file's program and combination banks, in file order, each once with the
// kinds of record the file holds there: where copy may put records.
ordered_json RecordBanks(const FileModel& model)
{
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> kinds;
    for (const Bank& bank : model.banks) {
        const RecordKind* kind = RecordKindOf(bank.kind);
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
ordered_json SetListNames(const FileModel& model)
{
    ordered_json lists = ordered_json::array();
    const SetListView first = SetListOf(model, 0);
    if (first.bank == nullptr)
        return lists;
    for (std::size_t n = 0; n < first.bank->setLists.size(); ++n) {
        const SetList& list = first.bank->setLists[n];
        lists.push_back({{"number", n}, {"name", Utf8(list.name)}, {"used", UsedSlotCount(list)}});
    }
    return lists;
}

// Every program and combination of the file a slot can play, for the page's search: what a slot
// line says it plays, the kind and the record's name.
ordered_json SoundsOfFile(const FileModel& model)
{
    ordered_json sounds = ordered_json::array();
    for (std::size_t b = 0; b < model.banks.size(); ++b) {
        const Bank& bank = model.banks[b];
        const RecordKind* kind = RecordKindOf(bank.kind);
        if (kind == nullptr || !bank.loaded)
            continue;
        for (std::size_t r = 0; r < bank.records.size(); ++r) {
            Target target{};
            if (bank.records[r].zeroed || !TargetOfRecord(model, b, r, target))
                continue;
            SlotAttributes fields{};
            fields.SlotType = static_cast<std::uint8_t>(target.type);
            fields.Bank = target.bank;
            fields.Number = target.number;
            sounds.push_back(
                {{"plays", SlotPlaysCell(fields)}, {"kind", kind->noun}, {"name", Utf8(bank.records[r].name)}});
        }
    }
    return sounds;
}

ordered_json FaultOf(const AppliedFault& applied)
{
    const FaultPlace& place = applied.fault.place;
    ordered_json out = {{"text", applied.text}, {"words", FaultReason(applied.fault)}};
    out["setList"] = applied.setList ? ordered_json(*applied.setList) : ordered_json(nullptr);
    out["slot"] = place.slot ? ordered_json(*place.slot) : ordered_json(nullptr);
    if (place.part == LinePart::Setting)
        if (const SlotSetting* setting = SlotSettingOf(place.field))
            out["setting"] = setting->key;
    return out;
}

ordered_json FaultsOf(const std::vector<AppliedFault>& faults)
{
    ordered_json out = ordered_json::array();
    for (const AppliedFault& fault : faults)
        out.push_back(FaultOf(fault));
    return out;
}

ordered_json Said(const CarrySaid& said) { return {{"lines", said.lines}, {"errors", said.errors}}; }

// What copy or follow does, in a performer's words, beside the command's lines.
ordered_json Said(const CarrySaid& said, const CarryWords& words)
{
    ordered_json out = Said(said);
    out["words"] = {{"lines", words.lines}, {"warnings", words.warnings}, {"refusals", words.refusals}};
    return out;
}

// A set list as the page holds it (LIST in the header), read as a text of it is read: its values'
// faults are the edit's, each with its place; a value of the wrong kind refuses the request.
SetListEdit EditOf(const ordered_json& list)
{
    if (!list.is_object())
        Refuse("request", "a set list of lists is no object", Argument("lists"));
    SetListValues values;
    values.number = Whole(list, "number");
    values.name = TextOr(list, "name", "");
    values.fingerprint = TextOr(list, "fingerprint", "");
    const ordered_json& slots = Required(list, "slots");
    if (!slots.is_array())
        Refuse("request", "slots is no list", Argument("slots"));
    for (const ordered_json& slot : slots) {
        if (!slot.is_object())
            Refuse("request", "a slot is no object", Argument("slots"));
        SlotValues one;
        one.used = FlagOr(slot, "used", false);
        if (one.used) {
            one.name = TextOr(slot, "name", "");
            one.plays = TextOr(slot, "plays", "");
            for (const SlotSetting& setting : SlotSettings)
                one.settings[static_cast<std::size_t>(setting.field)] = Whole(slot, setting.key);
            // A slot that carries no other's bytes (from null, or none) is a new song.
            const auto from = slot.find("from");
            one.anew = from == slot.end() || from->is_null();
            if (!one.anew) {
                if (!from->is_array() || from->size() != 2)
                    Refuse("request", "from is no set list and slot", Argument("from"));
                one.fromSetList = WholeOf((*from)[0], "from");
                one.fromSlot = WholeOf((*from)[1], "from");
            }
        }
        values.slots.push_back(std::move(one));
    }
    SetListEdit edit{"set list " + std::to_string(values.number), {}, {}};
    edit.list = SetListOfValues(values, edit.faults);
    return edit;
}

std::vector<SetListEdit> EditsOf(const ordered_json& asked)
{
    std::vector<SetListEdit> edits;
    for (const ordered_json& list : List(asked, "lists"))
        edits.push_back(EditOf(list));
    return edits;
}

// The slots and set-list names that edits changed, as a sheet marks them.
SheetEdits EditsMarked(const FileModel& file, const std::vector<SetListText>& lists,
                       const std::vector<SetListChange>& changes)
{
    SheetEdits edits;
    const SetListView first = SetListOf(file, 0);
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

std::vector<const ops::Loaded*> LoadedOf(const std::vector<const Requests::OpenFile*>& chosen)
{
    std::vector<const ops::Loaded*> loaded;
    for (const Requests::OpenFile* file : chosen)
        loaded.push_back(&file->loaded);
    return loaded;
}

std::string NoSetList(std::int64_t number)
{
    return "no set list " +
           (number >= 0 && number < 1000 ? Pad3(static_cast<unsigned>(number)) : std::to_string(number));
}

}   // namespace

const Requests::OpenFile& Answering::FileOf(int id) const
{
    const auto found = desk_.files_.find(id);
    if (found == desk_.files_.end())
        Refuse("file", "no file " + std::to_string(id) + " is open", {{"file", id}});
    return found->second;
}

const Requests::OpenFile& Answering::FileArgument(const ordered_json& asked, const char* key) const
{
    return FileOf(Id(asked, key));
}

// What the page shows of a file when it opens: what is damaged in it, or why it cannot be read at
// all; and, for a file that reads whole, what its set lists are called. A file that can be read
// is kept, under its id.
ordered_json Answering::Opened(std::string name, GivenBytes bytes, std::size_t size)
{
    OpenFile file{std::move(name), std::move(bytes), size, {}};
    file.loaded = ops::Load({file.name, file.View()});
    if (!file.loaded.model)
        return {{"name", file.name},
                {"state", "unreadable"},
                {"message", UnreadableText(file.name, Unreadable(file.loaded.refusal, file.loaded.detail))}};
    const FileModel& model = file.Model();
    ordered_json problems = ordered_json::array();
    for (const Problem& problem : model.problems)
        problems.push_back(ProblemText(problem));
    const int id = desk_.lastId_ + 1;
    ordered_json out = {{"name", file.name},
                        {"state", model.Damaged() ? "damaged" : "read"},
                        {"message", model.Damaged() ? DamagedText(file.name, model.problems) : std::string()},
                        {"problems", problems},
                        {"id", id}};
    if (model.Damaged()) {
        out["editable"] = false;
        out["whyNot"] = file.name + " is damaged: the page edits only a file that reads whole";
    } else {
        const bool hasSetLists = SetListOf(model, 0).bank != nullptr;
        out["editable"] = hasSetLists;
        out["whyNot"] = hasSetLists ? "" : file.name + " holds no set list";
        out["fingerprint"] = FileFingerprint(file);
    }
    out["setLists"] = SetListNames(model);
    out["banks"] = RecordBanks(model);
    desk_.files_.emplace(id, std::move(file));
    desk_.lastId_ = id;
    return out;
}

// Set list n as the page edits it: its name and fingerprint (which a text of it names), and each
// slot's name, what it plays and its settings.
ordered_json Answering::SetListOfFile(const ordered_json& asked) const
{
    const OpenFile& file = FileArgument(asked, "id");
    const std::int64_t n = Whole(asked, "number");
    const SetListView at = n < 0 ? SetListView{} : SetListOf(file.Model(), static_cast<std::size_t>(n));
    if (at.list == nullptr)
        Refuse("asked", NoSetList(n), Argument("number"));
    const std::uint32_t fingerprint =
        SetListFingerprint(file.View().substr(static_cast<std::size_t>(at.Offset()), SetListSize));
    ordered_json slots = ordered_json::array();
    for (const Slot& slot : at.list->slots) {
        if (!slot.used) {
            slots.push_back({{"used", false}});
            continue;
        }
        const Plays plays = SlotPlays(file.Model(), slot);
        ordered_json one = {{"used", true},
                            {"name", Utf8(slot.name)},
                            {"plays", SlotPlaysCell(slot.fields)},
                            {"sound", PlayedName(plays)},
                            {"found", plays.resolution == Resolution::Found}};
        for (const SlotSetting& setting : SlotSettings)
            one[setting.key] = SettingOf(slot.fields, setting);
        slots.push_back(std::move(one));
    }
    return {{"number", n}, {"name", Utf8(at.list->name)}, {"fingerprint", Hex8(fingerprint)}, {"slots", slots}};
}

// A new file made kept for the page to take, said in out.
void Answering::Keep(ordered_json& out, int source, const ops::NewPcg& file)
{
    const int id = desk_.lastId_ + 1;
    desk_.made_.emplace(id, Requests::MadeFile{source, file.file.Pieces()});
    desk_.lastId_ = id;
    out["made"] = id;
    out["size"] = file.file.Size();
}

// A plan said in out, finished: "planned" where nothing was to be made, else the new file kept
// (made of open file source), or why it was not made.
ordered_json Answering::Finished(ordered_json out, const std::string& newName, bool make,
                                 const std::optional<ops::NewPcg>& made, const MadeVerdict& verdict, int source)
{
    if (!make) {
        out["state"] = "planned";
        return out;
    }
    if (verdict || !made)
        Refuse("not-made", newName + " not made: " + MadeFaultText(verdict));
    out["state"] = "made";
    Keep(out, source, *made);
    return out;
}

// The set lists written into a copy of an open file, as scry apply writes them: their faults, or
// the new file, and unless compare is false what changed against the file opened, as scry diff
// says it.
ordered_json Answering::Applied(const ordered_json& asked)
{
    const int id = Id(asked, "id");
    const OpenFile& file = FileOf(id);
    const std::string newName = TextOr(asked, "newName", "new.PCG");
    const bool compare = FlagOr(asked, "compare", true);
    ops::ApplyOutcome applied = ops::Apply({file.name, file.View()}, file.Model(), EditsOf(asked), false);
    ordered_json out = {{"faults", FaultsOf(applied.faults)}, {"warnings", FaultsOf(applied.warnings)}};
    if (!applied.faults.empty()) {
        out["state"] = "refused";
        return out;
    }
    if (applied.verdict || !applied.made)
        Refuse("not-made", newName + " not made: " + MadeFaultText(applied.verdict));
    out["state"] = "made";
    if (compare) {
        FileModel newModel = applied.made->model;
        newModel.name = newName;
        // Against the file as it was opened, where this one is a version made of it.
        const auto against = asked.find("against");
        const FileModel& old =
            against == asked.end() || against->is_null() ? file.Model() : FileArgument(asked, "against").Model();
        const Comparison comparison = Compare(old, newModel);
        out["diff"] = DiffText(comparison);
        out["differences"] = comparison.differences.size();
    }
    Keep(out, id, *applied.made);
    return out;
}

// Copy's plan of SRC's records and set lists into a copy of DEST, as scry copy says it, and the new
// file where make is asked and nothing is refused.
ordered_json Answering::Copied(const ordered_json& asked)
{
    const OpenFile& src = FileArgument(asked, "src");
    const int destId = Id(asked, "dest");
    const OpenFile& dest = FileOf(destId);
    CopyOptionTexts texts;
    texts.programs = Texts(asked, "programs");
    texts.combis = Texts(asked, "combis");
    texts.setLists = Texts(asked, "setLists");
    if (std::string to = TextOr(asked, "to", ""); !to.empty())
        texts.to = std::move(to);
    texts.force = FlagOr(asked, "force", false);
    const bool make = FlagOr(asked, "make", false);
    const std::string newName = TextOr(asked, "newName", "");
    std::vector<std::string> wrong;
    const CopyAsk ask = CopyAskOf(texts, wrong);
    if (!wrong.empty()) {
        // Each text that is no place, run or bank, in a performer's words too.
        ordered_json refusals = ordered_json::array();
        for (const std::vector<std::string>* typed : {&texts.programs, &texts.combis})
            for (const std::string& text : *typed) {
                RecordRange range{};
                std::string why;
                if (!RecordRangeOf(typed == &texts.programs ? Kind::PRG1 : Kind::CMB1, text, range, why))
                    refusals.push_back(AskedWrongWords(text));
            }
        for (const std::string& text : texts.setLists) {
            SetListCopy copy{};
            std::string why;
            if (!SetListCopyOf(text, copy, why))
                refusals.push_back("\"" + LineText(text) + "\" is not a set list into a set list");
        }
        return {
            {"state", "refused"},
            {"lines", ordered_json::array()},
            {"errors", wrong},
            {"words", {{"lines", ordered_json::array()}, {"warnings", ordered_json::array()}, {"refusals", refusals}}}};
    }
    const ops::CopyOutcome outcome =
        ops::Copy({src.name, src.View()}, src.Model(), {dest.name, dest.View()}, dest.Model(), ask, make);
    switch (outcome.refusal) {
    case ops::CarryRefusal::NothingAsked: Refuse("asked", "copy what? Choose a set list, programs or combinations");
    case ops::CarryRefusal::DestinationDamaged:
        Refuse("damaged", NotWholeText(dest.Model().name, "copy"), {{"file", destId}});
    case ops::CarryRefusal::PlanRefused: {
        ordered_json out =
            Said(CopySaid(src.Model(), dest.Model(), outcome.plan), CopyWords(src.Model(), dest.Model(), outcome.plan));
        out["state"] = "refused";
        return out;
    }
    case ops::CarryRefusal::None: break;
    }
    return Finished(
        Said(CopySaid(src.Model(), dest.Model(), outcome.plan), CopyWords(src.Model(), dest.Model(), outcome.plan)),
        newName, make, outcome.made, outcome.verdict, destId);
}

// NEW's set-list slots retargeted to where the sounds they played in OLD now are, as scry follow
// says it, and the new file where make is asked.
ordered_json Answering::Followed(const ordered_json& asked)
{
    const OpenFile& oldFile = FileArgument(asked, "old");
    const int newId = Id(asked, "new");
    const OpenFile& newFile = FileOf(newId);
    const bool make = FlagOr(asked, "make", false);
    const std::string newName = TextOr(asked, "newName", "");
    const ops::FollowOutcome outcome =
        ops::Follow(oldFile.Model(), {newFile.name, newFile.View()}, newFile.Model(), make);
    if (outcome.refusal == ops::CarryRefusal::DestinationDamaged)
        Refuse("damaged", NotWholeText(newFile.Model().name, "follow"), {{"file", newId}});
    bool lost = false;
    ordered_json out = Said(FollowSaid(oldFile.Model(), newFile.Model(), outcome.steps, lost),
                            FollowWords(oldFile.Model(), newFile.Model(), outcome.steps));
    out["lost"] = lost;
    return Finished(std::move(out), newName, make, outcome.made, outcome.verdict, newId);
}

// The open files the request names under "files", in the order given.
std::vector<const Requests::OpenFile*> Answering::FilesOf(const ordered_json& asked) const
{
    std::vector<const OpenFile*> chosen;
    for (const ordered_json& id : List(asked, "files"))
        chosen.push_back(&FileOf(static_cast<int>(std::clamp<std::int64_t>(WholeOf(id, "files"), -1, INT32_MAX))));
    return chosen;
}

// find's lines, or why the query cannot be asked; nothing: what find says where nothing is found.
ordered_json Answering::Found(const ordered_json& asked) const
{
    const std::vector<const OpenFile*> chosen = FilesOf(asked);
    const FindQuery query = FindQueryAsked(asked, [&](const std::string& text, FindQuery& sound) {
        const OpenFile& file = FileArgument(asked, "soundFile");
        return SoundQueryOf(file.Model(), file.name, text, sound);
    });
    return FoundAnswer(ops::Find(LoadedOf(chosen), query), query, asked, "files");
}

// dups' groups.
ordered_json Answering::Duplicated(const ordered_json& asked) const
{
    return DupsAnswer(ops::Dups(LoadedOf(FilesOf(asked)), FlagOr(asked, "across", false)));
}

// history of the files as versions of one, in the order given.
ordered_json Answering::Versions(const ordered_json& asked) const
{
    const std::vector<const OpenFile*> chosen = FilesOf(asked);
    if (chosen.size() < 2)
        Refuse("asked", "history of what? two versions of a file at least", Argument("files"));
    std::optional<Query> follow;
    if (const std::string why = FollowQueryOf(TextOr(asked, "place", ""), TextOr(asked, "name", ""), follow);
        !why.empty())
        Refuse("asked", why, Argument("place"));
    ops::History history(follow, FlagOr(asked, "all", false));
    std::string text;
    ordered_json notes = ordered_json::array();
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const FileModel& model = chosen[i]->Model();
        if (model.Damaged())
            notes.push_back(DamagedText(model.name, model.problems));
        text += history.Next(model, i + 1 < chosen.size());
    }
    return {{"text", text}, {"notes", notes}, {"differs", history.Differs()}};
}

// The page scry gig or scry stage writes of a set list; with lists (edits not yet downloaded, as
// apply takes them), of the file they make, each edited slot marked.
ordered_json Answering::Sheet(const ordered_json& asked) const
{
    const OpenFile& file = FileArgument(asked, "id");
    const std::int64_t number = Whole(asked, "setList");
    const std::string kind = TextOr(asked, "kind", "gig");
    if (kind != "gig" && kind != "stage")
        Refuse("request", "kind is neither gig nor stage", Argument("kind"));
    const bool compact = FlagOr(asked, "compact", false);
    const std::string changed = TextOr(asked, "changed", "");
    std::vector<SetListEdit> lists = EditsOf(asked);
    std::optional<ops::ApplyOutcome> applied;
    if (!lists.empty()) {
        applied = ops::Apply({file.name, file.View()}, file.Model(), std::move(lists), false);
        if (!applied->faults.empty() || applied->verdict || !applied->made)
            Refuse("edits",
                   "the edits cannot be shown on the sheet until they can be written: compare them to see why");
    }
    const FileModel& model = applied ? applied->made->model : file.Model();
    const SetListView at = number < 0 ? SetListView{} : SetListOf(model, static_cast<std::size_t>(number));
    if (at.list == nullptr)
        Refuse("asked", NoSetList(number), Argument("setList"));
    std::optional<SheetEdits> edits;
    if (applied)
        edits = EditsMarked(file.Model(), applied->lists, applied->changes);
    const SheetEdits* marks = edits ? &*edits : nullptr;
    return {{"page", kind == "stage" ? StagePage(model, at, marks) : GigPage(model, at, compact, changed, marks)}};
}

// A new file kept, made an open file of its own (a version the page goes on from): its bytes
// whole in memory of their own, read again as a file opened is, under the name of the file it was
// made of. The new file is let go.
ordered_json Answering::Adopted(const ordered_json& asked)
{
    const int made = Id(asked, "made");
    const auto kept = desk_.made_.find(made);
    if (kept == desk_.made_.end())
        NoMadeFile(made);
    const auto parts = desk_.MadeParts(made);
    if (!parts)
        NoMadeFile(made);
    std::size_t size = 0;
    for (const auto& part : *parts)
        size += part.size();
    GivenBytes bytes(static_cast<std::uint8_t*>(std::malloc(size + 1)));
    if (!bytes)
        throw std::bad_alloc();
    std::size_t at = 0;
    for (const auto& part : *parts) {
        std::memcpy(bytes.get() + at, part.data(), part.size());
        at += part.size();
    }
    const std::string name = FileOf(kept->second.file).name;
    desk_.made_.erase(kept);
    return Opened(name, std::move(bytes), size);
}

void Answering::NoMadeFile(int made)
{
    Refuse("file", "no new file " + std::to_string(made) + " is kept", {{"made", made}});
}

// Each record bank's room for sounds copied into it.
ordered_json Answering::Room(const ordered_json& asked) const
{
    const FileModel& model = FileArgument(asked, "id").Model();
    ordered_json rooms = ordered_json::array();
    for (const BankRoom& room : RoomOfBanks(model)) {
        const Bank& bank = model.banks[room.bank];
        rooms.push_back({{"name", bank.name},
                         {"kind", std::string(RecordKindOf(bank.kind)->noun) + "s"},
                         {"empty", room.empty},
                         {"shared", room.shared},
                         {"played", room.played},
                         {"last", room.last},
                         {"words", BankRoomWords(model, room)}});
    }
    return {{"banks", rooms}};
}

// A new file let go.
ordered_json Answering::Dropped(const ordered_json& asked)
{
    const int made = Id(asked, "made");
    if (desk_.made_.erase(made) == 0)
        NoMadeFile(made);
    return nullptr;
}

// An open file let go, with every new file made of it.
ordered_json Answering::Closed(const ordered_json& asked)
{
    const int id = Id(asked, "id");
    FileOf(id);
    std::erase_if(desk_.made_, [id](const auto& kept) { return kept.second.file == id; });
    desk_.files_.erase(id);
    return nullptr;
}

ordered_json Answering::Asked(const ordered_json& asked)
{
    if (!asked.is_object())
        Refuse("request", "a request is a JSON object");
    const std::string name = TextOr(asked, "request", "");
    using Handler = ordered_json (*)(Answering&, const ordered_json&);
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"layout", [](Answering&, const ordered_json&) { return SettingsLayout(); }},
        {"page",
         [](Answering& a, const ordered_json& q) {
             return ordered_json{{"page", HtmlPage(a.FileArgument(q, "id").Model())}};
         }},
        {"setlist", [](Answering& a, const ordered_json& q) { return a.SetListOfFile(q); }},
        {"sounds",
         [](Answering& a, const ordered_json& q) {
             return ordered_json{{"sounds", SoundsOfFile(a.FileArgument(q, "id").Model())}};
         }},
        {"apply", [](Answering& a, const ordered_json& q) { return a.Applied(q); }},
        {"copy", [](Answering& a, const ordered_json& q) { return a.Copied(q); }},
        {"follow", [](Answering& a, const ordered_json& q) { return a.Followed(q); }},
        {"sheet", [](Answering& a, const ordered_json& q) { return a.Sheet(q); }},
        {"find", [](Answering& a, const ordered_json& q) { return a.Found(q); }},
        {"dups", [](Answering& a, const ordered_json& q) { return a.Duplicated(q); }},
        {"history", [](Answering& a, const ordered_json& q) { return a.Versions(q); }},
        {"adopt", [](Answering& a, const ordered_json& q) { return a.Adopted(q); }},
        {"room", [](Answering& a, const ordered_json& q) { return a.Room(q); }},
        {"drop", [](Answering& a, const ordered_json& q) { return a.Dropped(q); }},
        {"close", [](Answering& a, const ordered_json& q) { return a.Closed(q); }},
    };
    if (const auto handler = handlers.find(name); handler != handlers.end())
        return handler->second(*this, asked);
    Refuse("request", name.empty() ? "the request names no request" : "no request " + name, Argument("request"));
}

std::string Requests::Open(std::string_view name, GivenBytes bytes, std::size_t size)
{
    // The bytes are held from the first step, so that nothing thrown below can leave them behind.
    GivenBytes held = std::move(bytes);
    return Guarded([&] { return Answering(*this).Opened(std::string(name), std::move(held), size); });
}

std::string Requests::Answer(std::string_view request)
{
    return Guarded([&] {
        const ordered_json asked = ordered_json::parse(request.begin(), request.end(), nullptr, false);
        if (asked.is_discarded())
            Refuse("request", "the request is not JSON");
        return Answering(*this).Asked(asked);
    });
}

std::optional<std::vector<std::span<const std::uint8_t>>> Requests::MadeParts(int made) const
{
    const auto found = made_.find(made);
    if (found == made_.end())
        return std::nullopt;
    const auto file = files_.find(found->second.file);
    if (file == files_.end())
        return std::nullopt;
    const std::uint8_t* base = file->second.bytes.get();
    const auto size = static_cast<std::int64_t>(file->second.size);
    std::vector<std::span<const std::uint8_t>> parts;
    std::int64_t at = 0;
    for (const auto& [offset, bytes] : found->second.pieces) {
        if (offset > at)
            parts.emplace_back(base + at, static_cast<std::size_t>(offset - at));
        const auto count = std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), size - offset);
        parts.emplace_back(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(count));
        at = offset + count;
    }
    if (at < size)
        parts.emplace_back(base + at, static_cast<std::size_t>(size - at));
    return parts;
}

}   // namespace scry
