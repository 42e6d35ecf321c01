// Find's and history's queries read from what a user gives (a name, a place, the sound of a
// record of a file), and what is said where nothing is found.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "summary/Search.h"
#include "model/Model.h"
#include "model/Uses.h"

namespace scry {

// The query of find by place (placeText: "Prog U-A006", "I-A000"); "" where it is one, else why not.
std::string PlaceQueryOf(const std::string& placeText, FindQuery& query);
// Why a name typed (UTF-8) cannot be looked for: it holds characters no name can hold.
std::string NotANameText(const std::string& utf8);
// What history follows: the records at place, or those, set lists and slots of name (neither:
// everything, follow left empty); "" where it can be asked, else why not (a place that is none:
// its text and why).
std::string FollowQueryOf(const std::string& place, const std::string& name, std::optional<Query>& follow);
// The query of find by name; "" where the name can be one, else why not.
std::string NameQueryOf(const std::string& name, FindQuery& query);
// The query of find --sound-of: the sound of the record at placeText in file (named fileName);
// "" where it holds one, else why not.
std::string SoundQueryOf(const FileModel& file, const std::string& fileName, const std::string& placeText,
                         FindQuery& query);
// The same of a file's summary: the same query, or the same words of why not.
std::string SoundQueryOf(const FileSummary& file, const std::string& fileName, const std::string& placeText,
                         FindQuery& query);
// "nothing named \"Piano\" in 5 files", "nothing at Prog U-A006 in 1 file", ...
std::string NothingFound(const FindQuery& query, std::size_t files);

}   // namespace scry
