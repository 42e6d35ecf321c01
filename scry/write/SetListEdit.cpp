// Set lists written in from texts.
#include "write/SetListEdit.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "StStrL/StStrL.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

void PutName(char* field, const std::string& name)
{
    std::memset(field, 0, NameSize);
    std::memcpy(field, name.data(), std::min(name.size(), NameSize));
}

// Why a line's value of field cannot be written with its other values: the field it shares bits
// with, and the values that can be written with it (in values, never bit numbers).
std::string WhyNotWritable(const SlotAttributes& wanted, SlotField field)
{
    const SlotSetting& setting = *SlotSettingOf(field);
    const unsigned value = wanted.*LayoutOf(field).member;
    std::string why = std::string(setting.word) + " " + std::to_string(value) + " cannot be written";
    for (const SlotFieldLayout& other : SlotLayout) {
        if (!SlotFieldsShareBits(field, other.field) || SlotSettingOf(other.field) == nullptr)
            continue;
        why += " while " + std::string(SlotSettingOf(other.field)->word) + " is " +
               std::to_string(wanted.*other.member) + " (the two share bits of the slot)";
        break;
    }
    std::vector<unsigned> can;
    for (unsigned v = 0; v <= SlotFieldMax(field); ++v)
        if (SlotValueWritable(wanted, field, v))
            can.push_back(v);
    why += "; " + std::string(setting.word) + " can be " + ValuesText(can, " or ");
    return why;
}

// The slot at out from the bytes of its from slot, with the line's edits; faults for settings
// the packed bytes cannot hold together.
void WriteSlot(char* out, const char* from, const Slot& source, const SlotLine& line, std::size_t place,
               std::vector<TextFault>& faults)
{
    std::memcpy(out, from, SlotSize);
    if (line.name != source.name)
        PutName(out, line.name);
    PackedSlot packed{};
    if (!EncodeSlot(source.packed, line.fields, packed)) {
        // The field the line changed that cannot be written; where it changed several, the first.
        const SlotFieldLayout* blocked = nullptr;
        for (const SlotFieldLayout& layout : SlotLayout) {
            const bool changed = line.fields.*layout.member != source.fields.*layout.member;
            if (!SlotValueWritable(line.fields, layout.field, line.fields.*layout.member) &&
                (changed || blocked == nullptr) && SlotSettingOf(layout.field) != nullptr) {
                blocked = &layout;
                if (changed)
                    break;
            }
        }
        if (blocked != nullptr)
            faults.push_back(
                {line.line, WhyNotWritable(line.fields, blocked->field), {place, LinePart::Setting, blocked->field}});
        else
            faults.push_back({line.line, "the slot's settings cannot be written together", {place}});
        return;
    }
    std::memcpy(out + PackedSlotOffset, packed.data(), packed.size());
}

// The set list at out as its text says: its name, then a slot for each line in order, and
// unused slots (all zero) for unused lines and after the last line. Its EQ block stays.
void WriteSetList(char* out, std::string_view source, const Bank& bank, const SetListText& text,
                  std::vector<TextFault>& faults, std::vector<TextFault>& warnings)
{
    if (text.name != bank.setLists[text.number].name)
        PutName(out, text.name);
    for (std::size_t p = 0; p < SlotsPerSetList; ++p) {
        char* slot = out + SlotsOffset + p * SlotSize;
        if (p >= text.slots.size() || text.slots[p].unused) {
            std::memset(slot, 0, SlotSize);
            continue;
        }
        const SlotLine& line = text.slots[p];
        const std::string fromKey = SlotKey(line.fromSetList, line.fromSlot);
        if (line.fromSetList >= bank.setLists.size() || !bank.setLists[line.fromSetList].readable) {
            faults.push_back({line.line, "from " + fromKey + ": the file holds no such set list", {p, LinePart::From}});
            continue;
        }
        const Slot& from = bank.setLists[line.fromSetList].slots[line.fromSlot];
        if (!from.used) {
            faults.push_back({line.line,
                              "from " + fromKey + ": that slot is unused, there are no bytes to carry",
                              {p, LinePart::From}});
            continue;
        }
        const char* bytes =
            source.data() + bank.offset + line.fromSetList * SetListSize + SlotsOffset + line.fromSlot * SlotSize;
        WriteSlot(slot, bytes, from, line, p, faults);
        // A volume above 127 is written as asked, with a word.
        if (line.fields.Volume > 127 && line.fields.Volume != from.fields.Volume)
            warnings.push_back({line.line,
                                "volume " + std::to_string(line.fields.Volume) + " is above 127; written as asked",
                                {p, LinePart::Setting, SlotField::Volume}});
    }
}

