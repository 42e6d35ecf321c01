// The lines of scry diff, one routine per subject.
#include "text/DiffText.h"

#include <map>
#include <utility>

#include "model/SetLists.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

const char* Side(bool old) { return old ? "OLD" : "NEW"; }

// ": not readable in NEW (file damaged)": what a damaged file lacks is never taken for a removal.
std::string NotReadable(Cause cause)
{
    return std::string(": not readable in ") + Side(cause == Cause::OldDamaged) + " (file damaged)";
}

// ": only in NEW", ": only in OLD" (": added", ": removed" for chunks), or not readable.
std::string OneSide(const Difference& d, bool chunk)
{
    if (d.Has(Change::Unreadable))
        return NotReadable(d.cause);
    if (chunk)
        return d.Has(Change::Added) ? ": added" : ": removed";
    return d.Has(Change::Added) ? ": only in NEW" : ": only in OLD";
}

std::string FileLine(const Comparison& c, const Difference& d)
{
    const FileModel& before = *c.before;
    const FileModel& after = *c.after;
    switch (d.subject) {
    case Subject::FileHeader:
        return "FILE HEADER: changed" + (before.formatCode != after.formatCode
                                             ? std::string(" (") + FormatName(before.formatCode) + " format -> " +
                                                   FormatName(after.formatCode) + " format)"
                                             : std::string(" (bytes that no listing shows)"));
    case Subject::Container:
        return "CONTAINER: changed (announces " + std::to_string(before.containerSize) + " -> " +
               std::to_string(after.containerSize) + " bytes, for files of " + std::to_string(before.size) + " -> " +
               std::to_string(after.size) + " bytes)";
    default:
        return "TRAILING BYTES: " + std::to_string(before.tailSize) + " -> " + std::to_string(after.tailSize) +
               " bytes after the last chunk" + (before.tailSize == after.tailSize ? ", changed" : "");
    }
}

// A slot's head: its place in NEW (in OLD for one removed), its name there, its set list's in NEW
// where NEW holds that set list.
std::string SlotHead(const Comparison& c, const Difference& d)
{
    const bool fromOld = !d.inNew;
    const SlotAt& at = std::get<SlotAt>(fromOld ? d.oldAt : d.newAt);
    const Slot* slot = fromOld ? OldSlot(c, d) : NewSlot(c, d);
    const std::string name = slot != nullptr ? slot->name : std::string();
    const bool newHolds = at.setListBank < SetListBanks(*c.after).size();
    return SlotHeadText(newHolds ? *c.after : *c.before, at, name);
}

// What a slot of the gig sounds like now, against then.
std::string ImpactLine(const Comparison& c, const Difference& d)
{
    const Plays now = NewPlays(c, d);
    const Plays then = OldPlays(c, d);
    const std::string head = SlotHead(c, d) + ": now plays ";
    const std::string place = std::string(SlotTypeText(now.target.type)) + " " + LineName(PlaceText(now.target));
    const std::string was = then.record != nullptr ? ", was " + Quoted(then.record->name) : std::string();
    if (d.cause == Cause::NoLongerInFile)
        return head + place + ", which is no longer in the file" + was;
    std::string line = head + (now.record != nullptr ? Quoted(now.record->name) : std::string()) + " (" + place + ")";
    switch (d.cause) {
    case Cause::TargetChanged:
        return line + was + " (" + SlotTypeText(then.target.type) + " " + LineName(PlaceText(then.target)) + ")";
    case Cause::RecordRenamed: return line + ", renamed from " + Quoted(then.record->name);
    default:
        if (now.record != nullptr && then.record != nullptr && now.record->name == then.record->name)
            return line + " with another sound";
        return line + was;
    }
}

std::string SlotLine(const Comparison& c, const Difference& d)
{
    if (d.Has(Change::Impact))
        return ImpactLine(c, d);
    if (d.Has(Change::Unreadable))
        return "SETLISTS from " + SlotKey(std::get<SlotAt>(d.newAt)) + " on" + NotReadable(d.cause);
    const std::string head = SlotHead(c, d);
    if (d.Has(Change::Added))
        return head + ": added, plays " + PlaysText(NewPlays(c, d));
    if (d.Has(Change::Removed))
        return head + ": removed";
    std::string what;
    const auto add = [&](const std::string& part) { what += (what.empty() ? "" : "; ") + part; };
    if (d.Has(Change::Moved))
        add("moved from " + SlotKey(std::get<SlotAt>(d.oldAt)));
    if (d.Has(Change::Copied))
        add("copied from " + SlotKey(std::get<SlotAt>(d.oldAt)));
    const Slot* was = OldSlot(c, d);
    const Slot* now = NewSlot(c, d);
    if (d.Has(Change::Renamed))
        add("renamed " + Quoted(was->name) + " -> " + Quoted(now->name));
    bool target = false;
    for (const FieldChange& field : d.fields)
        target = target || SlotSettingOf(field.field) == nullptr;
    if (target)
        add("plays " + PlaysText(NewPlays(c, d)) + ", was " + PlaysText(OldPlays(c, d)));
    for (const FieldChange& field : d.fields)
        if (const SlotSetting* setting = SlotSettingOf(field.field))
            add(std::string(setting->word) + " " + std::to_string(field.after) + ", was " +
                std::to_string(field.before));
    if (d.otherBytes)
        add("other bytes changed");
    return head + ": " + what;
}

