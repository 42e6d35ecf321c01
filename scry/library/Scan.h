// A library read for a search: every file that the catalogue does not hold as it is now is read
// on several threads, each through its own mapped input, and stored by this thread alone; the
// others are taken as the catalogue holds them. Without a catalogue every file is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Platform.h"
#include "library/Catalogue.h"
#include "summary/Entry.h"
#include "library/Files.h"
#include "summary/Summary.h"

namespace scry {

// Meets every file found: each one the catalogue holds as it is now is taken from there, each
// other is read (and stored); then the files the catalogue held under the folders searched (or
// named) that are no longer there are dropped. read(index, summary) is told every file that can
// be searched, in order; progress() about every tenth of a second. Raises CatalogueError where
// the catalogue fails.
std::vector<LibraryEntry> ScanLibrary(const FilesFound& found, Catalogue* catalogue, unsigned jobs,
                                      const std::function<void(std::size_t, FileSummary&&)>& read,
                                      const std::function<void(const ScanProgress&)>& progress);

}   // namespace scry
