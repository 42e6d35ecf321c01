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
#include "library/Files.h"
#include "library/Summary.h"

namespace scry {

// A file of the library, as the scan met it.
struct LibraryEntry {
    enum class State {
        Read,         // read now (and stored, where there is a catalogue)
        Catalogued,   // as the catalogue holds it: unchanged since it was read
        Unreadable,   // no PCG file, or its walk failed: why in `unreadable`
        Gone,         // it cannot be opened (or vanished): why in `failure`
    } state = State::Gone;
    LibraryFile file;
    FileIdentity identity;
    std::int64_t id = 0;             // in the catalogue
    std::vector<Problem> problems;   // damaged where any
    std::uint32_t setListBanks = 0;  // set-list banks it holds: those after the first are not read
    std::optional<Unreadable> unreadable;
    std::string failure;

    bool Searched() const { return state == State::Read || state == State::Catalogued; }
};

struct ScanProgress {
    std::size_t done;      // files met so far
    std::size_t count;     // of the library
    std::uint64_t bytes;   // bytes of the files read so far
    bool reading;          // some file is read (not every one taken from the catalogue)
};

// Meets every file found: each one the catalogue holds as it is now is taken from there, each
// other is read (and stored); then the files the catalogue held under the folders searched (or
// named) that are no longer there are dropped. read(index, summary) is told every file that can
// be searched, in order; progress() about every tenth of a second. Raises CatalogueError where
// the catalogue fails.
std::vector<LibraryEntry> ScanLibrary(const FilesFound& found, Catalogue* catalogue, unsigned jobs,
                                      const std::function<void(std::size_t, FileSummary&&)>& read,
                                      const std::function<void(const ScanProgress&)>& progress);

}   // namespace scry
