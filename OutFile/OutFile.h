// Output files that never hurt another file: written under a new name beside their own and
// renamed into place when whole, so that a failed or killed run leaves the earlier file as it
// was and a link under the name is replaced, never written through; and the guard that keeps
// every output off the inputs, off PCG files and off folders. bankscry's listings and scry's
// outputs are both made here.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "Platform/Platform.h"

struct OutFile {
    std::string name;        // where the file goes
    std::FILE* file;         // open while it is written
    std::string temporary;   // its name meanwhile; empty once put in place or discarded
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
// Closes the file where it is open and removes it: the earlier file under the name stays whole.
void DiscardOutFile(OutFile& out) noexcept;
