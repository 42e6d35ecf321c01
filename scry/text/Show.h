// scry show and textconv as text: the file as a person reads it, one record per line, stable for
// line-based diffs (git's textconv among them).
#pragma once

#include <functional>
#include <string>

#include "model/Model.h"
#include "model/SetLists.h"

namespace scry {

// Called with the text made so far after each set list and bank, to hand it on where it is long.
using PartDone = std::function<void(std::string& out)>;

// Appends the listing of a file: its FILE line (unless textconv), what could not be read, set
// lists with what each used slot plays (every slot with all), banks and chunks. Without partDone
// it is made whole in out, at once as long as it needs.
void WriteShow(std::string& out, const FileModel& file, bool all = false, bool textconv = false,
               const PartDone& partDone = {});
// The FILE line, what could not be read, and set list `at` alone: its used slots (all: every
// one), or only slot when it is not -1.
void WriteShowSetList(std::string& out, const FileModel& file, const SetListView& at, int slot, bool all);

}   // namespace scry
