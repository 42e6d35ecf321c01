// scry apply: a copy of a PCG file with set lists replaced by texts that scry setlist wrote and a
// person edited. The copy is read back before it is put in place.
#pragma once

#include <string>
#include <vector>

#include "Command.h"
#include "Model.h"
#include "SetList.h"

namespace scry {

// A text of a set list and the name it was read under.
struct NamedText {
    std::string name;
    std::string text;
};

// What applying the texts makes of a file.
struct Applied {
    std::string bytes;                 // the new file
    std::vector<SetListText> lists;    // each text as read, in order
    std::vector<std::string> faults;   // "TEXT:line: reason"; when any, bytes are not to be written
};

// The file's bytes (source, modelled as file, which reads whole) with the set list of every
// text written in: slots in the order of their lines, each from the bytes of its from slot with
// the line's edits, and every byte that no edit touches as it was.
Applied ApplySetLists(const FileModel& file, const std::string& source, const std::vector<NamedText>& texts,
                      bool ignoreFingerprint);

// Why the file read back (written, its model) is not what applied meant over before, or "" when
// it is: it reads whole, its edited set lists hold what their texts say, and everything else
// reads as before did.
std::string WrongInWritten(const FileModel& before, const FileModel& written, const Applied& applied);

// scry apply FILE TEXT... -o OUT
int RunApply(const Options& options, Console& console);

}   // namespace scry
