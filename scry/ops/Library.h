// find and dups over files held in memory, each as Load read it, as the command line's over files
// on disk: the same entries, hits and groups, so that the same lines and JSON are made of them.
#pragma once

#include <vector>

#include "summary/Entry.h"
#include "summary/Search.h"
#include "ops/Operations.h"

namespace scry::ops {

struct FindOutcome {
    std::vector<LibraryEntry> entries;   // a file each, in the order given, named as Load was told
    std::vector<FileHits> hits;          // index for index
};
FindOutcome Find(const std::vector<Loaded>& files, const FindQuery& query);
// The same over files held elsewhere (a page's open files), none copied.
FindOutcome Find(const std::vector<const Loaded*>& files, const FindQuery& query);

struct DupsOutcome {
    std::vector<LibraryEntry> entries;
    Duplicates duplicates;
};
// across: only groups whose places lie in two files or more.
DupsOutcome Dups(const std::vector<Loaded>& files, bool across);
DupsOutcome Dups(const std::vector<const Loaded*>& files, bool across);

}   // namespace scry::ops
