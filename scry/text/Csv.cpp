// scry csv's rows.
#include "text/Csv.h"

#include "Korg_Kronos_Defs/BankNames.h"
#include "StStrL/StStrL.h"
#include "model/Plays.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

std::string CsvField(const std::string& text, bool raw)
{
    const bool formula =
        !raw && !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    const std::string cell = formula ? "'" + text : text;
    if (cell.find_first_of(",\"\r\n") == std::string::npos &&
        (cell.empty() || (cell.front() != ' ' && cell.back() != ' ')))
        return cell;
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

void Row(std::string& out, const std::vector<std::string>& fields)
{
    bool first = true;
    for (const std::string& field : fields) {
        if (!first)
            out += ',';
        out += field;
        first = false;
    }
    out += "\r\n";
}

}   // namespace

void WriteSlotsCsv(std::string& out, const std::vector<FileModel>& files, bool all, bool raw,
                   const std::function<void(std::string&)>& part)
{
    std::vector<std::string> header{"file", "set_list", "set_list_name", "slot", "slot_name",
                                    "type", "bank",     "number",        "plays"};
    for (const SlotSetting& setting : SlotSettings)
        header.push_back(setting.column);
    header.push_back("fingerprint");
    Row(out, header);
    for (const FileModel& file : files) {
        const std::string fileName = CsvField(file.name, raw);
        ForEachSetList(file, [&](const Bank&, std::size_t, std::size_t i, const SetList& list) {
            for (std::size_t j = 0; j < list.slots.size(); ++j) {
                const Slot& slot = list.slots[j];
                if (!slot.readable || (!slot.used && !all))
                    continue;
                const SlotAttributes& fields = slot.fields;
                const Plays plays = SlotPlays(file, slot);
                std::vector<std::string> row{fileName,
                                             std::to_string(i),
                                             CsvField(Utf8(list.name), raw),
                                             std::to_string(j),
                                             CsvField(Utf8(slot.name), raw),
                                             SlotTypeText(SlotTypeOf(fields)),
                                             CsvField(SlotBankName(fields.SlotType, fields.Bank), raw),
                                             std::to_string(fields.Number),
                                             CsvField(PlayedName(plays), raw)};
                for (const SlotSetting& setting : SlotSettings)
                    row.push_back(std::to_string(SettingOf(fields, setting)));
                row.push_back(HexLong(slot.fingerprint));
                Row(out, row);
            }
            if (part)
                part(out);
        });
    }
}

void WriteRecordsCsv(std::string& out, const std::vector<FileModel>& files, bool raw,
                     const std::function<void(std::string&)>& part)
{
    Row(out, {"file", "kind", "bank", "number", "name", "fingerprint", "sound_fingerprint"});
    for (const FileModel& file : files) {
        const std::string fileName = CsvField(file.name, raw);
        for (const Bank& bank : file.banks) {
            const RecordKind* kind = RecordKindOf(bank.kind);
            if (kind == nullptr)
                continue;
            for (std::size_t i = 0; i < bank.records.size(); ++i) {
                const Record& record = bank.records[i];
                Row(out, {fileName, kind->noun, CsvField(Utf8(bank.name), raw), std::to_string(i),
                          CsvField(Utf8(record.name), raw), HexLong(record.fingerprint), HexLong(record.sound)});
            }
            if (part)
                part(out);
        }
    }
}

}   // namespace scry
