// Which slots of a file's set lists play a record, named by its place or its name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/Places.h"
#include "model/Plays.h"
#include "model/SetLists.h"

namespace scry {

// What is asked for: places ("Prog I-B084" for one slot type, "I-A000" for each type that has a
// bank of that name), or else words of a name (letters in any case, accents or not).
struct Query {
    std::string text;             // as given
    std::vector<Target> places;   // empty: by name
    std::string folded;           // by name: the name folded
    bool nameCanBe = true;        // false: characters no name can hold
};
Query QueryOf(const std::string& what);

struct SlotHit {
    SlotAt at;
    Plays plays;
};
// The used slots of set list bank `at` (every set list of the bank SetListOf gives) that play what
// the query names: a place they name, or a record of that name.
std::vector<SlotHit> SlotsThatPlay(const FileModel& file, const Query& query);

using RecordHit = RecordAt;
// The records at the query's places, or whose names hold its words, in file order.
std::vector<RecordHit> RecordsNamedBy(const FileModel& file, const Query& query);
// Where no name holds the query's words: up to `most` names of the file's records nearest to it
// (a letter or a few apart), nearest first, for "did you mean".
std::vector<std::string> NearestNames(const FileModel& file, const Query& query, std::size_t most);

}   // namespace scry
