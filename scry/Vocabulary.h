// scry's words for what a PCG file holds, each in one table that every command reads: the
// kinds of record, the settings of a slot, what a slot plays and the kinds of change. A new kind
// or setting is a new row; no command spells these out again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Model.h"

namespace scry {

// ---- Kinds of record

struct RecordKind {
    ChunkKind kind;           // Kind::PRG1, Kind::CMB1
    SlotType playedAs;        // the slot type that plays one
    const char* word;         // "PROGRAM": heads show and diff lines
    const char* noun;         // "program": CSV, JSON, the page
    const char* section;      // "Program banks": the page's heading
    const char* anchor;       // "programs": the page's section id
    std::size_t recordSize;   // bytes of one record
};

inline constexpr RecordKind RecordKinds[] = {
    {Kind::PRG1, SlotType::Prog, "PROGRAM", "program", "Program banks", "programs", ProgramSize},
    {Kind::CMB1, SlotType::Combi, "COMBI", "combination", "Combination banks", "combis", CombiSize},
};

// The row of a kind of chunk that holds records; nullptr for set lists and any other.
const RecordKind* RecordKindOf(ChunkKind kind);
// The row of the records a slot type plays; nullptr for songs and type 3.
const RecordKind* RecordKindPlayedBy(SlotType type);
// "Prog", "Combi", "Song", "Type3".
const char* SlotTypeText(SlotType type);

// ---- Banks

// "I-A", or "I-A (2nd of 3)" where the file holds more than one bank of that kind and name.
std::string BankLabel(const Bank& bank);
// "1st", "2nd", "3rd", "4th", ...
std::string Ordinal(std::size_t number);

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

// "SETLIST 003", and the set-list bank's ordinal where the file holds more than one.
std::string SetListLabel(const FileModel& file, std::size_t bankOrdinal, std::size_t number);
// "003/012"
std::string SlotKey(std::size_t setList, std::size_t slot);

// ---- Slot settings

struct SlotSetting {
    const char* word;     // "hold": show and diff
    const char* column;   // "hold_time": CSV
    const char* key;      // "holdTime": JSON, and the page's data- attribute ("data-hold-time")
    const char* tile;     // "hold": on the page's tile; null where the tile draws it (colour, font)
    bool onGigSheet;      // printed on the gig sheet, from the tile's data- attribute
    std::uint8_t SlotFields::*field;
    unsigned max;   // the largest value the packed bytes give
};

// In the order of bankscry's CSV line.
inline constexpr SlotSetting SlotSettings[] = {
    {"color", "color", "color", nullptr, false, &SlotFields::color, 15},
    {"font", "font", "font", nullptr, false, &SlotFields::font, 3},
    {"transpose", "transpose", "transpose", "tr", true, &SlotFields::transpose, 7},
    {"hold", "hold_time", "holdTime", "hold", false, &SlotFields::holdTime, 255},
    {"volume", "volume", "volume", "vol", true, &SlotFields::volume, 255},
    {"kbd track", "kbd_track", "kbdTrack", "kbd", false, &SlotFields::kbdTrack, 15},
};

// The 16 slot colours by name, as the page draws them (its legend shows both).
inline constexpr const char* ColorNames[16] = {"gray",   "red",   "orange", "yellow", "green",  "teal",
                                               "cyan",   "blue",  "violet", "purple", "pink",   "salmon",
                                               "brown",  "forest", "sky",   "ochre"};

// "color 4, font 1, transpose 4, hold 3, volume 100, kbd track 0"
std::string SettingsText(const SlotFields& fields);

// ---- What a slot plays

enum class Resolution {
    Found,            // a record of the file, by name
    InstrumentBank,   // GM and GMd: the instrument's own
    NotInFile,        // a bank the file does not hold
    NotReadable,      // a bank the file holds but could not be read
    NoSuchNumber,     // beyond the 128 records of a bank
    Song,
    NoBank,           // an out-of-table bank number, or slot type 3
};

struct Plays {
    SlotType type;
    std::string place;       // "I-B012", "GM005", "S-003"
    const Record* record;    // where resolution is Found
    Resolution resolution;
};

Plays WhatSlotPlays(const FileModel& file, const SlotFields& fields);
// The bank and number of a place ("I-B012", "u-aa127", "GM005", "GMd000", "S-043") for a slot
// of this type: a bank name the type has, letters in any case, and three digits. False for any
// other text, and for a number its byte cannot hold.
bool PlaceOf(SlotType type, std::string_view text, std::uint8_t& bank, std::uint8_t& number);
// Why a slot plays no record of the file: "instrument's own bank", "bank not in file", ...; ""
// for Found.
const char* ResolutionNote(Resolution resolution);
// "Prog I-B012 \"Grand Piano\"" or "Prog GM005 (instrument's own bank)"; for a line.
std::string PlaysText(const Plays& plays);

// ---- Kinds of change

// Impact: a slot of the gig that now plays another sound than it did, whatever caused it.
enum class Change { Renamed, Changed, RenamedAndChanged, Moved, Added, Removed, Settings, Unreadable, Impact };

// What the summary counts each kind of change as.
enum class Tally { Renamed, Changed, Moved, Added, Removed, Settings, Unreadable, Impact };
inline constexpr std::size_t TallyCount = 8;

struct ChangeKind {
    Change change;
    const char* word;     // "renamed"
    const char* symbol;   // on the page, before the word
    const char* style;    // the page's class for its mark
    Tally tally;
};

inline constexpr ChangeKind ChangeKinds[] = {
    {Change::Renamed, "renamed", "\xE2\x9C\x8E", "m-renamed", Tally::Renamed},          // pencil
    {Change::Changed, "changed", "\xE2\x97\x8F", "m-changed", Tally::Changed},          // black circle
    {Change::RenamedAndChanged, "renamed and changed", "\xE2\x97\x8F", "m-changed", Tally::Changed},
    {Change::Moved, "moved", "\xE2\x86\x94", "m-moved", Tally::Moved},                  // left right arrow
    {Change::Added, "added", "+", "m-added", Tally::Added},
    {Change::Removed, "removed", "\xE2\x88\x92", "m-removed", Tally::Removed},          // minus
    {Change::Settings, "settings changed", "\xE2\x9A\x99", "m-settings", Tally::Settings},   // gear
    {Change::Unreadable, "not readable", "?", "m-unreadable", Tally::Unreadable},
    {Change::Impact, "plays another sound", "\xE2\x99\xAA", "m-impact", Tally::Impact},   // eighth note
};

const ChangeKind& ChangeKindOf(Change change);

// How the summary line names each tally, in its order.
inline constexpr const char* TallyWords[TallyCount] = {"renamed", "changed",       "moved",        "added",
                                                       "removed", "slot settings", "not readable", "slots play another sound"};

}   // namespace scry
