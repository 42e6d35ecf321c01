// What a slot plays, found by the bank header ids that its bank number names.
#include "model/Plays.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "Korg_Kronos_Defs/BankNames.h"

namespace scry {

bool RecordBankFor(const FileModel& file, SlotType type, std::uint8_t bank, std::size_t& index)
{
    const RecordKind* kind = RecordKindPlayedBy(type);
    std::uint32_t bankId = 0;
    if (kind == nullptr || !SlotBankId(static_cast<std::uint8_t>(type), bank, bankId))
        return false;
    bool found = false;
    for (std::size_t b = 0; b < file.banks.size(); ++b)
        if (file.banks[b].kind == kind->kind && file.banks[b].bankId == bankId) {
            index = b;
            found = true;
        }
    return found;
}

Plays WhatSlotPlays(const FileModel& file, const Target& target)
{
    Plays plays{target, Resolution::NotInFile, nullptr, 0};
    switch (SlotBankClassOf(static_cast<std::uint8_t>(target.type), target.bank)) {
    case SlotBankClass::Songs: plays.resolution = Resolution::Song; return plays;
    case SlotBankClass::NoBank: plays.resolution = Resolution::NoBank; return plays;
    case SlotBankClass::InstrumentBank: plays.resolution = Resolution::InstrumentBank; return plays;
    case SlotBankClass::FileBank: break;
    }
    if (!RecordBankFor(file, target.type, target.bank, plays.bank))
        return plays;
    const Bank& holder = file.banks[plays.bank];
    if (!holder.loaded) {
        plays.resolution = Resolution::NotReadable;
    } else if (target.number >= holder.records.size()) {
        plays.resolution = Resolution::NoSuchNumber;
    } else {
        plays.record = &holder.records[target.number];
        plays.resolution = Resolution::Found;
    }
    return plays;
}

Plays SlotPlays(const FileModel& file, const Slot& slot)
{
    Plays plays{TargetOf(slot.fields), slot.resolution, nullptr, slot.playedBank};
    if (slot.resolution == Resolution::Found)
        plays.record = &file.banks[slot.playedBank].records[plays.target.number];
    return plays;
}

void ResolvePlays(FileModel& file)
{
    for (Bank& bank : file.banks)
        for (SetList& list : bank.setLists)
            for (Slot& slot : list.slots) {
                const Plays plays = WhatSlotPlays(file, TargetOf(slot.fields));
                slot.resolution = plays.resolution;
                slot.playedBank = plays.bank;
            }
}

bool TargetOfRecord(const FileModel& file, std::size_t index, std::size_t number, Target& target)
{
    const Bank& bank = file.banks.at(index);
    const RecordKind* kind = RecordKindOf(bank.kind);
    if (kind == nullptr || number >= RecordsPerBank)
        return false;
    std::uint8_t slotBank = 0;
    std::size_t plays = 0;
    // A slot names a bank by its place, and plays the later of two banks of one place.
    if (!SlotBankNumberOfId(static_cast<std::uint8_t>(kind->playedAs), bank.bankId, slotBank) ||
        !RecordBankFor(file, kind->playedAs, slotBank, plays) || plays != index)
        return false;
    target = {kind->playedAs, slotBank, static_cast<std::uint8_t>(number)};
    return true;
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

}   // namespace scry