std::string SetListLine(const Comparison& c, const Difference& d)
{
    if (d.subject == Subject::SetListBank)
        return "SETLISTS" +
               SetListBankLabel(d.inNew ? *c.after : *c.before,
                                std::get<SetListBankAt>(d.inNew ? d.newAt : d.oldAt).setListBank) +
               OneSide(d, false);
    const SetList* was = OldSetList(c, d);
    const SetList* now = NewSetList(c, d);
    const std::string label = SetListLabel(*c.after, std::get<SetListAt>(d.newAt));
    std::string what;
    const auto add = [&](const std::string& part) { what += (what.empty() ? "" : "; ") + part; };
    if (d.Has(Change::Renamed))
        add("renamed " + Quoted(was->name) + " -> " + Quoted(now->name));
    if (was->eq != now->eq)
        add("EQ changed");
    if (d.otherBytes)
        add("bytes after the end of its name changed");
    return d.Has(Change::Renamed) ? label + ": " + what : label + " " + Quoted(now->name) + ": " + what;
}

std::string RecordLine(const Comparison& c, const Difference& d)
{
    const FileModel& file = d.inNew ? *c.after : *c.before;
    const Bank& bank = file.banks[*BankIndexOf(d.inNew ? d.newAt : d.oldAt)];
    const char* word = RecordKindOf(bank.kind)->word;
    if (d.subject == Subject::RecordBank)
        return std::string(word) + " BANK " + BankLabel(bank) + OneSide(d, false);
    // A record's difference stands in both files: its place in NEW, and where its bytes were in OLD.
    const RecordAt& at = std::get<RecordAt>(d.newAt);
    const RecordAt& then = std::get<RecordAt>(d.oldAt);
    const std::string head = std::string(word) + " " + RecordPlaceText(bank, at.number);
    const Record* was = OldRecord(c, d);
    const Record* now = NewRecord(c, d);
    const Bank& from = c.before->banks[then.bank];
    if (d.Has(Change::Moved))
        return head + ": now holds OLD's " + RecordPlaceText(from, then.number) + " " + Quoted(was->name);
    if (d.Has(Change::Copied))
        return head + ": copied from " + RecordPlaceText(from, then.number) + " " + Quoted(was->name);
    if (d.otherBytes)
        return head + " " + Quoted(now->name) + ": bytes after the end of its name changed";
    if (d.Has(Change::Renamed))
        return head + ": renamed " + Quoted(was->name) + " -> " + Quoted(now->name) +
               (d.Has(Change::Changed) ? " and changed" : "");
    return head + " " + Quoted(now->name) + ": changed";
}

std::string ChunkLine(const Comparison& c, const Difference& d)
{
    const Chunk& chunk = d.inNew ? c.after->chunks[std::get<ChunkAt>(d.newAt).index]
                                 : c.before->chunks[std::get<ChunkAt>(d.oldAt).index];
    const std::string head = chunk.padding ? "CHUNK (zero padding) at offset " + std::to_string(chunk.offset)
                                           : "CHUNK " + LineName(IdText(chunk.id)) + " (" + ChunkHolds(chunk.id) + ")";
    if (d.Has(Change::Unreadable) && (d.cause == Cause::CutShortInNew || d.cause == Cause::CutShortInOld))
        return head + (d.cause == Cause::CutShortInNew ? ": cut short in NEW" : ": cut short in OLD");
    if (!(d.inNew && d.inOld))
        return head + OneSide(d, true);
    return head + (d.cause == Cause::OutsideRecords ? ": changed outside its listed records" : ": changed");
}

}   // namespace

std::string DiffLine(const Comparison& comparison, const Difference& difference)
{
    switch (difference.subject) {
    case Subject::FileHeader:
    case Subject::Container:
    case Subject::TrailingBytes: return FileLine(comparison, difference);
    case Subject::SetListBank:
    case Subject::SetList: return SetListLine(comparison, difference);
    case Subject::Slot: return SlotLine(comparison, difference);
    case Subject::SetListData:
        return "SET-LIST DATA (SDB1)" +
               (difference.inNew && difference.inOld ? std::string(": changed") : OneSide(difference, false));
    case Subject::RecordBank:
    case Subject::Record: return RecordLine(comparison, difference);
    case Subject::Chunk: return ChunkLine(comparison, difference);
    }
    return {};
}

