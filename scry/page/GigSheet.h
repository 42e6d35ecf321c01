// The gig sheet and the stage view: one set list's used slots in large type, pages of their own.
#pragma once

#include <string>

#include "model/Model.h"
#include "model/SetLists.h"

namespace scry {

// The gig sheet of set list `at`: slot, name, what it plays, and the settings a performer reads
// on stage, of every used slot; on one A4 page for up to 24 used slots in large type, or 64 in
// compact.
std::string GigPage(const FileModel& file, const SetListAt& at, bool compact = false);
// The stage view of the set lists of at's bank that play something, starting at `at`: one used
// slot at a time in large type, the next below, moved through by swipe, keys and buttons (its
// script); without a script, every slot of every set list in large type.
std::string StagePage(const FileModel& file, const SetListAt& at);

}   // namespace scry
