// Words for places, plays, settings and problems.
#include "text/Words.h"

#include <algorithm>

#include "Korg_Kronos_Defs/BankNames.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Text.h"

namespace scry {

std::string SlotKey(std::size_t setList, std::size_t slot)
{
    std::string key;
    AppendSlotKey(key, setList, slot);
    return key;
}

std::string SlotKey(const SlotAt& at) { return SlotKey(at.setList, at.slot); }

void AppendSlotKey(std::string& out, std::size_t setList, std::size_t slot)
{
    AppendPad3(out, static_cast<unsigned>(setList));
    out += '/';
    AppendPad3(out, static_cast<unsigned>(slot));
}

std::string ValuesText(const std::vector<unsigned>& values, const char* last)
{
    std::string text;
    for (std::size_t k = 0; k < values.size(); ++k)
        text += (k == 0 ? "" : k + 1 == values.size() ? last : ", ") + std::to_string(values[k]);
    return text;
}

std::string Ordinal(std::size_t number)
{
    const std::size_t lastTwo = number % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        if (number % 10 == 1)
            suffix = "st";
        else if (number % 10 == 2)
            suffix = "nd";
        else if (number % 10 == 3)
            suffix = "rd";
    }
    return std::to_string(number) + suffix;
}

std::string BankLabel(const Bank& bank)
{
    std::string label = LineName(bank.name);
    if (bank.occurrences > 1)
        label += " (" + Ordinal(bank.occurrence + 1) + " of " + std::to_string(bank.occurrences) + ")";
    return label;
}

std::string SetListBankLabel(const FileModel& file, std::size_t bankOrdinal)
{
    const std::size_t banks = SetListBanks(file).size();
    if (banks <= 1)
        return {};
    return " (set-list bank " + std::to_string(bankOrdinal + 1) + " of " + std::to_string(banks) + ")";
}

std::string SetListLabel(const FileModel& file, const SetListAt& at)
{
    return "SETLIST " + Pad3(static_cast<unsigned>(at.setList)) + SetListBankLabel(file, at.setListBank);
}

std::string RecordPlaceText(const Bank& bank, std::size_t number)
{
    return RecordPlaceText(bank.name, bank.occurrence, bank.occurrences, number);
}

std::string RecordPlaceText(const std::string& bankName, std::size_t occurrence, std::size_t occurrences,
                            std::size_t number)
{
    std::string place = LineName(bankName) + Pad3(static_cast<unsigned>(number));
    if (occurrences > 1)
        place += " in the " + Ordinal(occurrence + 1) + " " + LineName(bankName) + " bank";
    return place;
}

std::string SlotHeadText(const FileModel& file, const SlotAt& at, const std::string& slotName)
{
    const std::vector<std::size_t> banks = SetListBanks(file);
    const SetList* list =
        at.setListBank < banks.size() && at.setList < file.banks[banks[at.setListBank]].setLists.size()
            ? &file.banks[banks[at.setListBank]].setLists[at.setList]
            : nullptr;
    const std::string listName = list == nullptr || list->name.empty() ? "unnamed set list" : LineName(list->name);
    return "SLOT " + SlotKey(at.setList, at.slot) + SetListBankLabel(file, at.setListBank) + " " + Quoted(slotName) +
           " (" + listName + ")";
}

std::string PlaceText(const Target& target)
{
    std::string text;
    AppendPlaceText(text, target);
    return text;
}

void AppendPlaceText(std::string& out, const Target& target)
{
    char bank[SlotBankNameCapacity];
    out.append(bank, static_cast<std::size_t>(
                         PutSlotBankName(bank, static_cast<std::uint8_t>(target.type), target.bank) - bank));
    AppendPad3(out, target.number);
}

const char* ResolutionNote(Resolution resolution)
{
    switch (resolution) {
    case Resolution::Found: return "";
    case Resolution::InstrumentBank: return "instrument's own bank";
    case Resolution::NotInFile: return "bank not in file";
    case Resolution::NotReadable: return "bank not readable";
    case Resolution::NoSuchNumber: return "no such number";
    case Resolution::Song: return "song";
    case Resolution::NoBank: return "no such bank";
    }
    return "";
}

std::string PlaysText(const Plays& plays)
{
    std::string text;
    AppendPlaysText(text, plays);
    return text;
}

void AppendPlaysText(std::string& out, const Plays& plays)
{
    out += SlotTypeText(plays.target.type);
    out += ' ';
    AppendPlaceText(out, plays.target);
    if (plays.record == nullptr) {
        out += " (";
        out += ResolutionNote(plays.resolution);
        out += ')';
    } else {
        out += ' ';
        AppendQuoted(out, plays.record->name);
    }
}

std::string PlayedName(const Plays& plays)
{
    if (plays.record != nullptr)
        return Utf8(plays.record->name);
    std::string note = ResolutionNote(plays.resolution);
    note.insert(0, 1, '(');
    return note + ')';
}

std::string SettingsText(const SlotAttributes& fields)
{
    std::string text;
    AppendSettingsText(text, fields);
    return text;
}