// Whether a slot read back holds what its line says.
bool AsLineSays(const Slot& slot, const SlotLine& line) { return slot.name == line.name && slot.fields == line.fields; }

}   // namespace

Applied ApplySetLists(const FileModel& file, std::string_view source, const std::vector<NamedText>& texts,
                      bool ignoreFingerprint)
{
    Applied applied{NewFile(source), {}, {}, {}, {}, {}, {}};
    std::map<std::size_t, std::string> given;   // set list number: where a text gives it
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const NamedText& named = texts[k];
        std::vector<TextFault> faults;
        applied.lists.push_back(ReadSetListText(named.text, faults));
        const SetListText& text = applied.lists.back();
        const std::string number = Pad3(static_cast<unsigned>(text.number));
        const std::string where = SourceName(named.name) + ":" + std::to_string(text.numberLine);
        const SetListView at = SetListOf(file, text.number);
        if (text.numberLine == 0) {
            // said by the reader
        } else if (!given.emplace(text.number, where).second) {
            faults.push_back(
                {text.numberLine, "set list " + number + " is given twice (also at " + given[text.number] + ")"});
        } else if (at.list == nullptr || !at.list->readable) {
            faults.push_back({text.numberLine, "the file holds no set list " + number});
        } else {
            const auto offset = static_cast<std::size_t>(at.Offset());
            const std::uint32_t now = SetListFingerprint(std::string_view(source).substr(offset, SetListSize));
            // Without its fingerprint a text cannot tell whether the set list changed since it was
            // written, and applying it could undo that change.
            if (!text.hasFingerprint && !ignoreFingerprint)
                faults.push_back({text.numberLine, "no fingerprint line; export the set list again, or apply with "
                                                   "--ignore-fingerprint"});
            if (text.hasFingerprint && text.fingerprint != now && !ignoreFingerprint) {
                // A text written from another file says so by its file line: name it.
                const std::string elsewhere = WrittenFrom(text, file.name)
                                                  ? ""
                                                  : "; its file line (line " + std::to_string(text.fileLine) +
                                                        ") names " + LineText(text.file) + ", not " +
                                                        SourceName(file.name);
                faults.push_back(
                    {text.fingerprintLine, "set list " + number + " has changed in " + SourceName(file.name) +
                                               " since this text was written (fingerprint " +
                                               HexLong(text.fingerprint) + ", now " + HexLong(now) + ")" + elsewhere +
                                               "; export it again, or apply with --ignore-fingerprint"});
            }
            std::vector<TextFault> warnings;
            WriteSetList(reinterpret_cast<char*>(applied.made.Bytes(static_cast<std::int64_t>(offset), SetListSize)),
                         source, *at.bank, text, faults, warnings);
            applied.edited.push_back(
                {static_cast<std::int64_t>(offset), static_cast<std::int64_t>(offset + SetListSize)});
            for (TextFault& warning : warnings) {
                applied.warnings.push_back(FaultLine(named.name, warning));
                applied.warningsAt.push_back({k, text.number, std::move(warning)});
            }
        }
        std::stable_sort(faults.begin(), faults.end(),
                         [](const TextFault& a, const TextFault& b) { return a.line < b.line; });
        for (TextFault& fault : faults) {
            applied.faults.push_back(FaultLine(named.name, fault));
            applied.faultsAt.push_back(
                {k, text.numberLine != 0 ? std::optional<std::size_t>(text.number) : std::nullopt, std::move(fault)});
        }
    }
    return applied;
}

ReadBackFault WrongInWritten(const FileModel& written, const Applied& applied)
{
    if (written.Damaged())
        return DamageFault(written);
    for (const SetListText& text : applied.lists) {
        const SetListView at = SetListOf(written, text.number);
        if (at.list == nullptr || at.list->name != text.name)
            return SlotFault(ReadBackFault::Kind::SetListNotAsText, {0, text.number, 0});
        for (std::size_t p = 0; p < at.list->slots.size(); ++p) {
            const bool unused = p >= text.slots.size() || text.slots[p].unused;
            if (unused ? at.list->slots[p].used : !AsLineSays(at.list->slots[p], text.slots[p]))
                return SlotFault(ReadBackFault::Kind::SlotNotAsLine, {0, text.number, p});
        }
    }
    return {};
}

}   // namespace scry
