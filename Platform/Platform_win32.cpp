// Windows implementation of the platform layer (ANSI API, as the file names are byte strings).
#include "Platform/Platform.h"

#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

int processArgc = 0;
char** processArgv = nullptr;

[[noreturn]] void RaiseLastError(const std::string& what)
{
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

} // namespace

struct InputStream {
    HANDLE handle;
    std::int64_t size;
    std::int64_t position;
    std::string name;
};

struct DirSearch {
    HANDLE handle;
};

void SetProcessArgs(int argc, char** argv)
{
    processArgc = argc;
    processArgv = argv;
}

int ProcessArgCount() { return processArgc; }

const char* ProcessArg(int place)
{
    return (place >= 0 && place < processArgc && processArgv[place] != nullptr) ? processArgv[place] : "";
}

void PrepareConsole()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// Large pages on Windows need a privilege most users lack; the buffers keep normal pages.
void AdviseLargePages(void* /*start*/, std::size_t /*length*/) noexcept {}

void ShowUsageMessage(const char* text)
{
    ::MessageBoxA(nullptr, text, "Error", 0x30);
}

InputStream* OpenInput(const std::string& name)
{
    // No sharing: the open fails while another program holds the file.
    const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        RaiseLastError("cannot open " + name);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        throw std::system_error(static_cast<int>(error), std::system_category(), "cannot open " + name);
    }
    return new InputStream{handle, size.QuadPart, 0, name};
}

void CloseInput(InputStream* stream) noexcept
{
    if (stream == nullptr)
        return;
    ::CloseHandle(stream->handle);
    delete stream;
}

std::int64_t InputSize(const InputStream& stream) { return stream.size; }

std::int64_t InputPosition(const InputStream& stream) { return stream.position; }

std::size_t InputRead(InputStream& stream, void* buffer, std::size_t count)
{
    LARGE_INTEGER where{};
    where.QuadPart = stream.position;
    if (!::SetFilePointerEx(stream.handle, where, nullptr, FILE_BEGIN))
        RaiseLastError("cannot seek in " + stream.name);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t left = count - done;
        const DWORD ask = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(stream.handle, out + done, ask, &got, nullptr))
            RaiseLastError("cannot read " + stream.name);
        if (got == 0)
            break;
        done += got;
    }
    stream.position += static_cast<std::int64_t>(done);
    return done;
}

void InputSeek(InputStream& stream, std::int64_t offset, bool fromStart)
{
    const std::int64_t target = fromStart ? offset : stream.position + offset;
    if (target < 0)
        throw std::system_error(EINVAL, std::generic_category(), "cannot seek before the start of " + stream.name);
    stream.position = target;
}

bool IsInputFile(const InputStream& stream, const std::string& path)
{
    const HANDLE other = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
    const bool known = ::GetFileInformationByHandle(stream.handle, &mine) &&
                       ::GetFileInformationByHandle(other, &theirs);
    ::CloseHandle(other);
    if (!known)
        return true;
    return mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
           mine.nFileIndexHigh == theirs.nFileIndexHigh && mine.nFileIndexLow == theirs.nFileIndexLow;
}

std::string SearchDirectoryPart(const std::string& pattern)
{
    const std::size_t last = pattern.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : pattern.substr(0, last + 1);
}

DirSearch* DirFindFirst(const std::string& pattern, std::string& name)
{
    WIN32_FIND_DATAA found{};
    const HANDLE handle = ::FindFirstFileA(pattern.c_str(), &found);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    name = found.cFileName;
    return new DirSearch{handle};
}

bool DirFindNext(DirSearch* search, std::string& name)
{
    WIN32_FIND_DATAA found{};
    if (search == nullptr || !::FindNextFileA(search->handle, &found))
        return false;
    name = found.cFileName;
    return true;
}

void DirFindEnd(DirSearch* search) noexcept
{
    if (search == nullptr)
        return;
    ::FindClose(search->handle);
    delete search;
}
