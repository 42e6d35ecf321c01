// Files written beside their name and renamed into place, and the guard of output names.
#include "OutFile/OutFile.h"

#include <cerrno>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

bool IsPcgFile(const std::string& name)
{
    ChunkId magic = 0;
    return ReadFileStart(name, &magic, sizeof magic) == sizeof magic && magic == KORG;
}

ReplaceRefusal RefusalToReplace(const std::string& name, const InputStream* input)
{
    if (input != nullptr && IsInputFile(*input, name))
        return ReplaceRefusal::InputFile;
    if (IsPcgFile(name))
        return ReplaceRefusal::PcgFile;
    if (WhatNameHolds(name) == NameHolds::Folder)
        return ReplaceRefusal::Folder;
    return ReplaceRefusal::None;
}

void RefuseToReplace(const std::string& name, const InputStream* input)
{
    switch (RefusalToReplace(name, input)) {
    case ReplaceRefusal::None: return;
    case ReplaceRefusal::InputFile: RaiseIoError("cannot create " + name + ": it is the input file", EEXIST);
    case ReplaceRefusal::PcgFile: RaiseIoError("cannot create " + name + ": it is a PCG file", EEXIST);
    case ReplaceRefusal::Folder: RaiseIoError("cannot create " + name, EISDIR);
    }
}

void CreateOutFile(OutFile& out)
{
    out.file = nullptr;
    out.temporary.clear();
    // Only a regular file or a link is ever replaced: a folder, a FIFO, a device or a socket
    // under the name is refused as creating a file there would be.
    const NameHolds holds = WhatNameHolds(out.name);
    if (holds == NameHolds::Folder)
        RaiseIoError("cannot create " + out.name, EISDIR);
    if (holds == NameHolds::OtherKind)
        RaiseIoError("cannot create " + out.name + " (not a regular file)", EEXIST);
    out.file = CreateFileBeside(out.name, out.temporary);
    // Writers hand over whole blocks already, so stdio adds no buffer of its own.
    std::setvbuf(out.file, nullptr, _IONBF, 0);
}

void WriteOutFile(OutFile& out, const char* data, std::size_t length)
{
    errno = 0;
    if (out.file == nullptr || std::fwrite(data, 1, length, out.file) != length)
        RaiseIoError("cannot write " + out.name, errno);
}

void CloseOutFile(OutFile& out)
{
    std::FILE* closing = out.file;
    out.file = nullptr;
    if (closing == nullptr)
        return;
    errno = 0;
    const bool failed = std::ferror(closing) != 0;
    const bool closed = std::fclose(closing) == 0;
    if (!closed || failed)
        RaiseIoError("cannot write " + out.name, errno);
}

void PutOutFileInPlace(OutFile& out)
{
    if (out.temporary.empty())
        return;
    const std::string temporary = out.temporary;
    out.temporary.clear();
    PutInPlace(temporary, out.name);
}

void DiscardOutFile(OutFile& out) noexcept
{
    if (out.file != nullptr)
        std::fclose(out.file);
    out.file = nullptr;
    if (!out.temporary.empty())
        DiscardFileBeside(out.temporary);
    out.temporary.clear();
}
