// Set lists written from texts into a copy of a PCG file's bytes: each slot from the bytes of
// the slot its line names, with the line's edits, and every bit that no edit touches kept.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Model.h"
#include "text/SetListText.h"
#include "write/Written.h"

namespace scry {

// A text of a set list and the name it was read under.
struct NamedText {
    std::string name;
    std::string text;
};

// A fault or a warning of one of the texts, as data: which text, the set list it gives (where its
// setlist line was taken), and the fault with its line and its place in the set list.
struct AppliedFault {
    std::size_t text;   // its index among the texts
    std::optional<std::size_t> setList;
    TextFault fault;
};

// What applying the texts makes of a file.
struct Applied {
    NewFile made;                           // the new file, made of source, which must outlive it
    std::vector<SetListText> lists;         // each text as read, in order
    std::vector<std::string> faults;        // "TEXT:line: reason"; when any, bytes are not to be written
    std::vector<std::string> warnings;      // "TEXT:line: ...": written as asked, and worth a word
    std::vector<ByteRange> edited;          // the set-list records the texts write
    std::vector<AppliedFault> faultsAt;     // faults as data, index for index
    std::vector<AppliedFault> warningsAt;   // warnings as data, index for index
};

// The file's bytes (source, modelled as file, which reads whole) with the set list of every
// text written in (set lists of the file's first set-list bank).
Applied ApplySetLists(const FileModel& file, std::string_view source, const std::vector<NamedText>& texts,
                      bool ignoreFingerprint);

// Why the file read back (its model) does not hold what the texts say, or nothing when it does: it
// reads whole, and each edited set list holds its text's name and slot lines.
ReadBackFault WrongInWritten(const FileModel& written, const Applied& applied);

}   // namespace scry
