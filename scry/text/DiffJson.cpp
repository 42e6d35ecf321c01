// The comparison's document.
#include "text/DiffJson.h"

#include <nlohmann/json.hpp>

#include "StStrL/StStrL.h"
#include "model/SetLists.h"
#include "text/DiffText.h"
#include "text/Json.h"
#include "text/Text.h"

namespace scry {

namespace {

using nlohmann::ordered_json;

const char* SubjectKey(Subject subject)
{
    switch (subject) {
    case Subject::FileHeader: return "fileHeader";
    case Subject::Container: return "container";
    case Subject::TrailingBytes: return "trailingBytes";
    case Subject::SetListBank: return "setListBank";
    case Subject::SetList: return "setList";
    case Subject::Slot: return "slot";
    case Subject::SetListData: return "setListData";
    case Subject::RecordBank: return "recordBank";
    case Subject::Record: return "record";
    case Subject::Chunk: return "chunk";
    }
    return "";
}

const char* CauseKey(Cause cause)
{
    switch (cause) {
    case Cause::None: return nullptr;
    case Cause::TargetChanged: return "targetChanged";
    case Cause::RecordChanged: return "recordChanged";
    case Cause::RecordRenamed: return "recordRenamed";
    case Cause::NoLongerInFile: return "noLongerInFile";
    case Cause::OldDamaged: return "oldDamaged";
    case Cause::NewDamaged: return "newDamaged";
    case Cause::CutShortInOld: return "cutShortInOld";
    case Cause::CutShortInNew: return "cutShortInNew";
    case Cause::OutsideRecords: return "outsideRecords";
    }
    return nullptr;
}

// A field of a slot by its JSON key: the settings', and "type", "bank", "number" for its target.
const char* FieldKey(SlotField field)
{
    if (const SlotSetting* setting = SlotSettingOf(field))
        return setting->key;
    switch (field) {
    case SlotField::SlotType: return "type";
    case SlotField::Bank: return "bank";
    default: return "number";
    }
}

ordered_json RecordBankJson(const Bank& bank)
{
    return {{"kind", RecordKindOf(bank.kind)->noun}, {"bank", Utf8(bank.name)}, {"bankId", bank.bankId},
            {"occurrence", bank.occurrence},         {"id", IdText(bank.id)},   {"loaded", bank.loaded}};
}

// Where the difference stands in one file, with the values it has there.
ordered_json SideJson(const Comparison& c, const Difference& d, bool old)
{
    const FileModel& file = old ? *c.before : *c.after;
    const Place& at = old ? d.oldAt : d.newAt;
    switch (d.subject) {
    case Subject::FileHeader: return {{"format", FormatName(file.formatCode)}};
    case Subject::Container: return {{"announces", file.containerSize}, {"fileSize", file.size}};
    case Subject::TrailingBytes: return {{"size", file.tailSize}, {"fingerprint", HexLong(file.tailFingerprint)}};
    case Subject::SetListBank: return {{"setListBank", std::get<SetListBankAt>(at).setListBank}};
    case Subject::SetList: {
        const SetList* list = old ? OldSetList(c, d) : NewSetList(c, d);
        return {{"setListBank", std::get<SetListAt>(at).setListBank},
                {"setList", std::get<SetListAt>(at).setList},
                {"name", Utf8(list->name)},
                {"eq", HexLong(list->eq)}};
    }
    case Subject::Slot: {
        const SlotAt& slotAt = std::get<SlotAt>(at);
        ordered_json json{{"setListBank", slotAt.setListBank}, {"setList", slotAt.setList}};
        if (const Slot* slot = old ? OldSlot(c, d) : NewSlot(c, d))
            json.update(SlotJson(file, slotAt.slot, *slot));
        else
            json["slot"] = slotAt.slot;
        return json;
    }
    case Subject::SetListData: {
        const DataBank& data = file.dataBanks[std::get<DataBankAt>(at).dataBank];
        return {{"id", IdText(data.id)}, {"size", data.size}, {"fingerprint", HexLong(data.fingerprint)}};
    }
    case Subject::RecordBank: return RecordBankJson(file.banks[std::get<BankAt>(at).bank]);
    case Subject::Record: {
        const RecordAt& recordAt = std::get<RecordAt>(at);
        const Bank& bank = file.banks[recordAt.bank];
        const Record& record = bank.records[recordAt.number];
        ordered_json json = RecordBankJson(bank);
        json.erase("loaded");
        json["number"] = recordAt.number;
        json["name"] = Utf8(record.name);
        json["fingerprint"] = HexLong(record.fingerprint);
        json["sound"] = HexLong(record.sound);
        return json;
    }
    case Subject::Chunk: {
        const Chunk& chunk = file.chunks[std::get<ChunkAt>(at).index];
        return {{"id", Utf8(IdText(chunk.id))},
                {"offset", chunk.offset},
                {"size", chunk.size},
                {"fingerprint", HexLong(chunk.fingerprint)},
                {"cut", chunk.cut}};
    }
    }
    return {};
}

ordered_json FileJson(const FileModel& file)
{
    bool escaped = false;
    ordered_json json{{"name", JsonFileName(file.name, escaped)}};
    if (escaped)
        json["nameEscaped"] = true;
    json["size"] = file.size;
    json["damaged"] = file.Damaged();
    return json;
}

}   // namespace

std::string DiffJson(const Comparison& comparison)
{
    ordered_json summary{{"differences", comparison.total}};
    for (const ChangeKind& kind : ChangeKinds)
        summary[kind.key] = comparison.tally[static_cast<std::size_t>(kind.change)];
    ordered_json differences = ordered_json::array();
    for (const Difference& d : comparison.differences) {
        ordered_json changes = ordered_json::array();
        for (const ChangeKind& kind : ChangeKinds)
            if (d.Has(kind.change))
                changes.push_back(kind.key);
        ordered_json json{{"subject", SubjectKey(d.subject)}, {"changes", changes}};
        if (const char* cause = CauseKey(d.cause))
            json["cause"] = cause;
        const bool fileLevel =
            d.subject == Subject::FileHeader || d.subject == Subject::Container || d.subject == Subject::TrailingBytes;
        if (d.inOld || fileLevel)
            json["old"] = SideJson(comparison, d, true);
        if (d.inNew || fileLevel)
            json["new"] = SideJson(comparison, d, false);
        if (!d.fields.empty()) {
            ordered_json fields = ordered_json::array();
            for (const FieldChange& field : d.fields)
                fields.push_back({{"field", FieldKey(field.field)}, {"before", field.before}, {"after", field.after}});
            json["fields"] = fields;
        }
        if (d.otherBytes)
            json["otherBytes"] = true;
        json["line"] = DiffLine(comparison, d);
        differences.push_back(json);
    }
    const ordered_json document{{"old", FileJson(*comparison.before)},
                                {"new", FileJson(*comparison.after)},
                                {"summary", summary},
                                {"differences", differences}};
    return JsonText(document);
}

}   // namespace scry
