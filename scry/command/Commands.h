// One routine per command: what it reads, what it writes, its exit status (see Status).
#pragma once

#include "command/Command.h"
#include "command/Delivery.h"

namespace scry {

// show FILE...: files that cannot be read are said and left out.
int RunShow(const Options& options, Console& console);
// textconv FILE: the listing without its FILE line, status 0 whatever the file holds (what
// cannot be read is in the text), so that git diff never stops on a file.
int RunTextconv(const Options& options, Console& console);
// uses FILE WHAT: status 0 when some slot plays it, 1 when none does, as grep has it.
int RunUses(const Options& options, Console& console);
// diff OLD NEW: status 1 when the files differ (Damaged and Trouble outrank it).
int RunDiff(const Options& options, Console& console);
// csv FILE..., json FILE...: files that cannot be read are said and left out.
int RunCsv(const Options& options, Console& console);
int RunJson(const Options& options, Console& console);
// html FILE [NEW], gig FILE N: a page, and a word on standard error of where it went.
int RunHtml(const Options& options, Console& console);
int RunGig(const Options& options, Console& console);
// stage FILE N: the stage view of the file's set lists, from set list N.
int RunStage(const Options& options, Console& console);
// setlist FILE N: set list N as a text to edit.
int RunSetList(const Options& options, Console& console);
// apply FILE TEXT... -o OUT: a new PCG file with the texts' set lists, read back before it is kept.
int RunApply(const Options& options, Console& console);

// follow OLD NEW -o OUT: NEW with every set-list slot playing the sound it played in OLD; status 1
// where a slot's sound is not in NEW (OUT is written all the same).
int RunFollow(const Options& options, Console& console);
// copy SRC DEST -o OUT WHAT...: DEST with SRC's records and set lists written in.
int RunCopy(const Options& options, Console& console);

// find PATH... QUERY: records, set lists and slots of every file found, by name, place or
// sound; status 1 when nothing is found.
int RunFind(const Options& options, Console& console);
// dups PATH...: groups of records of the same sound, and of identical set lists; status 1 for none.
int RunDups(const Options& options, Console& console);
// history FILE...: the differences of each version against the one before; status 1 where any.
int RunHistory(const Options& options, Console& console);

}   // namespace scry
