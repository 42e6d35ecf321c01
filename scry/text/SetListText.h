// A set list as a text a person edits in any editor, and that text read back: no file is read or
// written here.
//
//   file         "Live.PCG"
//   setlist      003 "Friday Gig"
//   fingerprint  5F1C09A2
//   # name                     plays          color  vol  hold  font  tr  kbd
//   "Grand Piano"              Prog  I-A000   green  100     3     1   4    0  from 003/000  # Grand Piano
//   unused
//   "Pad Layer"                Combi U-A003   blue   127     0     0   4    0  from 003/002  # Warm Pad
//
// A line is a slot, in order from 000; "unused" is an empty one. A slot line carries the bytes
// of the slot named after "from" (of any set list of the file), with the edits it makes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Korg_Kronos_Defs/SlotLayout.h"
#include "model/Model.h"
#include "model/SetLists.h"

namespace scry {

// One slot line as read: a slot with its bytes from `from`, a slot made anew (a line without
// `from`: an unused slot's bytes, all zero, with what the line sets), or an unused slot.
struct SlotLine {
    std::size_t line;   // in its text, from 1
    bool unused;
    std::string name;   // ISO 8859-1
    SlotAttributes fields;
    std::size_t fromSetList;
    std::size_t fromSlot;
    bool anew = false;   // no `from`: fromSetList and fromSlot mean nothing
};

// A text as read.
struct SetListText {
    std::size_t number = 0;
    std::size_t numberLine = 0;   // 0: the text has no setlist line that could be taken (1 for values
                                  // whose number was taken)
    bool setListLineTried = false;
    std::string name;   // ISO 8859-1
    bool hasFingerprint = false;
    std::uint32_t fingerprint = 0;
    std::size_t fingerprintLine = 0;
    std::string file;   // what its file line says, as it stands ("" where it has none)
    std::size_t fileLine = 0;
    std::vector<SlotLine> slots;
};

// Whether the text's file line names the file of that name, as setlist writes it (or it has none).
bool WrittenFrom(const SetListText& text, std::string_view name);

// The part of a slot line a fault is about.
enum class LinePart : std::uint8_t { Whole, Name, Plays, Setting, From };

// Where a fault of a text lies in its set list, for an editor that shows slots rather than lines.
struct FaultPlace {
    std::optional<std::size_t> slot;   // the slot a slot line writes (its place among the slot lines);
                                       // none for a line of the header, or the text as a whole
    LinePart part = LinePart::Whole;
    SlotField field = SlotField::Color;   // the setting, where part is Setting
};

// Why a line that reads well cannot be applied to the file, or is applied with a word: the file,
// not the text, makes it so. Its words are made by FaultReason.
enum class ApplyFaultKind : std::uint8_t {
    None,             // a fault of the text itself: its reason says it
    NotWritable,      // the setting place.field cannot hold its value with the line's others (wanted)
    NotTogether,      // the slot's settings cannot be written together
    NoFromSetList,    // from setList/slot: the file holds no such set list
    FromSlotUnused,   // from setList/slot: that slot is unused, there are no bytes to carry
    VolumeAbove127,   // a warning: volume `value` is written as asked
    GivenTwice,       // set list setList is given twice (also at otherText:otherLine)
    NoSuchSetList,    // the file holds no set list setList
    NoFingerprint,    // the text has no fingerprint line
    SetListChanged,   // set list setList has changed in `file` since the text was written (fingerprint, now)
    NewSlotEmpty,     // a slot made anew whose every byte is zero: it would read as unused
};

struct ApplyFaultData {
    SlotAttributes wanted{};   // NotWritable: the settings the line asks
    std::size_t setList = 0;   // the set list (NoFromSetList, FromSlotUnused: the from slot's)
    std::size_t slot = 0;      // NoFromSetList, FromSlotUnused: the from slot
    unsigned value = 0;        // VolumeAbove127
    std::string otherText{};   // GivenTwice: the text that gave it first, as named
    std::size_t otherLine = 0;
    std::uint32_t fingerprint = 0;   // SetListChanged: the text's, and the set list's now
    std::uint32_t now = 0;
    std::string file{};            // SetListChanged: the file applied to, as named
    bool namesOtherFile = false;   // SetListChanged: the text's file line names another file
    std::string textFile{};        //   what that line says
    std::size_t fileLine = 0;      //   and which line it is
};

// A line of a text that cannot be taken, and why; line 0 for the text as a whole.
struct TextFault {
    std::size_t line;
    std::string reason;   // a fault of the text itself; for others, FaultReason makes it
    FaultPlace place{};
    ApplyFaultKind kind = ApplyFaultKind::None;
    ApplyFaultData data{};
    bool wholeText = false;   // the text as a whole is no set list's: the one fault said of it
};

// A fault's reason, as FaultLine says it: "volume 200 is above 127; written as asked".
std::string FaultReason(const TextFault& fault);

// The columns of a slot line after what it plays, in their order: each a setting of the slot.
inline constexpr SlotField TextColumns[] = {SlotField::Color, SlotField::Volume,    SlotField::HoldTime,
                                            SlotField::Font,  SlotField::Transpose, SlotField::Kbd_Track};

// What a slot line says it plays: "Prog  I-A000", or "Raw   3:31:012" where no place names the bits.
std::string SlotPlaysCell(const SlotAttributes& fields);

// The text of set list `at` (source names the file as the text's header says it), with the
// fingerprint of its bytes as exported. Its first line carries a check of the rest, so that a
// text nobody edited is known as such (IsUneditedText).
std::string SetListTextOf(const FileModel& file, const SetListView& at, std::uint32_t fingerprint);
// The text is exactly as SetListTextOf wrote it: its check holds.
bool IsUneditedText(std::string_view text);

// Reads a text (UTF-8, a byte order mark allowed; LF or CR LF). Every line that cannot be taken
// goes to faults, in order; the result holds the lines that could.
SetListText ReadSetListText(std::string_view text, std::vector<TextFault>& faults);

// A set list as values, as a page that edits it holds them (no text): its number, name and
// fingerprint as the set list was read, and each slot unused, or with its name, what it plays, its
// settings and the slot whose bytes it carries (or none: a slot made anew).
struct SlotValues {
    bool used = false;
    std::string name;    // UTF-8
    std::string plays;   // what a slot line says it plays: "Prog I-A010", "Raw 3:31:012"
    std::array<std::int64_t, SlotFieldCount> settings{};   // by SlotField; what it plays comes from plays
    std::int64_t fromSetList = 0;
    std::int64_t fromSlot = 0;
    bool anew = false;   // carries no slot's bytes: made from an unused slot's, as a line without from
};
struct SetListValues {
    std::int64_t number = 0;
    std::string name;          // UTF-8
    std::string fingerprint;   // eight hexadecimal digits
    std::vector<SlotValues> slots;
};

// The values taken as a text of them is read: every check of a line, in the same words, each
// fault at line 0 with its place; the same set list where they can all be taken.
SetListText SetListOfValues(const SetListValues& values, std::vector<TextFault>& faults);

// The set list's fingerprint: of its bytes, as one run.
std::uint32_t SetListFingerprint(std::string_view bytes);

// A text as "TEXT:line: reason".
std::string FaultLine(const std::string& textName, const TextFault& fault);

}   // namespace scry
