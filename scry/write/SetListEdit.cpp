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

// A fault the file makes of a line, with its data.
TextFault FaultOf(std::size_t line, ApplyFaultKind kind, FaultPlace place, ApplyFaultData data = {})
{
    return {line, {}, place, kind, std::move(data)};
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
        ApplyFaultData data;
        data.wanted = line.fields;
        if (blocked != nullptr)
            faults.push_back(FaultOf(line.line, ApplyFaultKind::NotWritable, {place, LinePart::Setting, blocked->field},
                                     std::move(data)));
        else
            faults.push_back(FaultOf(line.line, ApplyFaultKind::NotTogether, {place}));
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
        if (line.anew) {
            // A new song: the bytes of an unused slot (all zero), with what its line sets.
            static const char unusedBytes[SlotSize] = {};
            static const Slot unused{};
            WriteSlot(slot, unusedBytes, unused, line, p, faults);
            if (std::memcmp(slot, unusedBytes, SlotSize) == 0)
                faults.push_back(FaultOf(line.line, ApplyFaultKind::NewSlotEmpty, {p}));
            if (line.fields.Volume > 127) {
                ApplyFaultData data;
                data.value = line.fields.Volume;
                warnings.push_back(FaultOf(line.line, ApplyFaultKind::VolumeAbove127,
                                           {p, LinePart::Setting, SlotField::Volume}, data));
            }
            continue;
        }
        ApplyFaultData fromData;
        fromData.setList = line.fromSetList;
        fromData.slot = line.fromSlot;
        if (line.fromSetList >= bank.setLists.size() || !bank.setLists[line.fromSetList].readable) {
            faults.push_back(FaultOf(line.line, ApplyFaultKind::NoFromSetList, {p, LinePart::From}, fromData));
            continue;
        }
        const Slot& from = bank.setLists[line.fromSetList].slots[line.fromSlot];
        if (!from.used) {
            faults.push_back(FaultOf(line.line, ApplyFaultKind::FromSlotUnused, {p, LinePart::From}, fromData));
            continue;
        }
        const char* bytes =
            source.data() + bank.offset + line.fromSetList * SetListSize + SlotsOffset + line.fromSlot * SlotSize;
        WriteSlot(slot, bytes, from, line, p, faults);
        // A volume above 127 is written as asked, with a word.
        if (line.fields.Volume > 127 && line.fields.Volume != from.fields.Volume) {
            ApplyFaultData data;
            data.value = line.fields.Volume;
            warnings.push_back(
                FaultOf(line.line, ApplyFaultKind::VolumeAbove127, {p, LinePart::Setting, SlotField::Volume}, data));
        }
    }
}

// Whether a slot read back holds what its line says.
bool AsLineSays(const Slot& slot, const SlotLine& line) { return slot.name == line.name && slot.fields == line.fields; }

}   // namespace

std::vector<SetListEdit> ReadSetListTexts(const std::vector<NamedText>& texts)
{
    std::vector<SetListEdit> edits;
    for (const NamedText& named : texts) {
        SetListEdit edit{named.name, {}, {}};
        edit.list = ReadSetListText(named.text, edit.faults);
        edits.push_back(std::move(edit));
    }
    return edits;
}

