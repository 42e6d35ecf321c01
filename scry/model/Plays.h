// What a set-list slot plays: its target (a place: type, bank number, number) and the record of
// the file at that place, or why there is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/Model.h"
#include "model/Vocabulary.h"

namespace scry {

// A place a slot plays, as its packed bytes hold it.
struct Target {
    SlotType type;
    std::uint8_t bank;     // the slot's bank number (not a bank header's id)
    std::uint8_t number;   // within the bank
    bool operator==(const Target&) const = default;
};

inline Target TargetOf(const SlotAttributes& fields) { return {SlotTypeOf(fields), fields.Bank, fields.Number}; }

struct Plays {
    Target target;
    Resolution resolution;
    const Record* record;   // where resolution is Found
    std::size_t bank;       // the record bank's index in the file's banks, where Found or NotReadable
};

// Where a file holds a bank twice, the later load is the one the instrument keeps.
Plays WhatSlotPlays(const FileModel& file, const Target& target);
// What a slot of the file plays, as it was resolved when the file was read.
Plays SlotPlays(const FileModel& file, const Slot& slot);
// Resolves what every slot of the file plays, once its banks are all known.
void ResolvePlays(FileModel& file);
// The bank of the file that holds records a slot of this type plays at bank number `bank`
// (the later load of a bank held twice); false where the file holds none.
bool RecordBankFor(const FileModel& file, SlotType type, std::uint8_t bank, std::size_t& index);
// The place a slot takes to play record `number` of bank `index` of the file; false where no
// slot can name that bank, or a later bank of its place hides it.
bool TargetOfRecord(const FileModel& file, std::size_t index, std::size_t number, Target& target);

// The bank and number of a place ("I-B012", "u-aa127", "GM005", "GMd000", "S-043") for a slot
// of this type: a bank name the type has, letters in any case, and three digits. False for any
// other text, and for a number its byte cannot hold.
bool PlaceOf(SlotType type, std::string_view text, std::uint8_t& bank, std::uint8_t& number);

}   // namespace scry
