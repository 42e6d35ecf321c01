// Slots that follow their sounds: for a file whose banks were reorganised (NEW) and the file as it
// was (OLD), where the sound each slot of NEW played in OLD now is in NEW.
#pragma once

#include <cstddef>
#include <vector>

#include "model/Model.h"
#include "model/Places.h"
#include "model/Plays.h"
#include "model/Sounds.h"

namespace scry {

struct FollowStep {
    bool lost;           // the sound is nowhere in NEW: the slot is left as it is
    SlotAt at;           // the slot, in the first set-list bank of both files
    Target from;         // what NEW's slot plays
    Target to;           // where its sound now is (not for a lost one)
    RecordAt played;     // the record of OLD it played
    RecordAt now;        // the record of NEW it plays after (not for a lost one)
    std::size_t among;   // how many places of NEW that a slot can play hold the sound
    bool hidden;         // lost, though NEW holds the sound: only behind a later bank of its place
    RecordAt hiddenAt;   // the first such place
};

// Each used slot of NEW's set lists is matched with OLD's slot of the same set list and number;
// where that one played a record of OLD, and NEW's slot does not play a record of that sound
// now, the sound is looked for in NEW (same kind, same bank chunk: HD-1 programs stay HD-1, EXi
// stay EXi), at a place a slot can play. Slots that played the instrument's own banks, songs, or banks OLD cannot read
// are left alone, and are no steps.
std::vector<FollowStep> PlanFollow(const FileModel& oldFile, const FileModel& newFile);

}   // namespace scry
