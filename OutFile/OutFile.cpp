// Files written beside their name and renamed into place, and the guard of output names.
#include "OutFile/OutFile.h"

#include <algorithm>
#include <cerrno>
#include <memory>

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
    out.file = CreateFileBeside(out.name, out.temporary, out.maker);
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

namespace {

// The highest N of the NAME.~N~ beside name (0 where there is none).
unsigned long HighestBackup(const std::string& name)
{
    const std::string folder = SearchDirectoryPart(name);
    const std::string base = name.substr(folder.size()) + ".~";
    unsigned long highest = 0;
    std::string entry;
    DirSearch* search = DirFindFirst(name + ".~*~", entry);
    for (bool more = search != nullptr; more; more = DirFindNext(search, entry)) {
        if (entry.size() <= base.size() + 1 || entry.compare(0, base.size(), base) != 0)
            continue;
        const std::string number = entry.substr(base.size(), entry.size() - base.size() - 1);
        if (number.size() <= 9 && number.find_first_not_of("0123456789") == std::string::npos)
            highest = std::max(highest, std::stoul(number));
    }
    if (search != nullptr)
        DirFindEnd(search);
    return highest;
}

}   // namespace

std::string PutOutFileInPlaceKeepingEarlier(OutFile& out)
{
    if (out.temporary.empty())
        return "";
    const std::string temporary = out.temporary;
    const auto fail = [&](int code, const std::string& backup, bool keeping) {
        out.temporary.clear();
        DiscardFileBeside(temporary);
        throw ReplaceError(code, backup, keeping);
    };
    const std::shared_ptr<void> turn = TakeTurnInFolder(out.name);
    std::string backup;
    if (WhatNameHolds(out.name) == NameHolds::RegularFile) {
        bool linked = true;
        for (unsigned long n = HighestBackup(out.name) + 1;; ++n) {
            backup = out.name + ".~" + std::to_string(n) + "~";
            int error = linked ? LinkFileAs(out.name, backup) : CopyFileAs(out.name, backup);
            if (error != 0 && error != EEXIST && error != ENOENT && linked) {
                // No hard link here (another file system, or the earlier file is another user's):
                // a copy, checked, and the earlier file left under its name.
                linked = false;
                error = CopyFileAs(out.name, backup);
            }
            if (error == 0)
                break;
            if (error == ENOENT) {   // moved away meanwhile by another program: nothing to keep
                backup.clear();
                break;
            }
            if (error != EEXIST)
                fail(error, backup, true);
        }
    }
    out.temporary.clear();
    try {
        PutInPlace(temporary, out.name);
    } catch (const std::system_error& error) {
        if (!backup.empty())
            RemoveFile(backup);
        throw ReplaceError(error.code().value(), backup, false);
    }
    return backup;
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
