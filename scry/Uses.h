// scry uses: which slots of a file's set lists play a record, named by its place or its name.
#pragma once

#include <string>

#include "Command.h"
#include "Model.h"

namespace scry {

// One line per slot that plays what `what` names: a place ("I-B012", "U-AA127", "GM005",
// "S-003", in any case), or else the name of records (every record of that name, ASCII letters
// in any case): "SETLIST 003 \"Jazz Trio\"  SLOT 007 \"Walking Bass\"  Prog I-B012 \"Upright Bass\"".
// Gives how many slots it found.
std::size_t WriteUses(std::string& out, const FileModel& file, const std::string& what);

// scry uses FILE WHAT: status 0 when some slot plays it, 1 when none does, as grep has it.
int RunUses(const Options& options, Console& console);

}   // namespace scry
