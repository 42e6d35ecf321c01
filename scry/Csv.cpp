// scry csv: RFC 4180 rows a spreadsheet reads as they stand.
#include "Commands.h"

namespace scry {

std::string CsvField(const std::string& text)
{
    const std::string utf8 = Utf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos &&
        (utf8.empty() || (utf8.front() != ' ' && utf8.back() != ' ')))
        return utf8;
    std::string quoted = "\"";
    for (const char c : utf8) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

void Row(std::ostream& out, std::initializer_list<std::string> fields)
{
    bool first = true;
    for (const std::string& field : fields) {
        if (!first)
            out << ',';
        out << field;
        first = false;
    }
    out << "\r\n";
}

}   // namespace

void WriteSlotsCsv(std::ostream& out, const std::vector<FileModel>& files, bool all)
{
    Row(out, {"file", "set_list", "set_list_name", "slot", "slot_name", "type", "bank", "number", "plays", "color",
              "font", "transpose", "hold_time", "volume", "kbd_track", "fingerprint"});
    for (const FileModel& file : files) {
        for (const Bank& bank : file.banks) {
            for (std::size_t i = 0; i < bank.setLists.size(); ++i) {
                const SetList& list = bank.setLists[i];
                for (std::size_t j = 0; j < list.slots.size(); ++j) {
                    const Slot& slot = list.slots[j];
                    if (!slot.used && !all)
                        continue;
                    const SlotAttributes& a = slot.attributes;
                    const Plays plays = WhatSlotPlays(file, a);
                    Row(out,
                        {CsvField(file.name), std::to_string(i), CsvField(list.name), std::to_string(j),
                         CsvField(slot.name), a.typeText, CsvField(a.bankText), std::to_string(a.number),
                         CsvField(plays.note.empty() ? plays.name : "(" + plays.note + ")"), std::to_string(a.color),
                         std::to_string(a.font), std::to_string(a.transpose), std::to_string(a.holdTime),
                         std::to_string(a.volume), std::to_string(a.kbdTrack), Hex8(slot.fingerprint)});
                }
            }
        }
    }
}

void WriteRecordsCsv(std::ostream& out, const std::vector<FileModel>& files)
{
    Row(out, {"file", "kind", "bank", "number", "name", "fingerprint", "sound_fingerprint"});
    for (const FileModel& file : files) {
        for (const Bank& bank : file.banks) {
            if (bank.kind == Kind::SLS1)
                continue;
            const char* kind = bank.kind == Kind::CMB1 ? "combination" : "program";
            for (std::size_t i = 0; i < bank.records.size(); ++i) {
                const Record& record = bank.records[i];
                Row(out, {CsvField(file.name), kind, CsvField(bank.name), std::to_string(i), CsvField(record.name),
                          Hex8(record.fingerprint), Hex8(record.sound)});
            }
        }
    }
}

}   // namespace scry
