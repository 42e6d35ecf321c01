// A file's set lists: its set-list banks, every set list in file order, and the one rule for set
// list N that every command that takes N goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/Model.h"

namespace scry {

// The indices in banks of the file's set-list banks, in file order.
std::vector<std::size_t> SetListBanks(const FileModel& file);

// Every set list of the file's set-list banks, in file order:
// visit(const Bank& bank, std::size_t bankOrdinal, std::size_t number, const SetList& list),
// bankOrdinal counting the set-list banks from 0.
template <class Visit>
void ForEachSetList(const FileModel& file, Visit&& visit)
{
    std::size_t ordinal = 0;
    for (const Bank& bank : file.banks) {
        if (bank.kind != Kind::SLS1)
            continue;
        for (std::size_t i = 0; i < bank.setLists.size(); ++i)
            visit(bank, ordinal, i, bank.setLists[i]);
        ++ordinal;
    }
}

// The slots of a set list that play something, in order: used, and read from the file.
// visit(std::size_t slot, const Slot&).
template <class Visit>
void ForEachPlayingSlot(const SetList& list, Visit&& visit)
{
    for (std::size_t j = 0; j < list.slots.size(); ++j)
        if (list.slots[j].used && list.slots[j].readable)
            visit(j, list.slots[j]);
}

// Set list N as the commands read it: of the file's first set-list bank. banks counts the file's
// set-list banks: where there are more, the others are not read.
struct SetListView {
    const Bank* bank = nullptr;      // null: the file holds no set-list bank
    const SetList* list = nullptr;   // null: no set list N (its bank is cut before it)
    std::size_t number = 0;
    std::size_t banks = 0;
    // Where the set list's bytes begin in the file.
    std::int64_t Offset() const { return bank->offset + static_cast<std::int64_t>(number * SetListSize); }
};
SetListView SetListOf(const FileModel& file, std::size_t number);

// A set list's used slots (some byte of them not zero), and whether it has one: the one count that
// says a set list is empty, wherever that is said.
std::size_t UsedSlotCount(const SetList& list);
inline bool HasUsedSlot(const SetList& list) { return UsedSlotCount(list) != 0; }

}   // namespace scry
