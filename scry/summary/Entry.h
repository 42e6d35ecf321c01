// A file of a library as a search met it, and how far a scan has come: what the lines of a
// search say of each file, free of how the files were read (threads, the catalogue).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Platform.h"
#include "model/Model.h"

namespace scry {

// A file of a library, as the search was given it or found it.
struct LibraryFile {
    std::string path;   // as shown: as given, or the folder as given and the path under it
    std::string key;    // the absolute path, as the catalogue knows the file
    bool named;         // given by name, not found under a folder
};

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
    std::int64_t id = 0;              // in the catalogue
    std::vector<Problem> problems;    // damaged where any
    std::uint32_t setListBanks = 0;   // set-list banks it holds: those after the first are not read
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

}   // namespace scry
