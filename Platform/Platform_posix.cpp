// POSIX implementation of the platform layer.
#include "Platform/InputStream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
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

namespace {

// Files made beside their targets and not yet put in place or discarded, in fixed storage that
// a signal handler may read. A name too long for it is simply not removed by the handler.
constexpr int MaxPendingFiles = 8;
char PendingNames[MaxPendingFiles][PATH_MAX];
volatile std::sig_atomic_t PendingUsed[MaxPendingFiles];

// SIGXFSZ too: a file-size limit ends the process in the middle of a write.
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};

// The ending signals wait while a pending file is made, renamed or removed, so that the handler
// never misses one nor removes one already in place.
sigset_t HoldEndingSignals()
{
    sigset_t ending, previous;
    sigemptyset(&ending);
    for (const int signal : EndingSignals)
        sigaddset(&ending, signal);
    ::sigprocmask(SIG_BLOCK, &ending, &previous);
    return previous;
}

void ReleaseEndingSignals(const sigset_t& previous) { ::sigprocmask(SIG_SETMASK, &previous, nullptr); }

void RememberPending(const std::string& name)
{
    if (name.size() >= PATH_MAX)
        return;
    for (int i = 0; i < MaxPendingFiles; ++i) {
        if (!PendingUsed[i]) {
            std::memcpy(PendingNames[i], name.c_str(), name.size() + 1);
            PendingUsed[i] = 1;
            return;
        }
    }
}

void ForgetPending(const std::string& name)
{
    for (int i = 0; i < MaxPendingFiles; ++i)
        if (PendingUsed[i] && name == PendingNames[i])
            PendingUsed[i] = 0;
}

// Mapped files, for the handler of a bus error: a mapped file that shrinks leaves pages past
// its new end that cannot be read; the handler maps zeros there and says so.
constexpr int MaxMappings = 16;
struct Mapping {
    std::uintptr_t start;
    std::size_t length;
    volatile std::sig_atomic_t used;
};
Mapping Mappings[MaxMappings];
// Per thread: a bus error is taken on the thread whose read faulted, and only its walk is told.
thread_local volatile std::sig_atomic_t Shrank = 0;
struct sigaction EarlierBusHandler {};

extern "C" void ZeroPagesPastTheEnd(int signal, siginfo_t* info, void* context)
{
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (const Mapping& mapping : Mappings) {
        if (!mapping.used || at < mapping.start || at - mapping.start >= mapping.length)
            continue;
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const std::uintptr_t from = at & ~(page - 1);
        // Zeros in place of the file from the failing page on; the read that failed goes on.
        if (::mmap(reinterpret_cast<void*>(from), mapping.start + mapping.length - from, PROT_READ,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            Shrank = 1;
            return;
        }
    }
    // Not a mapped input of ours: the fault it is, for whoever handled it before.
    if (EarlierBusHandler.sa_flags & SA_SIGINFO) {
        EarlierBusHandler.sa_sigaction(signal, info, context);
    } else if (EarlierBusHandler.sa_handler != SIG_DFL && EarlierBusHandler.sa_handler != SIG_IGN) {
        EarlierBusHandler.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);
        ::raise(signal);
    }
}

int RememberMapping(const void* start, std::size_t length)
{
    static bool handling = false;
    if (!handling) {
        struct sigaction action {};
        action.sa_sigaction = &ZeroPagesPastTheEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO;
        ::sigaction(SIGBUS, &action, &EarlierBusHandler);
        handling = true;
    }
    for (int i = 0; i < MaxMappings; ++i) {
        if (!Mappings[i].used) {
            Mappings[i].start = reinterpret_cast<std::uintptr_t>(start);
            Mappings[i].length = length;
            Mappings[i].used = 1;
            return i;
        }
    }
    return -1;
}

extern "C" void DiscardPendingAndEnd(int signal)
{
    for (int i = 0; i < MaxPendingFiles; ++i)
        if (PendingUsed[i])
            ::unlink(PendingNames[i]);
    // The handler was reset to the default on entry: the signal ends the process once this returns.
    ::raise(signal);
}

}   // namespace

