// find and dups over files held in memory, each as Load read it, as the command line's over files
// on disk: the same entries, hits and groups, so that the same lines and JSON are made of them.
#pragma once

#include <optional>
#include <string>
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
// A file as a summary holds it (read once, its bytes let go), or why it could not be read.
struct Summarised {
    std::string name;
    std::optional<FileSummary> summary;
    std::optional<Unreadable> unreadable;   // where there is no summary
};
// The same over summaries: the same lines as over the files they were made of.
FindOutcome Find(const std::vector<const Summarised*>& files, const FindQuery& query);

// across: only groups whose places lie in two files or more.
DupsOutcome Dups(const std::vector<Loaded>& files, bool across);
DupsOutcome Dups(const std::vector<const Loaded*>& files, bool across);
DupsOutcome Dups(const std::vector<const Summarised*>& files, bool across);

}   // namespace scry::ops
