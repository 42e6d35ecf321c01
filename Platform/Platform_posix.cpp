// POSIX implementation of the platform layer.
#include "Platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int processArgc = 0;
char** processArgv = nullptr;

[[noreturn]] void RaiseErrno(int error, const std::string& what)
{
    throw std::system_error(error, std::generic_category(), what);
}

// "*" matches any run of bytes (also none), "?" exactly one, every other byte itself.
bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

struct InputStream {
    int fd;
    std::int64_t size;
    std::int64_t position;
    std::string name;
};

struct DirSearch {
    std::vector<std::string> names;
    std::size_t next;
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

void PrepareConsole() {}

void AdviseLargePages([[maybe_unused]] void* start, [[maybe_unused]] std::size_t length) noexcept
{
#if defined(MADV_HUGEPAGE)
    ::madvise(start, length, MADV_HUGEPAGE);   // refused where large pages are off: nothing lost
#endif
}

void ShowUsageMessage(const char* text)
{
    std::fputs(text, stderr);
    std::fputs("\r\n", stderr);
    std::fflush(stderr);
}

InputStream* OpenInput(const std::string& name)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        RaiseErrno(errno, "cannot open " + name);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        RaiseErrno(error, "cannot open " + name);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        RaiseErrno(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, "cannot open " + name + " (not a regular file)");
    }
    // The advisory lock stands in for an open without sharing: a file held by another
    // process that locks it is refused, not read while it changes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        RaiseErrno(error, "cannot open " + name + " (held by another process)");
    }
    // Regular files never block; the flag only kept the open itself from hanging on a FIFO.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return new InputStream{fd, static_cast<std::int64_t>(info.st_size), 0, name};
}

void CloseInput(InputStream* stream) noexcept
{
    if (stream == nullptr)
        return;
    ::close(stream->fd);
    delete stream;
}

std::int64_t InputSize(const InputStream& stream) { return stream.size; }

std::int64_t InputPosition(const InputStream& stream) { return stream.position; }

std::size_t InputRead(InputStream& stream, void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(stream.fd, out + done, count - done, stream.position);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno(errno, "cannot read " + stream.name);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
        stream.position += got;
    }
    return done;
}

void InputSeek(InputStream& stream, std::int64_t offset, bool fromStart)
{
    const std::int64_t target = fromStart ? offset : stream.position + offset;
    if (target < 0)
        RaiseErrno(EINVAL, "cannot seek before the start of " + stream.name);
    stream.position = target;
}

bool IsInputFile(const InputStream& stream, const std::string& path)
{
    struct stat mine {}, other {};
    if (::fstat(stream.fd, &mine) != 0)
        return true;
    if (::stat(path.c_str(), &other) != 0)
        return false;
    return mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

std::string SearchDirectoryPart(const std::string& pattern)
{
    const std::size_t slash = pattern.rfind('/');
    return slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
}

DirSearch* DirFindFirst(const std::string& pattern, std::string& name)
{
    const std::string prefix = SearchDirectoryPart(pattern);
    const std::string last = pattern.substr(prefix.size());
    DIR* dir = ::opendir(prefix.empty() ? "." : prefix.c_str());
    if (dir == nullptr)
        return nullptr;
    auto* search = new DirSearch{{}, 0};
    while (const dirent* entry = ::readdir(dir)) {
        if (WildcardMatch(last, entry->d_name))
            search->names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    // Byte order of the names, so that a run over one directory is repeatable.
    std::sort(search->names.begin(), search->names.end());
    if (!DirFindNext(search, name)) {
        delete search;
        return nullptr;
    }
    return search;
}

bool DirFindNext(DirSearch* search, std::string& name)
{
    if (search == nullptr || search->next >= search->names.size())
        return false;
    name = search->names[search->next++];
    return true;
}

void DirFindEnd(DirSearch* search) noexcept { delete search; }