void DiscardFilesBesideOnSignals()
{
    for (const int signal : EndingSignals) {
        struct sigaction current {};
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = &DiscardPendingAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

void TreatClosedPipesAsWriteErrors() { ::signal(SIGPIPE, SIG_IGN); }

void MapFile(InputStream& stream) noexcept
{
    if (stream.size <= 0 || static_cast<std::uint64_t>(stream.size) > SIZE_MAX)
        return;
    const auto length = static_cast<std::size_t>(stream.size);
    void* start = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, static_cast<int>(stream.handle), 0);
    if (start == MAP_FAILED)
        return;   // read by calls instead
    // The only mapping a bus error is caught in; one that cannot be remembered is not used.
    const int slot = RememberMapping(start, length);
    if (slot < 0) {
        ::munmap(start, length);
        return;
    }
    stream.bytes = static_cast<const std::uint8_t*>(start);
    stream.view = std::shared_ptr<const std::uint8_t>(stream.bytes, [length, slot](const std::uint8_t* bytes) {
        Mappings[slot].used = 0;
        ::munmap(const_cast<std::uint8_t*>(bytes), length);
    });
}

bool MappedInputShrank() noexcept
{
    const bool shrank = Shrank != 0;
    Shrank = 0;
    return shrank;
}

namespace {

// Standard input, output and error as PrepareConsole found them.
bool ClosedAtStart[3] = {false, false, false};

}   // namespace

void PrepareConsole()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            ClosedAtStart[fd] = true;
            // The lowest free descriptor is the one just found closed.
            if (::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
                std::abort();
        }
    }
}

bool StandardStreamWasClosed(int stream) { return stream >= 0 && stream <= 2 && ClosedAtStart[stream]; }

InputStream* OpenStandardInputFile(const std::string& name)
{
    struct stat info {};
    if (ClosedAtStart[0] || ::fstat(0, &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    const int fd = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    if (fd < 0)
        RaiseIoError("cannot read " + name, errno);
    auto* stream = new InputStream{fd, nullptr, static_cast<std::int64_t>(info.st_size), 0, name};
    MapFile(*stream);
    return stream;
}

InputStream* SpoolStandardInput(const std::string& name, const std::string& head, std::uint64_t limit, bool& tooLarge)
{
    tooLarge = false;
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder != nullptr && folder[0] != '\0' ? folder : "/tmp") + "/scry-input-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        RaiseIoError("cannot keep " + name + " in a temporary file", errno);
    ::unlink(path.c_str());   // no name leads to it: it goes with the last descriptor
    const auto fail = [&](const std::string& what, int error) {
        ::close(fd);
        RaiseIoError(what, error);
    };
    const auto put = [&](const char* bytes, std::size_t count) {
        while (count > 0) {
            const ssize_t wrote = ::write(fd, bytes, count);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                fail("cannot keep " + name + " in a temporary file", wrote < 0 ? errno : ENOSPC);
            bytes += wrote;
            count -= static_cast<std::size_t>(wrote);
        }
    };
    std::uint64_t total = head.size();
    put(head.data(), head.size());
    // Through stdio, as the head was read: what its buffer holds comes first.
    std::vector<char> run(std::size_t{1} << 20);
    for (;;) {
        const std::size_t got = std::fread(run.data(), 1, run.size(), stdin);
        if (got == 0) {
            if (std::ferror(stdin))
                fail("cannot read " + name, errno != 0 ? errno : EIO);
            break;
        }
        total += got;
        if (total > limit) {
            ::close(fd);
            tooLarge = true;
            return nullptr;
        }
        put(run.data(), got);
    }
    auto* stream = new InputStream{fd, nullptr, static_cast<std::int64_t>(total), 0, name};
    MapFile(*stream);
    return stream;
}

NameLeadsTo WhatNameLeadsTo(const std::string& name)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0)
        return NameLeadsTo::Nothing;
    if (S_ISREG(info.st_mode))
        return NameLeadsTo::RegularFile;
    if (S_ISDIR(info.st_mode))
        return NameLeadsTo::Folder;
    if (S_ISFIFO(info.st_mode))
        return NameLeadsTo::Fifo;
    return S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? NameLeadsTo::Device : NameLeadsTo::OtherKind;
}

namespace {

// The descriptor a path names by itself, without looking at what stands there: /dev/stdin,
// /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, /proc/thread-self/fd/N and
// /proc/PID/fd/N of this process; -1 for any other path.
int DescriptorPath(const std::string& path)
{
    const std::string name = std::filesystem::path(path).lexically_normal().generic_string();
    if (name == "/dev/stdin")
        return 0;
    if (name == "/dev/stdout")
        return 1;
    if (name == "/dev/stderr")
        return 2;
    const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string& folder : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      std::string("/proc/thread-self/fd/"), own}) {
        if (name.size() <= folder.size() || name.compare(0, folder.size(), folder) != 0)
            continue;
        const std::string number = name.substr(folder.size());
        if (number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(number);
    }
    return -1;
}

}   // namespace