void AppendSettingsText(std::string& out, const SlotAttributes& fields)
{
    bool first = true;
    for (const SlotSetting& setting : SlotSettings) {
        if (!first)
            out += ", ";
        first = false;
        out += setting.word;
        out += ' ';
        const unsigned value = SettingOf(fields, setting);
        AppendDecimal(out, value);
        if (setting.field == SlotField::Color && value < std::size(ColorNames)) {
            out += ' ';   // the colour's name as the set-list text and the page write it
            out += ColorNames[value];
        }
    }
}

std::string EmptySetListText(const FileModel& file, const SetListView& at)
{
    std::string said = "set list " + Pad3(static_cast<unsigned>(at.number)) +
                       (at.list != nullptr ? " " + Quoted(at.list->name) : std::string()) + " of " +
                       SourceName(file.name) + " has no used slot";
    constexpr std::size_t MostNamed = 10;
    std::size_t withSlots = 0;
    std::string named;
    ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        if (ordinal != 0 || !HasUsedSlot(list))
            return;
        if (withSlots++ < MostNamed)
            named += (named.empty() ? "" : ", ") + Pad3(static_cast<unsigned>(i)) + " " + Quoted(list.name);
    });
    if (withSlots == 0)
        return said + "; no set list of it has a used slot";
    said += "; set lists with slots: " + named;
    if (withSlots > MostNamed)
        said += " and " + std::to_string(withSlots - MostNamed) + " more";
    return said;
}

std::string ProblemText(const Problem& problem)
{
    switch (problem.kind) {
    case ProblemKind::ChunkCut:
        return "the file ends inside chunk " + LineName(IdText(problem.id)) + " at offset " +
               std::to_string(problem.offset) + " (" + std::to_string(problem.announced) + " bytes announced, " +
               std::to_string(problem.present) + " present)";
    case ProblemKind::SetListBankCut:
        return "the set-list bank ends after " + std::to_string(problem.present) + " of its " +
               std::to_string(problem.announced) + " bytes; what follows is not readable";
    case ProblemKind::BankNotLoaded:
        return "bank " + LineName(IdText(problem.id)) + " " + LineName(problem.bankName) +
               " could not be loaded (its size does not match, or the file ends inside it); the reader stops there";
    case ProblemKind::ZeroPadding:
        return "zero padding from offset " + std::to_string(problem.offset) + ", " + std::to_string(problem.announced) +
               " bytes";
    case ProblemKind::BankHeaderLies:
        return "bank " + LineName(IdText(problem.id)) +
               (problem.bankName.empty() ? "" : " " + LineName(problem.bankName)) + ": its header says " +
               std::to_string(problem.announced) + " records of " + std::to_string(problem.present) +
               " bytes, where the bank holds, and is listed as, " + std::to_string(RecordsPerBank) +
               " records of its kind's size";
    case ProblemKind::ChunksPastContainer:
        return "the container announces " + std::to_string(problem.announced) + " bytes, to byte " +
               std::to_string(problem.offset) + ", but its chunks run to byte " + std::to_string(problem.present);
    case ProblemKind::BytesAfterChunks:
        return std::to_string(problem.announced) + " bytes after the last chunk, from offset " +
               std::to_string(problem.offset) + ", that no chunk holds";
    case ProblemKind::BankChunkSizeLies:
        return "bank " + LineName(IdText(problem.id)) +
               (problem.bankName.empty() ? "" : " " + LineName(problem.bankName)) + " at offset " +
               std::to_string(problem.offset) + ": its chunk header says " + std::to_string(problem.announced) +
               " bytes, where its bank header and records take " + std::to_string(problem.present);
    case ProblemKind::BankPastParent:
        return "bank " + LineName(IdText(problem.id)) +
               (problem.bankName.empty() ? "" : " " + LineName(problem.bankName)) + " at offset " +
               std::to_string(problem.offset) + " runs to byte " + std::to_string(problem.present) + ", past byte " +
               std::to_string(problem.announced) + " where the chunk that holds it ends";
    case ProblemKind::FileCutShort:
        return "the file is " + std::to_string(static_cast<std::int64_t>(problem.announced) - problem.present) +
               " bytes shorter than its container announces (" + std::to_string(problem.announced) +
               " bytes): it was cut short";
    }
    return "";
}

std::string DamagedText(const std::string& name, const std::vector<Problem>& problems)
{
    std::string said = "warning: " + SourceName(name) + " is damaged: ";
    for (std::size_t k = 0; k < problems.size(); ++k)
        said += (k == 0 ? "" : "; ") + ProblemText(problems[k]);
    return said;
}

std::string UnreadableText(const std::string& name, const Unreadable& unreadable)
{
    std::string why;
    switch (unreadable.refusal) {
    case Refusal::Empty: why = "empty file"; break;
    case Refusal::NoKorgHeader: why = "not a PCG file (no KORG header)"; break;
    case Refusal::UnknownFormat: why = "a PCG file of neither the Triton nor the Kronos format"; break;
    case Refusal::NoContainer: why = "not a PCG file (no PCG1 container)"; break;
    case Refusal::Shrank: why = "the file shrank while it was read"; break;
    case Refusal::ReadError: why = LineName(unreadable.what()); break;
    }
    return SourceName(name) + ": " + why;
}

std::string NotWholeText(const std::string& name, const char* command)
{
    return SourceName(name) + " is damaged: " + command + " writes a copy only of a file that reads whole";
}

}   // namespace scry
