// Windows implementation of the platform layer (ANSI API, as the file names are byte strings).
#include "Platform/InputStream.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

[[noreturn]] void RaiseLastError(const std::string& what)
{
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

// Files made beside their targets and not yet put in place or discarded, for the console's
// Ctrl-C handler, which runs on a thread of its own.
constexpr int MaxPendingFiles = 8;
char PendingNames[MaxPendingFiles][MAX_PATH * 4];
volatile LONG PendingUsed[MaxPendingFiles];

void RememberPending(const std::string& name)
{
    if (name.size() >= sizeof PendingNames[0])
        return;
    for (int i = 0; i < MaxPendingFiles; ++i) {
        if (PendingUsed[i] == 0) {
            std::memcpy(PendingNames[i], name.c_str(), name.size() + 1);
            ::InterlockedExchange(&PendingUsed[i], 1);
            return;
        }
    }
}

void ForgetPending(const std::string& name)
{
    for (int i = 0; i < MaxPendingFiles; ++i)
        if (PendingUsed[i] != 0 && name == PendingNames[i])
            ::InterlockedExchange(&PendingUsed[i], 0);
}

BOOL WINAPI DiscardPendingOnControl(DWORD /*event*/)
{
    // The files were opened with delete sharing: each goes when the ending process closes it.
    for (int i = 0; i < MaxPendingFiles; ++i)
        if (PendingUsed[i] != 0)
            ::DeleteFileA(PendingNames[i]);
    return FALSE;   // the default handler then ends the process
}

}   // namespace

void DiscardFilesBesideOnSignals() { ::SetConsoleCtrlHandler(&DiscardPendingOnControl, TRUE); }

// A closed pipe is a failed write on Windows already.
void TreatClosedPipesAsWriteErrors() {}

void MapFile(InputStream& stream) noexcept
{
    if (stream.size <= 0 || static_cast<std::uint64_t>(stream.size) > SIZE_MAX)
        return;
    const HANDLE mapping =
        ::CreateFileMappingA(reinterpret_cast<HANDLE>(stream.handle), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr)
        return;   // read by calls instead
    void* start = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(stream.size));
    if (start == nullptr) {
        ::CloseHandle(mapping);
        return;
    }
    stream.bytes = static_cast<const std::uint8_t*>(start);
    stream.view = std::shared_ptr<const std::uint8_t>(stream.bytes, [mapping](const std::uint8_t* bytes) {
        ::UnmapViewOfFile(bytes);
        ::CloseHandle(mapping);
    });
}

// A file with a mapped view cannot be cut short on Windows.
bool MappedInputShrank() noexcept { return false; }

struct DirSearch {
    HANDLE handle;
};

void PrepareConsole()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool StandardStreamWasClosed(int stream)
{
    const DWORD which[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (stream < 0 || stream > 2)
        return false;
    const HANDLE handle = ::GetStdHandle(which[stream]);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

InputStream* OpenStandardInputFile(const std::string& name)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE || ::GetFileType(input) != FILE_TYPE_DISK)
        return nullptr;
    HANDLE own = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), input, ::GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS))
        RaiseLastError("cannot read " + name);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(own, &size)) {
        ::CloseHandle(own);
        RaiseLastError("cannot read " + name);
    }
    auto* stream = new InputStream{reinterpret_cast<std::intptr_t>(own), nullptr, size.QuadPart, 0, name};
    MapFile(*stream);
    return stream;
}

InputStream* SpoolStandardInput(const std::string& name, const std::string& head, std::uint64_t limit, bool& tooLarge)
{
    tooLarge = false;
    char folder[MAX_PATH + 1] = {};
    char path[MAX_PATH + 1] = {};
    if (::GetTempPathA(sizeof folder, folder) == 0 || ::GetTempFileNameA(folder, "scr", 0, path) == 0)
        RaiseLastError("cannot keep " + name + " in a temporary file");
    // Deleted when the last handle to it is closed.
    const HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        RaiseLastError("cannot keep " + name + " in a temporary file");
    const auto put = [&](const char* bytes, std::size_t count) {
        DWORD wrote = 0;
        if (count > 0 && (!::WriteFile(file, bytes, static_cast<DWORD>(count), &wrote, nullptr) || wrote != count)) {
            const DWORD error = ::GetLastError();
            ::CloseHandle(file);
            throw std::system_error(static_cast<int>(error), std::system_category(),
                                    "cannot keep " + name + " in a temporary file");
        }
    };
    std::uint64_t total = head.size();
    put(head.data(), head.size());
    std::vector<char> run(std::size_t{1} << 20);
    for (;;) {
        const std::size_t got = std::fread(run.data(), 1, run.size(), stdin);
        if (got == 0) {
            if (std::ferror(stdin)) {
                ::CloseHandle(file);
                throw std::system_error(EIO, std::generic_category(), "cannot read " + name);
            }
            break;
        }
        total += got;
        if (total > limit) {
            ::CloseHandle(file);
            tooLarge = true;
            return nullptr;
        }
        put(run.data(), got);
    }
    auto* stream =
        new InputStream{reinterpret_cast<std::intptr_t>(file), nullptr, static_cast<std::int64_t>(total), 0, name};
    MapFile(*stream);
    return stream;
}

