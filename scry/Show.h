// scry show and scry textconv: the file as a person reads it, one record per line, stable for
// line-based diffs (git's textconv among them).
#pragma once

#include <string>

#include "Command.h"
#include "Model.h"

namespace scry {

// Appends the listing of a file: its FILE line (unless textconv), what could not be read, set
// lists with what each used slot plays (every slot with all), banks and chunks.
void WriteShow(std::string& out, const FileModel& file, bool all = false, bool textconv = false);
// The FILE line, what could not be read, and set list setList alone (of every set-list bank):
// its used slots (all: every one), or only slot when it is not -1.
void WriteShowSetList(std::string& out, const FileModel& file, std::size_t setList, int slot, bool all);

// scry show FILE...: files that cannot be read are said and left out.
int RunShow(const Options& options, Console& console);
// scry textconv FILE: the listing without its FILE line, status 0 whatever the file holds (what
// cannot be read is in the text), so that git diff never stops on a file.
int RunTextconv(const Options& options, Console& console);

}   // namespace scry
