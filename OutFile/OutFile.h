// Output files that never hurt another file: written under a new name beside their own and
// renamed into place when whole, so that a failed or killed run leaves the earlier file as it
// was and a link under the name is replaced, never written through; and the guard that keeps
// every output off the inputs, off PCG files and off folders. bankscry's listings and scry's
// outputs are both made here.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include "Platform/Platform.h"

struct OutFile {
    std::string name;                 // where the file goes
    std::FILE* file;                  // open while it is written
    std::string temporary;            // its name meanwhile; empty once put in place or discarded
    const char* maker = "bankscry";   // the program named in the temporary's name
};

// True when the regular file under name begins with "KORG"; never blocks.
bool IsPcgFile(const std::string& name);

// Why a name must not be written over, if it must not: it is the file of input (when given),
// a PCG file, or a folder. Nothing here blocks, whatever stands under the name.
enum class ReplaceRefusal { None, InputFile, PcgFile, Folder };
ReplaceRefusal RefusalToReplace(const std::string& name, const InputStream* input);
// The same as an error: raises std::system_error ("cannot create NAME: it is the input file",
// "...: it is a PCG file", "...: Is a directory").
void RefuseToReplace(const std::string& name, const InputStream* input);

// Creates the file beside out.name; out.name must be set. Raises std::system_error naming it
// for a folder, or a FIFO, device or socket under the name, as creating a file there would.
void CreateOutFile(OutFile& out);
// Checked write; raises "cannot write NAME".
void WriteOutFile(OutFile& out, const char* data, std::size_t length);
// Closes the file; raises "cannot write NAME" when anything written to it was lost.
void CloseOutFile(OutFile& out);
// Renames a closed file over its name; raises "cannot create NAME" (the file is gone then).
void PutOutFileInPlace(OutFile& out);
// Why a file that was to keep the earlier one as a backup did not take its name. Either way the
// earlier file stays under its name, and nothing this run made is left.
struct ReplaceError : std::system_error {
    ReplaceError(int code, std::string backupName, bool atBackup)
        : std::system_error(code, std::generic_category()), backup(std::move(backupName)), keeping(atBackup)
    {
    }
    std::string backup;   // the backup's name, where one was tried or made
    bool keeping;         // the backup could not be made; else the new file could not take the name
};
// Renames a closed file over its name while the regular file that stands there now is kept as a
// numbered backup beside it: NAME.~N~, N one more than the highest there, or the first after it
// that no file holds (a backup is never replaced). The backup is a hard link, or where the system
// refuses one a copy read back byte for byte; the earlier file keeps its name until the new one
// takes it in one step, so that a run that fails or is killed never leaves the name empty. Runs
// that replace a name in one folder take turns. The backup's name; "" where no file stood under
// the name any more. Raises ReplaceError, having removed the backup and the new file.
std::string PutOutFileInPlaceKeepingEarlier(OutFile& out);
// Closes the file where it is open and removes it: the earlier file under the name stays whole.
void DiscardOutFile(OutFile& out) noexcept;