NameLeadsTo WhatNameLeadsTo(const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return NameLeadsTo::Folder;
    const HANDLE handle = ::CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return attributes == INVALID_FILE_ATTRIBUTES ? NameLeadsTo::Nothing : NameLeadsTo::OtherKind;
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    switch (type) {
    case FILE_TYPE_DISK: return NameLeadsTo::RegularFile;
    case FILE_TYPE_PIPE: return NameLeadsTo::Fifo;
    case FILE_TYPE_CHAR: return NameLeadsTo::Device;
    default: return NameLeadsTo::OtherKind;
    }
}

// Windows names no descriptor of the process by a path (CON and NUL are devices, said below).
int DescriptorNameLeadsTo(const std::string& /*name*/) { return -1; }

std::FILE* OpenDescriptorStream(int /*descriptor*/)
{
    errno = EBADF;
    return nullptr;
}

bool IsStreamDevice(const std::string& name)
{
    const HANDLE handle = ::CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

// Large pages on Windows need a privilege most users lack; the buffers keep normal pages.
void AdviseLargePages(void* /*start*/, std::size_t /*length*/) noexcept {}

void ShowUsageMessage(const char* text, const char* /*help*/) { ::MessageBoxA(nullptr, text, "Error", 0x30); }

InputStream* OpenInput(const std::string& name)
{
    // Readers share the file; the open fails while a program that writes it, or one that shares
    // it with nobody, holds it.
    const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        RaiseLastError("cannot open " + name);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        throw std::system_error(static_cast<int>(error), std::system_category(), "cannot open " + name);
    }
    auto* stream = new InputStream{reinterpret_cast<std::intptr_t>(handle), nullptr, size.QuadPart, 0, name};
    MapFile(*stream);
    return stream;
}

static HANDLE HandleOf(const InputStream& stream) { return reinterpret_cast<HANDLE>(stream.handle); }

void CloseFileHandle(InputStream& stream) noexcept { ::CloseHandle(HandleOf(stream)); }

