// A file's model as library rows.
#include "library/Summary.h"

#include "CRC32/CRC32.h"
#include "model/SetLists.h"

namespace scry {

std::uint32_t SetListPartsFingerprint(const SetList& list)
{
    std::uint8_t bytes[4 * (SlotsPerSetList + 2)];
    std::size_t at = 0;
    const auto put = [&](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes[at++] = static_cast<std::uint8_t>(value >> shift);
    };
    put(list.nameField);
    for (const Slot& slot : list.slots)
        put(slot.fingerprint);
    put(list.eq);
    return Crc32Of(bytes, static_cast<std::int32_t>(at));
}

FileSummary SummaryOf(const FileModel& model)
{
    FileSummary summary;
    summary.formatCode = model.formatCode;
    summary.problems = model.problems;
    for (std::size_t b = 0; b < model.banks.size(); ++b) {
        const Bank& bank = model.banks[b];
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            const Record& record = bank.records[i];
            summary.records.push_back({bank.kind, bank.id, bank.bankId, bank.name, static_cast<std::uint32_t>(b),
                                       static_cast<std::uint32_t>(bank.occurrence),
                                       static_cast<std::uint32_t>(bank.occurrences), static_cast<std::uint32_t>(i),
                                       record.name, record.fingerprint, record.sound});
        }
    }
    // The set lists of the first set-list bank, as every command reads set list N.
    const SetListAt first = SetListOf(model, 0);
    if (first.bank == nullptr)
        return summary;
    for (std::size_t number = 0; number < first.bank->setLists.size(); ++number) {
        const SetList& list = first.bank->setLists[number];
        std::uint32_t used = 0;
        for (std::size_t j = 0; j < list.slots.size(); ++j) {
            const Slot& slot = list.slots[j];
            if (!slot.used)
                continue;
            ++used;
            const Plays plays = WhatSlotPlays(model, TargetOf(slot.fields));
            LibrarySlot row{static_cast<std::uint32_t>(number),
                            static_cast<std::uint32_t>(j),
                            slot.name,
                            slot.fingerprint,
                            plays.target,
                            plays.resolution,
                            {},
                            0,
                            0};
            if (plays.record != nullptr) {
                row.playsName = plays.record->name;
                row.playsChunk = model.banks[plays.bank].id;
                row.playsSound = plays.record->sound;
            }
            summary.slots.push_back(std::move(row));
        }
        summary.setLists.push_back(
            {static_cast<std::uint32_t>(number), list.name, SetListPartsFingerprint(list), used});
    }
    return summary;
}

}   // namespace scry
