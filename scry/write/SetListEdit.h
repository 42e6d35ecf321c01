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

// A set list to write, read from a text or taken from values, with what reading it found.
struct SetListEdit {
    std::string source;              // where it came from, as faults name it: the text's name
    SetListText list;                // as read
    std::vector<TextFault> faults;   // the reading's own
};
// Each text read as an edit of its set list.
std::vector<SetListEdit> ReadSetListTexts(const std::vector<NamedText>& texts);

// A fault or a warning of one of the edits, as data: which edit, the set list it gives (where its
// number was taken), and the fault with its line and its place in the set list. Its words are
// FaultLine(source of that edit, fault).
struct AppliedFault {
    std::size_t text;   // its index among the edits
    std::optional<std::size_t> setList;
    TextFault fault;
};

// What an edit changed in the bytes of its set list: its name, and which slots (by place).
struct SetListChange {
    bool name = false;
    std::vector<std::size_t> slots;
};

// What applying the edits makes of a file.
struct Applied {
    NewFile made;                       // the new file, made of source, which must outlive it
    std::vector<std::string> sources;   // each edit's source, in order
    std::vector<SetListText> lists;     // each edit's set list as read, in order
    std::vector<AppliedFault>
        faults;   // in order of the edits, then of their lines; when any, bytes are not to be written
    std::vector<AppliedFault> warnings;   // written as asked, and worth a word
    std::vector<ByteRange> edited;        // the set-list records the edits write
    std::vector<SetListChange> changes;   // for each edit, what its set list's bytes now hold otherwise
};

// The file's bytes (source, modelled as file, which reads whole) with the set list of every edit
// written in (set lists of the file's first set-list bank).
Applied ApplySetListEdits(const FileModel& file, std::string_view source, std::vector<SetListEdit> edits,
                          bool ignoreFingerprint);
// The same of texts, each read first.
Applied ApplySetLists(const FileModel& file, std::string_view source, const std::vector<NamedText>& texts,
                      bool ignoreFingerprint);

// The words of a fault or a warning: "TEXT:line: reason".
std::string AppliedFaultLine(const Applied& applied, const AppliedFault& fault);

// Why the file read back (its model) does not hold what the texts say, or nothing when it does: it
// reads whole, and each edited set list holds its text's name and slot lines.
ReadBackFault WrongInWritten(const FileModel& written, const std::vector<SetListText>& lists);
inline ReadBackFault WrongInWritten(const FileModel& written, const Applied& applied)
{
    return WrongInWritten(written, applied.lists);
}

}   // namespace scry
