// The gig sheet: one set list's used slots in large type, a page of its own, ready to print.
#pragma once

#include <string>

#include "model/Model.h"
#include "model/SetLists.h"

namespace scry {

// The gig sheet of set list `at`: slot, name, what it plays, and the settings a performer reads
// on stage, of every used slot.
std::string GigPage(const FileModel& file, const SetListAt& at);

}   // namespace scry
