// scry's words for the model's things, as lines show them: places, labels, what a slot plays,
// its settings, and what could not be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/Places.h"
#include "model/Plays.h"
#include "model/SetLists.h"

namespace scry {

// "003/012"
std::string SlotKey(std::size_t setList, std::size_t slot);
std::string SlotKey(const SlotAt& at);
void AppendSlotKey(std::string& out, std::size_t setList, std::size_t slot);
// "I-A", or "I-A (2nd of 3)" where the file holds more than one bank of that kind and place.
std::string BankLabel(const Bank& bank);
// "1st", "2nd", "3rd", "4th", ...
std::string Ordinal(std::size_t number);
// "1, 3, 5 or 7" (last " or "), "0 and 8" (last " and "): values in a sentence.
std::string ValuesText(const std::vector<unsigned>& values, const char* last);
// " (set-list bank 2 of 2)" where the file holds more than one set-list bank; "" where it holds one.
std::string SetListBankLabel(const FileModel& file, std::size_t bankOrdinal);
// "SETLIST 003", and the set-list bank where the file holds more than one.
std::string SetListLabel(const FileModel& file, const SetListAt& at);
// "I-A003", and which bank of that place where the file holds more than one.
std::string RecordPlaceText(const Bank& bank, std::size_t number);
std::string RecordPlaceText(const std::string& bankName, std::size_t occurrence, std::size_t occurrences,
                            std::size_t number);

// "SLOT 001/003 \"Celebration Brass\" (Wedding Set)": a slot, its name and its set list's, in every
// line that names a slot; the slot's name given (it may be another file's), its set list's as
// file names it.
std::string SlotHeadText(const FileModel& file, const SlotAt& at, const std::string& slotName);

// "I-B012", "GM005", "S-003", "Invalid: 31 (1F)005": a target's bank and number, as bankscry's
// CSV writes them.
std::string PlaceText(const Target& target);
void AppendPlaceText(std::string& out, const Target& target);
// Why a slot plays no record of the file: "instrument's own bank", "bank not in file", ...; ""
// for Found.
const char* ResolutionNote(Resolution resolution);
// For a line: "Prog I-B012 \"Grand Piano\"" or "Prog GM005 (instrument's own bank)".
std::string PlaysText(const Plays& plays);
void AppendPlaysText(std::string& out, const Plays& plays);
// For a page or a cell (UTF-8, unescaped), the name alone: "Clean Trumpet", or "(instrument's
// own bank)".
std::string PlayedName(const Plays& plays);

// "color 4 green, font 1, transpose 4, hold 3, volume 100, kbd track 0"
std::string SettingsText(const SlotAttributes& fields);
void AppendSettingsText(std::string& out, const SlotAttributes& fields);

// "set list 005 \"Spare\" of live.PCG has no used slot; set lists with slots: 000 \"Wedding
// Set\", 001 \"Party\"" (ten at most, and how many more), or "; no set list of it has a slot".
std::string EmptySetListText(const FileModel& file, const SetListView& at);

// A problem of a file, in words.
std::string ProblemText(const Problem& problem);
// "warning: NAME is damaged: " and its problems, in words.
std::string DamagedText(const std::string& name, const std::vector<Problem>& problems);
// Why a command that writes a copy will not write one of a damaged file: "live.PCG is damaged: copy
// writes a copy only of a file that reads whole".
std::string NotWholeText(const std::string& name, const char* command);
// Why a file named name cannot be read, in words: "standard input: not a PCG file (no KORG header)".
std::string UnreadableText(const std::string& name, const Unreadable& unreadable);

}   // namespace scry