int DescriptorNameLeadsTo(const std::string& name)
{
    // Each link in turn, as the system would follow it (at most as many as it would follow).
    std::string path = name;
    for (int hops = 0; hops <= 40; ++hops) {
        if (path.empty())
            return -1;
        if (path.front() != '/') {
            char here[PATH_MAX];
            if (::getcwd(here, sizeof here) == nullptr)
                return -1;
            path = std::string(here) + "/" + path;
        }
        if (const int descriptor = DescriptorPath(path); descriptor >= 0)
            return descriptor;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0)
            return -1;
        const std::string to(target, static_cast<std::size_t>(length));
        path = to.front() == '/' ? to : std::filesystem::path(path).parent_path().string() + "/" + to;
    }
    return -1;
}

std::FILE* OpenDescriptorStream(int descriptor)
{
    const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
    if (copy < 0)
        return nullptr;
    std::FILE* stream = ::fdopen(copy, "wb");
    if (stream == nullptr) {
        const int error = errno;
        ::close(copy);
        errno = error;
    }
    return stream;
}

bool IsStreamDevice(const std::string& name)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0 &&
        (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode) || S_ISSOCK(info.st_mode)))
        return true;
    return DescriptorNameLeadsTo(name) >= 0;
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
    // Readers share the file; one that a writer holds locked is refused, not read while it changes.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        RaiseIoError("cannot open " + name + " (held by another process)", error);
    }
    // Regular files never block; the flag only kept the open itself from hanging on a FIFO.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto* stream = new InputStream{fd, nullptr, static_cast<std::int64_t>(info.st_size), 0, name};
    MapFile(*stream);
    return stream;
}

void CloseFileHandle(InputStream& stream) noexcept { ::close(static_cast<int>(stream.handle)); }

std::size_t ReadFileAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(static_cast<int>(stream.handle), out + done, count - done,
                                    offset + static_cast<std::int64_t>(done));
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

bool IdentifyFile(const std::string& name, FileIdentity& identity)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
#if defined(__APPLE__)
    const struct timespec& modified = info.st_mtimespec;
#else
    const struct timespec& modified = info.st_mtim;
#endif
    identity.size = static_cast<std::int64_t>(info.st_size);
    identity.modified = static_cast<std::int64_t>(modified.tv_sec) * 1000000000 + modified.tv_nsec;
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    return true;
}

bool IsOthersFile(const std::string& name)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0)
        return false;
    return info.st_uid != ::geteuid() || ::access(name.c_str(), W_OK) != 0;
}

std::string LocalDateOf(std::int64_t nanoseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(nanoseconds / 1000000000);
    std::tm local{};
    char date[16];
    if (!(::localtime_r(&seconds, &local) != nullptr) || std::strftime(date, sizeof date, "%Y-%m-%d", &local) == 0)
        return {};
    return date;
}

bool StandardErrorIsTerminal() { return ::isatty(2) == 1; }

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

namespace {

// What a temporary file's name adds to its target's: ".bankscry-partial-", or the maker's name
// and the process's id (".scry-partial-PID-").
std::string PartialMark(const char* maker, bool withProcess)
{
    std::string mark = std::string(".") + maker + "-partial-";
    if (withProcess)
        mark += std::to_string(::getpid()) + "-";
    return mark;
}

// target cut where its last part and suffix would make a name longer than the system takes.
std::string NameBeside(const std::string& target, std::size_t suffix)
{
    const std::size_t slash = target.rfind('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t most = NAME_MAX - std::min<std::size_t>(suffix, NAME_MAX);
    return target.substr(0, base + std::min(target.size() - base, most));
}

}   // namespace

std::FILE* CreateFileBeside(const std::string& target, std::string& temporaryName, const char* maker)
{
    const bool bankscry = std::strcmp(maker, "bankscry") == 0;
    // A process id is at most 10 digits: the name is cut as if it had them all, so that a later
    // run finds it under the same prefix.
    const std::string mark = PartialMark(maker, !bankscry);
    const std::size_t longest = std::string(maker).size() + 10 + 10 + 6;
    std::string pattern = NameBeside(target, bankscry ? mark.size() + 6 : longest) + mark + "XXXXXX";
    // mkstemp creates with O_EXCL: never an existing file, never through a link.
    const sigset_t previous = HoldEndingSignals();
    const int fd = ::mkstemp(pattern.data());
    const int error = errno;
    if (fd >= 0)
        RememberPending(pattern);
    ReleaseEndingSignals(previous);
    if (fd < 0)
        RaiseIoError("cannot create " + target, error);
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
        const int openError = errno;
        ::close(fd);
        DiscardFileBeside(pattern);
        RaiseIoError("cannot create " + target, openError);
    }
    temporaryName = pattern;
    return file;
}

