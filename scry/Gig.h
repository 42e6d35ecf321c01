// scry gig: a page that is only one set list's gig sheet, in large type, ready to print.
#pragma once

#include <string>

#include "Command.h"
#include "Model.h"

namespace scry {

// The gig sheet of set list number (of the file's first set-list bank): slot, name, what it
// plays, and the settings a performer reads on stage, of every used slot. Raises Trouble where
// the file holds no set lists.
std::string GigPage(const FileModel& file, std::size_t number);

// scry gig FILE N: written beside FILE as name_gig_NNN.html unless -o names it.
int RunGig(const Options& options, Console& console);

}   // namespace scry