std::string SoundSummary(const Comparison& comparison)
{
    const unsigned slots = comparison.tally[static_cast<std::size_t>(Change::Impact)];
    if (slots == 0)
        return {};
    return "; " + std::to_string(slots) + (slots == 1 ? " slot plays another sound" : " slots play another sound");
}

std::string DiffSummary(const Comparison& comparison)
{
    const unsigned total = comparison.total;
    std::string summary = std::to_string(total) + (total == 1 ? " difference: " : " differences: ");
    bool first = true;
    for (const ChangeKind& kind : ChangeKinds) {
        const unsigned count = comparison.tally[static_cast<std::size_t>(kind.change)];
        // What could not be read is named only where there is some, as the files' damage is;
        // slots that play another sound follow what caused it.
        if (kind.change == Change::Impact || (kind.change == Change::Unreadable && count == 0))
            continue;
        summary += (first ? "" : ", ") + std::to_string(count) + " " + kind.tally;
        first = false;
    }
    summary += SoundSummary(comparison);
    if (comparison.before->Damaged())
        summary += "; OLD is damaged";
    if (comparison.after->Damaged())
        summary += "; NEW is damaged";
    return summary;
}

std::string DiffText(const Comparison& comparison)
{
    std::string text;
    for (const Difference& difference : comparison.differences)
        text += DiffLine(comparison, difference) + "\n";
    if (!comparison.differences.empty() || comparison.before->Damaged() || comparison.after->Damaged())
        text += DiffSummary(comparison) + "\n";
    return text;
}

namespace {

std::string HistoryLines(const Comparison& comparison, bool all)
{
    if (all)
        return DiffText(comparison);
    // Each bank of NEW's records that differ, told once: a bank whose records at the same place
    // mostly hold another sound now is folded into one line.
    struct Tally {
        std::size_t sounds = 0;    // records that hold another sound, moved or copied ones too
        std::size_t changed = 0;   // of those, at the same place
        std::size_t renamed = 0;
        std::size_t other = 0;   // moved, copied or added there, or other bytes
        bool said = false;
    };
    std::map<std::size_t, Tally> banks;
    for (const Difference& d : comparison.differences) {
        if (d.subject != Subject::Record || !d.inNew)
            continue;
        Tally& tally = banks[std::get<RecordAt>(d.newAt).bank];
        tally.sounds += d.Has(Change::Changed);
        if (d.Has(Change::Moved) || d.Has(Change::Copied) || d.Has(Change::Added) || d.otherBytes)
            ++tally.other;
        else if (d.Has(Change::Changed))
            ++tally.changed;
        else
            ++tally.renamed;
    }
    std::string text;
    for (const Difference& difference : comparison.differences) {
        const auto bank = difference.subject == Subject::Record && difference.inNew
                              ? banks.find(std::get<RecordAt>(difference.newAt).bank)
                              : banks.end();
        if (bank == banks.end() || 2 * bank->second.sounds < RecordsPerBank) {
            text += DiffLine(comparison, difference) + "\n";
            continue;
        }
        Tally& tally = bank->second;
        if (std::exchange(tally.said, true))
            continue;
        // The bank's line, where its first record's would be.
        const Bank& held = comparison.after->banks[bank->first];
        const RecordKind& kind = *RecordKindOf(held.kind);
        text += std::string(kind.word) + " BANK " + BankLabel(held) + ": " + std::to_string(tally.changed) +
                " of its " + std::to_string(held.records.size()) + " " + kind.noun + "s hold another sound" +
                (tally.renamed != 0 ? ", " + std::to_string(tally.renamed) + " renamed" : "") +
                (tally.other != 0 ? ", " + std::to_string(tally.other) + " moved or copied in" : "") +
                " (--all: a line each)\n";
    }
    if (!comparison.differences.empty() || comparison.before->Damaged() || comparison.after->Damaged())
        text += DiffSummary(comparison) + "\n";
    return text;
}

}   // namespace

std::string HistoryText(const Comparison& comparison, bool all)
{
    std::string text = HistoryLines(comparison, all);
    return text.empty() ? "no differences\n" : text;
}

std::string VersionHeading(const std::string& name, const std::string& previous)
{
    return "== " + LineText(name) + " (after " + LineText(previous) + ")\n";
}

std::string NotVersionsText(const std::string& name, const std::string& previous, unsigned percent, bool more)
{
    return VersionHeading(name, previous) + "not versions of one file: " + std::to_string(percent) +
           "% of their programs, combinations and set lists are the same at the same place (scry diff compares them "
           "all the same)" +
           (more ? "; the next is compared with " + LineText(previous) : std::string()) + "\n";
}

std::string RecordWithItsBankLine(const Bank& bank, std::size_t number, bool gone)
{
    return std::string(RecordKindOf(bank.kind)->word) + " " + RecordPlaceText(bank, number) + " " +
           Quoted(bank.records[number].name) + (gone ? ": gone with its bank" : ": came with its bank");
}

}   // namespace scry