Applied ApplySetListEdits(const FileModel& file, std::string_view source, std::vector<SetListEdit> edits,
                          bool ignoreFingerprint)
{
    Applied applied{NewFile(source), {}, {}, {}, {}, {}, {}};
    std::map<std::size_t, std::pair<std::string, std::size_t>> given;   // set list number: the edit and line giving it
    for (std::size_t k = 0; k < edits.size(); ++k) {
        SetListEdit& edit = edits[k];
        std::vector<TextFault>& faults = edit.faults;
        applied.sources.push_back(edit.source);
        applied.lists.push_back(std::move(edit.list));
        applied.changes.emplace_back();
        const SetListText& text = applied.lists.back();
        const SetListView at = SetListOf(file, text.number);
        ApplyFaultData data;
        data.setList = text.number;
        if (text.numberLine == 0) {
            // said by the reader
        } else if (const auto [first, fresh] = given.emplace(text.number, std::make_pair(edit.source, text.numberLine));
                   !fresh) {
            data.otherText = first->second.first;
            data.otherLine = first->second.second;
            faults.push_back(FaultOf(text.numberLine, ApplyFaultKind::GivenTwice, {}, data));
        } else if (at.list == nullptr || !at.list->readable) {
            faults.push_back(FaultOf(text.numberLine, ApplyFaultKind::NoSuchSetList, {}, data));
        } else {
            const auto offset = static_cast<std::size_t>(at.Offset());
            const std::uint32_t now = SetListFingerprint(std::string_view(source).substr(offset, SetListSize));
            // Without its fingerprint a text cannot tell whether the set list changed since it was
            // written, and applying it could undo that change.
            if (!text.hasFingerprint && !ignoreFingerprint)
                faults.push_back(FaultOf(text.numberLine, ApplyFaultKind::NoFingerprint, {}, data));
            if (text.hasFingerprint && text.fingerprint != now && !ignoreFingerprint) {
                data.fingerprint = text.fingerprint;
                data.now = now;
                data.file = file.name;
                data.namesOtherFile = !WrittenFrom(text, file.name);
                data.textFile = text.file;
                data.fileLine = text.fileLine;
                faults.push_back(FaultOf(text.fingerprintLine, ApplyFaultKind::SetListChanged, {}, data));
            }
            std::vector<TextFault> warnings;
            char* bytes = reinterpret_cast<char*>(applied.made.Bytes(static_cast<std::int64_t>(offset), SetListSize));
            WriteSetList(bytes, source, *at.bank, text, faults, warnings);
            applied.edited.push_back(
                {static_cast<std::int64_t>(offset), static_cast<std::int64_t>(offset + SetListSize)});
            // What the bytes of the set list now hold otherwise than before.
            SetListChange& change = applied.changes.back();
            const char* was = source.data() + offset;
            change.name = std::memcmp(was, bytes, NameSize) != 0;
            for (std::size_t p = 0; p < SlotsPerSetList; ++p)
                if (std::memcmp(was + SlotsOffset + p * SlotSize, bytes + SlotsOffset + p * SlotSize, SlotSize) != 0)
                    change.slots.push_back(p);
            for (TextFault& warning : warnings)
                applied.warnings.push_back({k, text.number, std::move(warning)});
        }
        std::stable_sort(faults.begin(), faults.end(),
                         [](const TextFault& a, const TextFault& b) { return a.line < b.line; });
        for (TextFault& fault : faults)
            applied.faults.push_back(
                {k, text.numberLine != 0 ? std::optional<std::size_t>(text.number) : std::nullopt, std::move(fault)});
    }
    return applied;
}

Applied ApplySetLists(const FileModel& file, std::string_view source, const std::vector<NamedText>& texts,
                      bool ignoreFingerprint)
{
    return ApplySetListEdits(file, source, ReadSetListTexts(texts), ignoreFingerprint);
}

std::string AppliedFaultLine(const Applied& applied, const AppliedFault& fault)
{
    return FaultLine(applied.sources.at(fault.text), fault.fault);
}

ReadBackFault WrongInWritten(const FileModel& written, const std::vector<SetListText>& lists)
{
    if (written.Damaged())
        return DamageFault(written);
    for (const SetListText& text : lists) {
        const SetListView at = SetListOf(written, text.number);
        if (at.list == nullptr || at.list->name != text.name)
            return SlotFault(ReadBackFault::Kind::SetListNotAsText, {0, text.number, 0});
        for (std::size_t p = 0; p < at.list->slots.size(); ++p) {
            const bool unused = p >= text.slots.size() || text.slots[p].unused;
            if (unused ? at.list->slots[p].used
                       : !at.list->slots[p].used || !AsLineSays(at.list->slots[p], text.slots[p]))
                return SlotFault(ReadBackFault::Kind::SlotNotAsLine, {0, text.number, p});
        }
    }
    return {};
}

}   // namespace scry
