// POSIX implementation of the platform layer.
#include "Output/Output.h"
#include "Platform/InputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

struct DirSearch {
    std::vector<std::string> names;
    std::size_t next;
};

void PrepareConsole()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free descriptor is the one just found closed.
            if (::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
                std::abort();
        }
    }
}

void AdviseLargePages([[maybe_unused]] void* start, [[maybe_unused]] std::size_t length) noexcept
{
#if defined(MADV_HUGEPAGE)
    ::madvise(start, length, MADV_HUGEPAGE);   // refused where large pages are off: nothing lost
#endif
}

void ShowUsageMessage(const char* text, const char* help)
{
    std::fputs(text, stderr);
    std::fputs("\r\n", stderr);
    std::fputs(help, stderr);
    std::fflush(stderr);
}

InputStream* OpenInput(const std::string& name)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        RaiseIoError("cannot open " + name, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        RaiseIoError("cannot open " + name, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        RaiseIoError("cannot open " + name + " (not a regular file)", S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    // The advisory lock stands in for an open without sharing: a file held by another
    // process that locks it is refused, not read while it changes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        RaiseIoError("cannot open " + name + " (held by another process)", error);
    }
    // Regular files never block; the flag only kept the open itself from hanging on a FIFO.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return new InputStream{fd, nullptr, static_cast<std::int64_t>(info.st_size), 0, name};
}

void CloseFileHandle(InputStream& stream) noexcept { ::close(static_cast<int>(stream.handle)); }

std::size_t ReadFileAt(InputStream& stream, void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(static_cast<int>(stream.handle), out + done, count - done,
                                    stream.position + static_cast<std::int64_t>(done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            RaiseIoError("cannot read " + stream.name, errno);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool IsSameFile(const InputStream& stream, const std::string& path)
{
    struct stat mine {
    }, other{};
    if (::fstat(static_cast<int>(stream.handle), &mine) != 0)
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

NameHolds WhatNameHolds(const std::string& name)
{
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0)
        return NameHolds::Nothing;
    if (S_ISREG(info.st_mode))
        return NameHolds::RegularFile;
    if (S_ISLNK(info.st_mode))
        return NameHolds::Link;
    return S_ISDIR(info.st_mode) ? NameHolds::Folder : NameHolds::OtherKind;
}

std::size_t ReadFileStart(const std::string& name, void* buffer, std::size_t count)
{
    // Non-blocking, so that a FIFO met through a link cannot hold the run.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info {};
    ssize_t got = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        got = ::pread(fd, buffer, count, 0);
    ::close(fd);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::FILE* CreateFileBeside(const std::string& target, std::string& temporaryName)
{
    std::string pattern = target + ".bankscry-partial-XXXXXX";
    // mkstemp creates with O_EXCL: never an existing file, never through a link.
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        RaiseIoError("cannot create " + target, errno);
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        RaiseIoError("cannot create " + target, error);
    }
    temporaryName = pattern;
    return file;
}

void PutInPlace(const std::string& temporaryName, const std::string& target)
{
    if (::rename(temporaryName.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporaryName.c_str());
        RaiseIoError("cannot create " + target, error);
    }
}

void RemoveFile(const std::string& name) noexcept { ::unlink(name.c_str()); }