std::size_t ReadFileAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t left = count - done;
        const DWORD ask = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        // The offset goes with each read, so the handle's own position means nothing.
        OVERLAPPED at{};
        const std::int64_t where = offset + static_cast<std::int64_t>(done);
        at.Offset = static_cast<DWORD>(where & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        DWORD got = 0;
        if (!::ReadFile(HandleOf(stream), out + done, ask, &got, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            RaiseLastError("cannot read " + stream.name);
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool IsSameFile(const InputStream& stream, const std::string& path)
{
    const HANDLE other = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
    const bool known =
        ::GetFileInformationByHandle(HandleOf(stream), &mine) && ::GetFileInformationByHandle(other, &theirs);
    ::CloseHandle(other);
    if (!known)
        return true;
    return mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber && mine.nFileIndexHigh == theirs.nFileIndexHigh &&
           mine.nFileIndexLow == theirs.nFileIndexLow;
}

bool IdentifyFile(const std::string& name, FileIdentity& identity)
{
    const HANDLE handle = ::CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    const auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    identity.size = static_cast<std::int64_t>(join(info.nFileSizeHigh, info.nFileSizeLow));
    // 100 ns steps since 1601, as nanoseconds since 1970.
    const std::uint64_t ticks = join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    identity.modified = (static_cast<std::int64_t>(ticks) - 116444736000000000LL) * 100;
    identity.inode =
        join(info.nFileIndexHigh, info.nFileIndexLow) ^ (static_cast<std::uint64_t>(info.dwVolumeSerialNumber) << 32);
    return true;
}

std::string LocalDateOf(std::int64_t nanoseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(nanoseconds / 1000000000);
    std::tm local{};
    char date[16];
    if (!(::localtime_s(&local, &seconds) == 0) || std::strftime(date, sizeof date, "%Y-%m-%d", &local) == 0)
        return {};
    return date;
}

bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

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

NameHolds WhatNameHolds(const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NameHolds::Nothing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return NameHolds::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return NameHolds::Folder;
    return attributes & FILE_ATTRIBUTE_DEVICE ? NameHolds::OtherKind : NameHolds::RegularFile;
}

std::size_t ReadFileStart(const std::string& name, void* buffer, std::size_t count)
{
    const HANDLE handle =
        ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    if (::GetFileType(handle) != FILE_TYPE_DISK ||
        !::ReadFile(handle, buffer, static_cast<DWORD>(count), &got, nullptr))
        got = 0;
    ::CloseHandle(handle);
    return got;
}

std::FILE* CreateFileBeside(const std::string& target, std::string& temporaryName, const char* maker)
{
    static unsigned serial = 0;
    for (int attempt = 0;; ++attempt) {
        const std::string name = target + "." + maker + "-partial-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(serial++);
        const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS && attempt < 100)
                continue;
            RaiseLastError("cannot create " + target);
        }
        RememberPending(name);
        const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = fd < 0 ? nullptr : ::_fdopen(fd, "wb");
        if (file == nullptr) {
            if (fd < 0)
                ::CloseHandle(handle);
            else
                ::_close(fd);
            DiscardFileBeside(name);
            throw std::system_error(EIO, std::generic_category(), "cannot create " + target);
        }
        temporaryName = name;
        return file;
    }
}

void PutInPlace(const std::string& temporaryName, const std::string& target)
{
    const bool moved = ::MoveFileExA(temporaryName.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    const DWORD error = ::GetLastError();
    if (!moved)
        ::DeleteFileA(temporaryName.c_str());
    ForgetPending(temporaryName);
    if (!moved)
        throw std::system_error(static_cast<int>(error), std::system_category(), "cannot create " + target);
}

void DiscardFileBeside(const std::string& temporaryName) noexcept
{
    ::DeleteFileA(temporaryName.c_str());
    ForgetPending(temporaryName);
}

std::vector<std::string> RemoveFilesBesideLeftBehind(const std::string& target, const char* maker)
{
    std::vector<std::string> removed;
    if (std::strcmp(maker, "bankscry") == 0)
        return removed;
    const std::string prefix = target + "." + maker + "-partial-";
    const std::size_t slash = prefix.find_last_of("\\/:");
    const std::string folder = slash == std::string::npos ? "" : prefix.substr(0, slash + 1);
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return removed;
    std::vector<std::string> names;
    do
        names.push_back(folder + found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    for (const std::string& name : names) {
        // PID-SERIAL: a process of this system that no longer runs.
        const std::string rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || dash > 10 ||
            rest.find_first_not_of("0123456789-") != std::string::npos)
            continue;
        const unsigned long long pid = std::strtoull(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid == 0 || pid > 0xFFFFFFFFull || pid == ::GetCurrentProcessId())
            continue;
        const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
        if (process != nullptr) {
            const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
            ::CloseHandle(process);
            if (running)
                continue;
        } else if (::GetLastError() != ERROR_INVALID_PARAMETER) {
            continue;   // there, but not ours to look at
        }
        if (::DeleteFileA(name.c_str()))
            removed.push_back(name);
    }
    return removed;
}

// No lock of a folder here: runs that replace one name at once rely on each taking a backup
// name of its own.
std::shared_ptr<void> TakeTurnInFolder(const std::string&) { return {}; }

namespace {

int ErrnoOfLastError()
{
    switch (::GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
    }
}

bool SameFileBytes(const std::string& a, const std::string& b)
{
    std::FILE* one = std::fopen(a.c_str(), "rb");
    std::FILE* two = one == nullptr ? nullptr : std::fopen(b.c_str(), "rb");
    bool same = two != nullptr;
    std::vector<char> x(1 << 16), y(1 << 16);
    while (same) {
        const std::size_t got = std::fread(x.data(), 1, x.size(), one);
        same = std::fread(y.data(), 1, y.size(), two) == got && std::memcmp(x.data(), y.data(), got) == 0 &&
               !std::ferror(one) && !std::ferror(two);
        if (got < x.size())
            break;
    }
    if (two != nullptr)
        std::fclose(two);
    if (one != nullptr)
        std::fclose(one);
    return same;
}

}   // namespace

int LinkFileAs(const std::string& existing, const std::string& name)
{
    return ::CreateHardLinkA(name.c_str(), existing.c_str(), nullptr) ? 0 : ErrnoOfLastError();
}

int CopyFileAs(const std::string& existing, const std::string& name)
{
    if (!::CopyFileA(existing.c_str(), name.c_str(), TRUE))
        return ErrnoOfLastError();
    if (!SameFileBytes(existing, name)) {
        ::DeleteFileA(name.c_str());
        return EIO;
    }
    return 0;
}

void RemoveFile(const std::string& name) noexcept { ::DeleteFileA(name.c_str()); }

bool IsOthersFile(const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
