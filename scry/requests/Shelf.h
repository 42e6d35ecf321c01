// The page's library: files of any number read one at a time, each summarised as scry find's
// catalogue keeps it and let go, then searched by their summaries; history reading its versions
// one at a time. Nothing here opens a file: each file comes as a stream its caller reads (a file
// the browser reads a part at a time), and a summary as the browser kept it. A page runs it apart
// from its open files (in a worker), so that a folder of years of backups is never held whole.
//
// Requests ({"request": NAME, ...}) and answers, in the request layer's one shape:
//   summarise {"name", "key"} with the file's stream -> {"shelf" (its id), "name", "state": "read" |
//             "damaged" | "unreadable", "message" (why, where not "read")}
//   restore   {"name", "key"} with the summary kept (what "stored" gave under that key) -> what
//             summarise answers; error "damaged" where the summary cannot be read, or is another key's
//   stored    {"shelf"} -> the summary as the browser keeps it: StoredBytes, not JSON
//   find      {"shelf": [ids], "by", "text", "soundOf" (the id whose record's sound is found), "each",
//             "most"}
//             -> what the request layer's find answers, each hit's "file" the id asked
//   dups      {"shelf": [ids], "across"} -> what the request layer's dups answers
//   forget    {"shelf"} -> null: the summary let go
//   history   {"place", "name", "all"} -> {"history" (its id)}: versions to come, compared in turn
//   version   {"history", "name", "more"} with the version's stream -> {"text", "note" (what is
//             damaged in it, or why it could not be read; "" where nothing)}
//   history-end {"history"} -> {"differs"}: the history let go
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ops/History.h"
#include "ops/Library.h"
#include "summary/Summary.h"

namespace scry {

class Shelf {
public:
    // A request as JSON; given: the stream the request reads (summarise, restore, version), which
    // stays the caller's.
    std::string Answer(std::string_view request, InputStream* given = nullptr);
    // A summary as the browser keeps it, under the key it was made with; none where no summary of
    // that id is held (or its file could not be read).
    std::optional<std::string> StoredBytes(int shelf) const;
    // How many summaries and histories are held: what a leak would raise.
    std::size_t Keeping() const { return files_.size() + histories_.size(); }

    struct Held {
        ops::Summarised file;
        std::string key;
    };

private:
    std::map<int, Held> files_;
    std::map<int, ops::History> histories_;
    RowsPool pool_;
    int lastId_ = 0;

    friend class ShelfAnswering;
};

}   // namespace scry