std::vector<std::string> RemoveFilesBesideLeftBehind(const std::string& target, const char* maker)
{
    std::vector<std::string> removed;
    if (std::strcmp(maker, "bankscry") == 0)
        return removed;
    const std::string mark = PartialMark(maker, false);
    const std::string prefix = NameBeside(target, std::string(maker).size() + 10 + 10 + 6) + mark;
    const std::size_t slash = prefix.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : prefix.substr(0, slash + 1);
    const std::string start = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return removed;
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(dir))
        if (std::strncmp(entry->d_name, start.c_str(), start.size()) == 0)
            found.emplace_back(entry->d_name + start.size());
    ::closedir(dir);
    for (const std::string& rest : found) {
        // PID-XXXXXX: a process of this system that no longer runs.
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash > 10 || rest.size() != dash + 7 || rest.find_first_not_of("0123456789") != dash)
            continue;
        const long long pid = std::atoll(rest.substr(0, dash).c_str());
        if (pid <= 0 || pid > INT_MAX || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        const std::string name = prefix + rest;
        struct stat info {};
        if (::lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(name.c_str()) == 0)
            removed.push_back(name);
    }
    return removed;
}

std::shared_ptr<void> TakeTurnInFolder(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    int locked = 0;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        ::close(fd);
        return {};
    }
    return std::shared_ptr<void>(new int(fd), [](void* held) {
        const int* descriptor = static_cast<int*>(held);
        ::close(*descriptor);   // the lock goes with the descriptor
        delete descriptor;
    });
}

int LinkFileAs(const std::string& existing, const std::string& name)
{
    return ::link(existing.c_str(), name.c_str()) == 0 ? 0 : errno;
}

namespace {

// Reads up to count bytes at offset, through interrupted calls; false on an error.
bool ReadFully(int fd, std::int64_t offset, char* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    while (got < count) {
        const ssize_t read =
            ::pread(fd, buffer + got, count - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return false;
        if (read == 0)
            break;
        got += static_cast<std::size_t>(read);
    }
    return true;
}

// The copy's bytes: written from from, then read back against it. 0, or the error.
int CopyBytes(int from, int to)
{
    constexpr std::size_t Run = std::size_t{1} << 18;
    std::vector<char> source(Run), copy(Run);
    std::int64_t at = 0;
    for (;;) {
        std::size_t got = 0;
        if (!ReadFully(from, at, source.data(), Run, got))
            return errno;
        for (std::size_t written = 0; written < got;) {
            const ssize_t put = ::pwrite(to, source.data() + written, got - written, static_cast<off_t>(at + written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return put < 0 ? errno : EIO;
            written += static_cast<std::size_t>(put);
        }
        at += static_cast<std::int64_t>(got);
        if (got < Run)
            break;
    }
    if (::fsync(to) != 0)
        return errno;
    for (std::int64_t back = 0;; back += static_cast<std::int64_t>(Run)) {
        std::size_t a = 0, b = 0;
        if (!ReadFully(from, back, source.data(), Run, a) || !ReadFully(to, back, copy.data(), Run, b))
            return errno;
        if (a != b || std::memcmp(source.data(), copy.data(), a) != 0)
            return EIO;
        if (a < Run)
            return back + static_cast<std::int64_t>(a) == at ? 0 : EIO;
    }
}

}   // namespace

int CopyFileAs(const std::string& existing, const std::string& name)
{
    const int from = ::open(existing.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (from < 0)
        return errno == ELOOP ? ENOENT : errno;
    struct stat info {};
    if (::fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(from);
        return ENOENT;
    }
    const int to = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, info.st_mode & 07777);
    if (to < 0) {
        const int error = errno;
        ::close(from);
        return error;
    }
    const int copied = CopyBytes(from, to);
    const int closed = ::close(to) == 0 ? 0 : errno;
    ::close(from);
    const int error = copied != 0 ? copied : closed;
    if (error != 0)
        ::unlink(name.c_str());
    return error;
}

void RemoveFile(const std::string& name) noexcept { ::unlink(name.c_str()); }

void PutInPlace(const std::string& temporaryName, const std::string& target)
{
    const sigset_t previous = HoldEndingSignals();
    const bool renamed = ::rename(temporaryName.c_str(), target.c_str()) == 0;
    const int error = errno;
    if (!renamed)
        ::unlink(temporaryName.c_str());
    ForgetPending(temporaryName);
    ReleaseEndingSignals(previous);
    if (!renamed)
        RaiseIoError("cannot create " + target, error);
}

void DiscardFileBeside(const std::string& temporaryName) noexcept
{
    const sigset_t previous = HoldEndingSignals();
    ::unlink(temporaryName.c_str());
    ForgetPending(temporaryName);
    ReleaseEndingSignals(previous);
}
