// scry's words for what a PCG file holds, each in one table that every printer reads: the kinds
// of record, the settings of a slot, its colours and the kinds of change. A new kind or setting
// is a new row; no printer spells these out again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Korg_Kronos_Defs/SlotLayout.h"
#include "model/Model.h"

namespace scry {

// ---- Kinds of record

// What a slot plays: the low two bits of its first packed byte.
inline SlotType SlotTypeOf(const SlotAttributes& fields) { return static_cast<SlotType>(fields.SlotType & 3u); }

struct RecordKind {
    ChunkKind kind;        // Kind::PRG1, Kind::CMB1
    SlotType playedAs;     // the slot type that plays one
    const char* word;      // "PROGRAM": heads show and diff lines
    const char* noun;      // "program": CSV, JSON, the page
    const char* section;   // "Program banks": the page's heading
    const char* anchor;    // "programs": the page's section id
};

inline constexpr RecordKind RecordKinds[] = {
    {Kind::PRG1, SlotType::Prog, "PROGRAM", "program", "Program banks", "programs"},
    {Kind::CMB1, SlotType::Combi, "COMBI", "combination", "Combination banks", "combis"},
};

// The row of a kind of chunk that holds records; nullptr for set lists and any other.
const RecordKind* RecordKindOf(ChunkKind kind);
// The row of the records a slot type plays; nullptr for songs and type 3.
const RecordKind* RecordKindPlayedBy(SlotType type);
// "Prog", "Combi", "Song", "Type3".
const char* SlotTypeText(SlotType type);

// ---- Slot settings

struct SlotSetting {
    SlotField field;       // in the packed bytes' layout, which gives its largest value
    const char* word;      // "hold": show, diff and the set-list text's errors
    const char* column;    // "hold_time": CSV
    const char* key;       // "holdTime": JSON, and the page's data- attribute ("data-hold-time")
    const char* tile;      // "hold": on the page's tile and the set-list text's column
    const char* heading;   // "Hold": a column's heading on the gig sheet, a soft hyphen where it may break
    bool written;          // written on a tile as its word and value (colour and font are drawn instead)
    bool onGigSheet;       // printed on the gig sheet, from the tile's data- attribute
};

// In the order of bankscry's CSV line.
inline constexpr SlotSetting SlotSettings[] = {
    {SlotField::Color, "color", "color", "color", "color", "Color", false, false},
    {SlotField::Font, "font", "font", "font", "font", "Font", false, false},
    {SlotField::Transpose, "transpose", "transpose", "transpose", "tr", "Trans\xC2\xADpose", true, true},
    {SlotField::HoldTime, "hold", "hold_time", "holdTime", "hold", "Hold", true, false},
    {SlotField::Volume, "volume", "volume", "volume", "vol", "Volume", true, true},
    {SlotField::Kbd_Track, "kbd track", "kbd_track", "kbdTrack", "kbd", "Kbd track", true, false},
};

inline unsigned SettingOf(const SlotAttributes& fields, const SlotSetting& setting)
{
    return fields.*LayoutOf(setting.field).member;
}
// The row of a setting's field; nullptr for the fields that say what a slot plays.
const SlotSetting* SlotSettingOf(SlotField field);

// The instrument shows a set list's slots 16 to a page.
inline constexpr std::size_t SlotsPerPage = 16;

// The 16 slot colours by name, as the page draws them (its legend shows both).
inline constexpr const char* ColorNames[16] = {"gray",  "red",    "orange", "yellow", "green", "teal",
                                               "cyan",  "blue",   "violet", "purple", "pink",  "salmon",
                                               "brown", "forest", "sky",    "ochre"};
static_assert(std::size(ColorNames) == SlotFieldMax(SlotField::Color) + 1);

// ---- Kinds of change

// What happened to a thing compared; one difference may count several (a slot moved and
// renamed). Impact: a slot of the gig that now plays another sound than it did.
enum class Change : std::uint8_t { Renamed, Changed, Moved, Copied, Added, Removed, Settings, Unreadable, Impact };
inline constexpr std::size_t ChangeCount = 9;

struct ChangeKind {
    Change change;
    const char* key;      // "renamed": JSON
    const char* word;     // "renamed": the page's mark
    const char* symbol;   // on the page, before the word
    const char* style;    // the page's class for its mark
    const char* tally;    // how the summary counts it
};

inline constexpr ChangeKind ChangeKinds[ChangeCount] = {
    {Change::Renamed, "renamed", "renamed", "\xE2\x9C\x8E", "m-renamed", "renamed"},   // pencil
    {Change::Changed, "changed", "changed", "\xE2\x97\x8F", "m-changed", "changed"},   // black circle
    {Change::Moved, "moved", "moved", "\xE2\x86\x94", "m-moved", "moved"},             // left right arrow
    {Change::Copied, "copied", "copied", "\xE2\x9D\x90", "m-copied", "copied"},        // shadowed square
    {Change::Added, "added", "added", "+", "m-added", "added"},
    {Change::Removed, "removed", "removed", "\xE2\x88\x92", "m-removed", "removed"},                     // minus
    {Change::Settings, "settings", "settings changed", "\xE2\x9A\x99", "m-settings", "slot settings"},   // gear
    {Change::Unreadable, "unreadable", "not readable", "?", "m-unreadable", "not readable"},
    {Change::Impact, "impact", "plays another sound", "\xE2\x99\xAA", "m-impact", "slots play another sound"},   // note
};

constexpr const ChangeKind& ChangeKindOf(Change change) { return ChangeKinds[static_cast<std::size_t>(change)]; }
static_assert(ChangeKinds[static_cast<std::size_t>(Change::Impact)].change == Change::Impact &&
              ChangeKinds[static_cast<std::size_t>(Change::Copied)].change == Change::Copied);

}   // namespace scry
