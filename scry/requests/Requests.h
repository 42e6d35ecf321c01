// The page's requests of scry, in data: a file's bytes given once, then requests as JSON, each
// answered in one shape. Nothing here opens a file, starts a thread or stores anything: the page
// (through web/Binding.cpp) and the native tests are its two callers.
//
// Every answer is one of
//   {"ok": true,  "value": VALUE}
//   {"ok": false, "error": {"kind": KIND, "words": WORDS, "place": PLACE}}
// where WORDS is a line for a person and KIND and PLACE are what a caller decides on:
//   "request"  the request itself is wrong: not JSON, no such request, an argument missing or of
//              the wrong kind; PLACE {"argument": NAME} where one argument is at fault
//   "file"     no open file, or no new file kept, of that id; PLACE {"file": ID} or {"made": ID}
//   "asked"    the request asks nothing that can be answered (copy of nothing, history of one file,
//              a find or history query that cannot be read); PLACE {"argument": NAME}
//   "damaged"  the file a new file would be made of does not read whole; PLACE {"file": ID}
//   "not-made" a new file was made but failed its check, as the command would say; PLACE null
//   "edits"    a sheet asked with edits that cannot yet be written; PLACE null
//   "memory"   out of memory; PLACE null
//   "internal" anything else that went wrong inside; PLACE null
//
// The requests ({"request": NAME, ...arguments}) and the VALUE of each:
//   open      (Open, not Answer: the bytes are given, not written in JSON)
//             {"name", "state": "read" | "damaged" | "unreadable", "message", "problems",
//              and for a file that can be read "id", "editable", "whyNot", "setLists": [{"number",
//              "name", "used"}], "banks": [{"name", "kinds"}], and where it reads whole "fingerprint"}
//   layout    {} -> {"settings": [{"key", "word", "tile", "max"}], "colors", "together"
//              (together[kbd][transpose]: can the two be written together), "nameBytes", "slots"}
//   page      {"id"} -> {"page": what scry html writes of the file}
//   setlist   {"id", "number"} -> {"number", "name", "fingerprint", "slots": [{"used": false} or
//              {"used": true, "name", "plays", "sound", "found", and each setting by its key}]}
//   sounds    {"id"} -> {"sounds": [{"plays", "kind", "name"}]}
//   apply     {"id", "lists": [LIST], "newName", "compare", "against"} -> {"state": "made" | "refused",
//              "faults", "warnings" (each {"text", "words", "setList", "slot", "setting"}), and for
//              "made": "made" (a new file's id), "size", unless compare is false "diff" and
//              "differences" (against the open file "against" where given, else file "id")}
//             LIST: {"number", "name", "fingerprint", "slots": [{"used": false} or {"used": true,
//              "name", "plays", each setting by its key, "from": [set list, slot] or null (a new
//              song: an unused slot's bytes with these values)}]}
//   copy      {"src", "dest", "programs", "combis", "setLists", "to", "force", "make", "newName"}
//              -> {"state": "planned" | "refused" | "made", "lines", "errors", "words", and for "made":
//              "made", "size"}
//   follow    {"old", "new", "make", "newName"} -> {"state": "planned" | "made", "lines", "errors",
//              "words", "lost", and for "made": "made", "size"}
//             copy's and follow's "lines" and "errors" are the command's; "words" says the same in
//             a performer's words: {"lines", "warnings", "refusals"}
//   room      {"id"} -> {"banks": [{"name", "kind", "empty", "shared" (holding a sound held elsewhere
//              too), "played" (by songs), "last" (the last copy of a sound), "words"}]}
//   sheet     {"id", "setList", "kind": "gig" | "stage", "compact", "changed", "lists": [LIST]}
//              -> {"page"}
//   find      {"files": [ids], "by": "name" | "place" | "sound", "text", "soundFile", "each", "most"}
//              -> {"text", "nothing", "hits": [{"file", "setLists": [{"number", "name"}], "slots":
//              [{"setList", "slot", "name"}], "records": [{"kind", "place", "name"}]}] (the first
//              "most" places, every one where it is not given), "more" (places were left out)}
//   dups      {"files", "across"} -> {"text", "any", "summary": {"sounds" (sounds held twice or
//              more), "places" (the places holding them), "soundFiles" (the files those lie in),
//              "setLists", "setListFiles"}}
//   history   {"files", "place", "name", "all"} -> {"text", "notes", "differs"}
//   adopt     {"made"} -> what open answers: the new file made an open file of its own (its
//              bytes copied whole), under the name of the file it was made of; the new file let go
//   drop      {"made"} -> null: the new file let go
//   close     {"id"} -> null: the file and the new files made of it let go
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ops/Operations.h"

namespace scry {

// Bytes given by malloc, freed by free.
struct FreeBytes {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
using GivenBytes = std::unique_ptr<std::uint8_t, FreeBytes>;

class Requests {
public:
    // The file of that name opened from bytes, which are this object's from now on, whatever
    // happens: kept with the file where it can be read, else freed before this returns.
    std::string Open(std::string_view name, GivenBytes bytes, std::size_t size);

    // Any other request, as JSON.
    std::string Answer(std::string_view request);

    // A new file's bytes as the runs of memory they lie in, in order (the open file's own bytes
    // where nothing was written over them), valid until it is dropped; none where no new file of
    // that id is kept.
    std::optional<std::vector<std::span<const std::uint8_t>>> MadeParts(int made) const;

    // How many files and new files are held: what a leak would raise.
    std::size_t Keeping() const { return files_.size() + made_.size(); }

    struct OpenFile {
        std::string name;
        GivenBytes bytes;
        std::size_t size = 0;
        ops::Loaded loaded;

        const FileModel& Model() const { return *loaded.model; }
        std::string_view View() const { return {reinterpret_cast<const char*>(bytes.get()), size}; }
    };
    struct MadeFile {
        int file;
        InputPieces pieces;
    };

private:
    std::map<int, OpenFile> files_;
    std::map<int, MadeFile> made_;
    int lastId_ = 0;

    friend class Answering;
};

}   // namespace scry
