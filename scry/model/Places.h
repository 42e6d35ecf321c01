// Where things stand, as values: a set list, a slot, a bank, a record and a chunk of one file, and
// a record as the instrument names it in any file. The differences, copy's plan, the pages' keys
// and the library's rows say where a thing is with these, never with loose numbers or text.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <variant>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace scry {

// A set-list bank of a file: which, counted from 0 in file order, and its index in the file's banks.
struct SetListBankAt {
    std::size_t setListBank = 0;
    std::size_t bank = 0;
    auto operator<=>(const SetListBankAt&) const = default;
};

// A set list of a file: its set-list bank and its number there.
struct SetListAt {
    std::size_t setListBank = 0;
    std::size_t setList = 0;
    auto operator<=>(const SetListAt&) const = default;
};

// A slot of a file: its set list, and its number in that set list.
struct SlotAt {
    std::size_t setListBank = 0;
    std::size_t setList = 0;
    std::size_t slot = 0;
    SetListAt List() const { return {setListBank, setList}; }
    auto operator<=>(const SlotAt&) const = default;
};

// A program or combination bank of a file: its index in the file's banks.
struct BankAt {
    std::size_t bank = 0;
    auto operator<=>(const BankAt&) const = default;
};

// A record of a file: its bank's index in the file's banks, and its number there.
struct RecordAt {
    std::size_t bank = 0;
    std::size_t number = 0;
    auto operator<=>(const RecordAt&) const = default;
};

// A set-list data bank of a file: which, counted from 0 in file order.
struct DataBankAt {
    std::size_t dataBank = 0;
    auto operator<=>(const DataBankAt&) const = default;
};

// A top-level chunk of a file: its index among the file's chunks, its id and where it begins.
struct ChunkAt {
    std::size_t index = 0;
    ChunkId id = 0;
    std::int64_t offset = 0;
    auto operator<=>(const ChunkAt&) const = default;
};

// A record as the instrument names it in any file: its kind (Kind::PRG1 or Kind::CMB1), its bank
// header's id and its number in that bank.
struct RecordPlace {
    ChunkKind kind = 0;
    std::uint32_t bankId = 0;
    std::uint32_t number = 0;
    auto operator<=>(const RecordPlace&) const = default;
};

// Where a thing of any of these kinds stands; nothing for what a file holds once (its header, its
// container, its trailing bytes).
using Place = std::variant<std::monostate, SetListBankAt, SetListAt, SlotAt, DataBankAt, BankAt, RecordAt, ChunkAt>;

// The bank a place names: a bank's own, or a record's.
inline const std::size_t* BankIndexOf(const Place& place)
{
    if (const BankAt* bank = std::get_if<BankAt>(&place))
        return &bank->bank;
    if (const RecordAt* record = std::get_if<RecordAt>(&place))
        return &record->bank;
    return nullptr;
}

}   // namespace scry
