// The tables' lookups, and what a slot plays.
#include "Vocabulary.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "Korg_Kronos_Defs/BankNames.h"
#include "Text.h"

namespace scry {

static_assert(std::size(ChangeKinds) == 9 && std::size(TallyWords) == TallyCount);

const RecordKind* RecordKindOf(ChunkKind kind)
{
    for (const RecordKind& row : RecordKinds)
        if (row.kind == kind)
            return &row;
    return nullptr;
}

const RecordKind* RecordKindPlayedBy(SlotType type)
{
    for (const RecordKind& row : RecordKinds)
        if (row.playedAs == type)
            return &row;
    return nullptr;
}

const char* SlotTypeText(SlotType type)
{
    constexpr const char* Texts[4] = {"Combi", "Prog", "Song", "Type3"};
    return Texts[static_cast<std::size_t>(type) & 3u];
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

std::string SetListLabel(const FileModel& file, std::size_t bankOrdinal, std::size_t number)
{
    std::size_t banks = 0;
    for (const Bank& bank : file.banks)
        banks += bank.kind == Kind::SLS1;
    std::string label = "SETLIST " + Pad3(static_cast<unsigned>(number));
    if (banks > 1)
        label += " (set-list bank " + std::to_string(bankOrdinal + 1) + " of " + std::to_string(banks) + ")";
    return label;
}

std::string SlotKey(std::size_t setList, std::size_t slot)
{
    return Pad3(static_cast<unsigned>(setList)) + "/" + Pad3(static_cast<unsigned>(slot));
}

std::string SettingsText(const SlotFields& fields)
{
    std::string text;
    for (const SlotSetting& setting : SlotSettings) {
        if (!text.empty())
            text += ", ";
        text += setting.word;
        text += ' ';
        text += std::to_string(fields.*setting.field);
    }
    return text;
}

Plays WhatSlotPlays(const FileModel& file, const SlotFields& fields)
{
    Plays plays{fields.type, fields.bankText + Pad3(fields.number), nullptr, Resolution::NotInFile};
    const auto type = static_cast<std::uint8_t>(fields.type);
    switch (SlotBankClassOf(type, fields.bank)) {
    case SlotBankClass::Songs: plays.resolution = Resolution::Song; return plays;
    case SlotBankClass::NoBank: plays.resolution = Resolution::NoBank; return plays;
    case SlotBankClass::InstrumentBank: plays.resolution = Resolution::InstrumentBank; return plays;
    case SlotBankClass::FileBank: break;
    }
    const RecordKind* kind = RecordKindPlayedBy(fields.type);
    // Where a file holds a bank twice, the later load is the one the instrument keeps.
    const Bank* holder = nullptr;
    for (const Bank& bank : file.banks)
        if (kind != nullptr && bank.kind == kind->kind && bank.name == fields.bankText)
            holder = &bank;
    if (holder == nullptr)
        return plays;
    if (!holder->loaded)
        plays.resolution = Resolution::NotReadable;
    else if (fields.number >= holder->records.size())
        plays.resolution = Resolution::NoSuchNumber;
    else {
        plays.record = &holder->records[fields.number];
        plays.resolution = Resolution::Found;
    }
    return plays;
}

bool PlaceOf(SlotType type, std::string_view text, std::uint8_t& bank, std::uint8_t& number)
{
    if (text.size() < 4 || !std::all_of(text.end() - 3, text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const int value = std::stoi(std::string(text.substr(text.size() - 3)));
    if (value > 255)
        return false;
    std::string bankText(text.substr(0, text.size() - 3));
    std::transform(bankText.begin(), bankText.end(), bankText.begin(), [](unsigned char c) { return std::toupper(c); });
    if (bankText == "GMD")
        bankText = "GMd";
    if (!SlotBankNumber(static_cast<std::uint8_t>(type), bankText, bank))
        return false;
    number = static_cast<std::uint8_t>(value);
    return true;
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
    std::string text = std::string(SlotTypeText(plays.type)) + " " + LineName(plays.place);
    if (plays.record == nullptr)
        return text + " (" + ResolutionNote(plays.resolution) + ")";
    return text + " " + Quoted(plays.record->name);
}

const ChangeKind& ChangeKindOf(Change change)
{
    for (const ChangeKind& row : ChangeKinds)
        if (row.change == change)
            return row;
    throw std::logic_error("a change without a row in ChangeKinds");
}

}   // namespace scry
