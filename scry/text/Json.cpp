// scry json's document.
#include "text/Json.h"

#include "Korg_Kronos_Defs/BankNames.h"
#include "StStrL/StStrL.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

using nlohmann::ordered_json;

ordered_json PlaysJson(const Plays& plays)
{
    const Target& target = plays.target;
    ordered_json json{{"type", SlotTypeText(target.type)},
                      {"bank", SlotBankName(static_cast<std::uint8_t>(target.type), target.bank)},
                      {"number", target.number}};
    if (plays.record != nullptr)
        json["name"] = Utf8(plays.record->name);
    else
        json["note"] = ResolutionNote(plays.resolution);
    return json;
}

ordered_json SlotJson(const FileModel& file, std::size_t number, const Slot& slot)
{
    ordered_json json{
        {"slot", number}, {"name", Utf8(slot.name)}, {"used", slot.used}, {"plays", PlaysJson(SlotPlays(file, slot))}};
    for (const SlotSetting& setting : SlotSettings)
        json[setting.key] = SettingOf(slot.fields, setting);
    json["fingerprint"] = HexLong(slot.fingerprint);
    return json;
}

std::string JsonText(const ordered_json& document)
{
    // File names that are no UTF-8 come escaped (JsonFileName); a byte that is none would become U+FFFD.
    return document.dump(1, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

namespace {

constexpr auto Replace = ordered_json::error_handler_t::replace;

// A value as the whole document's dump writes it where it stands depth levels deep: each of its
// lines after the first indented by depth more (no string holds a raw line break).
void AppendAt(std::string& out, const ordered_json& value, std::size_t depth)
{
    const std::string text = value.dump(1, ' ', false, Replace);
    std::size_t from = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', from)) {
        out.append(text, from, at + 1 - from);
        out.append(depth, ' ');
        from = at + 1;
    }
    out.append(text, from);
}

// An object's key at depth, after the field before it (", " and a line) where there is one.
void AppendKey(std::string& out, const char* key, std::size_t depth, bool first = false)
{
    out += first ? "\n" : ",\n";
    out.append(depth, ' ');
    out += '"';
    out += key;
    out += "\": ";
}

// An array at depth whose elements are made, written and handed on one at a time: each(emit)
// calls emit with each element in order.
template <class Each>
void AppendArray(std::string& out, std::size_t depth, const TextPart& part, Each&& each)
{
    bool any = false;
    each([&](const ordered_json& element) {
        out += any ? ",\n" : "[\n";
        any = true;
        out.append(depth + 1, ' ');
        AppendAt(out, element, depth + 1);
        if (part)
            part(out);
    });
    if (!any) {
        out += "[]";
        return;
    }
    out += '\n';
    out.append(depth, ' ');
    out += ']';
}

// A file's entry, at depth 2 of the document: its set lists and banks made and handed on one at
// a time, so that the whole document is never held.
void AppendFile(std::string& out, const FileModel& file, bool all, const TextPart& part)
{
    constexpr std::size_t depth = 3;   // of the entry's fields
    out += '{';
    // The file's name is bytes of the command line, kept as they are where they are UTF-8, else
    // escaped so that they can be had back.
    bool escaped = false;
    AppendKey(out, "name", depth, true);
    AppendAt(out, JsonFileName(file.name, escaped), depth);
    if (escaped) {
        AppendKey(out, "nameEscaped", depth);
        out += "true";
    }
    AppendKey(out, "size", depth);
    AppendAt(out, file.size, depth);
    AppendKey(out, "format", depth);
    AppendAt(out, FormatName(file.formatCode), depth);
    AppendKey(out, "damaged", depth);
    out += file.Damaged() ? "true" : "false";
    ordered_json problems = ordered_json::array();
    for (const Problem& problem : file.problems)
        problems.push_back(ProblemText(problem));
    AppendKey(out, "problems", depth);
    AppendAt(out, problems, depth);
    AppendKey(out, "setLists", depth);
    AppendArray(out, depth, part, [&](const auto& emit) {
        ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
            ordered_json slots = ordered_json::array();
            for (std::size_t j = 0; j < list.slots.size(); ++j)
                if (list.slots[j].readable && (all || list.slots[j].used))
                    slots.push_back(SlotJson(file, j, list.slots[j]));
            ordered_json entry{{"number", i}, {"name", Utf8(list.name)}, {"eq", HexLong(list.eq)}, {"slots", slots}};
            if (ordinal > 0)
                entry["bank"] = ordinal;
            if (!list.readable)
                entry["readable"] = false;
            emit(entry);
        });
    });
    AppendKey(out, "banks", depth);
    AppendArray(out, depth, part, [&](const auto& emit) {
        for (const Bank& bank : file.banks) {
            const RecordKind* kind = RecordKindOf(bank.kind);
            if (kind == nullptr)
                continue;
            ordered_json records = ordered_json::array();
            for (std::size_t i = 0; i < bank.records.size(); ++i)
                records.push_back({{"number", i},
                                   {"name", Utf8(bank.records[i].name)},
                                   {"fingerprint", HexLong(bank.records[i].fingerprint)},
                                   {"sound", HexLong(bank.records[i].sound)}});
            emit({{"id", IdText(bank.id)},
                  {"kind", kind->noun},
                  {"name", Utf8(bank.name)},
                  {"occurrence", bank.occurrence},
                  {"loaded", bank.loaded},
                  {"records", records}});
        }
    });
    AppendKey(out, "chunks", depth);
    AppendArray(out, depth, part, [&](const auto& emit) {
        for (const Chunk& chunk : file.chunks)
            emit({{"id", Utf8(IdText(chunk.id))},
                  {"holds", chunk.padding ? "zero padding" : ChunkHolds(chunk.id)},
                  {"offset", chunk.offset},
                  {"size", chunk.size},
                  {"fingerprint", HexLong(chunk.fingerprint)},
                  {"cut", chunk.cut}});
    });
    out += '\n';
    out.append(depth - 1, ' ');
    out += '}';
}

}   // namespace

void WriteJson(std::string& out, const std::vector<FileModel>& files, bool all, const TextPart& part)
{
    out += "{\n \"files\": ";
    if (files.empty()) {
        out += "[]";
    } else {
        out += "[\n";
        for (std::size_t f = 0; f < files.size(); ++f) {
            out.append(2, ' ');
            AppendFile(out, files[f], all, part);
            out += f + 1 < files.size() ? ",\n" : "\n";
        }
        out += " ]";
    }
    out += "\n}\n";
    if (part)
        part(out);
}

}   // namespace scry
