// Operating-system services behind one plain interface: the process arguments, the usage
// message, read-only input streams and directory search. One source per system implements it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Raises std::system_error for error (EIO when 0), its text beginning with what.
[[noreturn]] void RaiseIoError(const std::string& what, int error);

// printf-format checking of log templates; MinGW's C99 printf has its own archetype.
#if defined(__MINGW_PRINTF_FORMAT)
#define BANKSCRY_PRINTF(f, a) __attribute__((format(__MINGW_PRINTF_FORMAT, f, a)))
#elif defined(__GNUC__)
#define BANKSCRY_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define BANKSCRY_PRINTF(f, a)
#endif

// Alignment of the large static buffers: large pages (2 MiB) on Linux; other object formats
// cap alignment lower.
#if defined(__linux__)
inline constexpr std::size_t LargeBufferAlignment = std::size_t{1} << 21;
#else
inline constexpr std::size_t LargeBufferAlignment = 4096;
#endif

// The process arguments as main received them; place 0 is the program itself.
void SetProcessArgs(int argc, char** argv);
int ProcessArgCount();
const char* ProcessArg(int place);

// Standard input and output pass bytes unchanged, so every "\r\n" reaches the console as
// written. On POSIX, standard input, output and error are opened on the null device where they
// are closed, so that no file the program opens takes their place.
void PrepareConsole();
// Whether standard output (1) or another standard stream was closed when PrepareConsole found it.
bool StandardStreamWasClosed(int stream);

// Advice that a large, page-aligned static buffer is best backed by large pages; a hint only.
void AdviseLargePages(void* start, std::size_t length) noexcept;

// The modal usage message: a warning box on Windows; elsewhere a line on standard error, then
// the lines of help (each ended with CR LF).
void ShowUsageMessage(const char* text, const char* help);

// POSIX systems: "/" alone separates folders (":" and "\\" are bytes of a name), and the console
// gets notes on standard error where a parameter was likely meant otherwise.
#if defined(_WIN32)
inline constexpr bool PosixSystem = false;
#else
inline constexpr bool PosixSystem = true;
#endif

// A read-only input stream. Opening fails (std::system_error naming the file) for a missing
// file, one that is not a regular file, or one that another process holds. A file is mapped
// into memory where it can be, so that bytes it holds can be kept at hand (InputBytesAt);
// reads go through the system's calls all the same.
struct InputStream;
InputStream* OpenInput(const std::string& name);
// Standard input as a stream of its own where it is a regular file (a redirection from a file);
// nullptr where it is a pipe, a terminal or a device, to be read as it comes.
InputStream* OpenStandardInputFile(const std::string& name);
// Standard input that is no file (a pipe, a terminal) as a stream of its own: head (bytes already
// read from it) and the rest, up to its end, copied into a temporary file that no name leads to
// and that goes when the stream is closed, so that what it holds costs disk, not memory. More
// than limit bytes in all: nullptr, at once, with tooLarge set. Raises std::system_error where
// standard input cannot be read or the temporary file cannot be made or written.
InputStream* SpoolStandardInput(const std::string& name, const std::string& head, std::uint64_t limit, bool& tooLarge);
// A stream over bytes already in memory, which must outlive it; name is what errors show.
InputStream* OpenMemoryInput(const void* bytes, std::size_t size, const std::string& name);
// A stream of a file its caller reads: each read of the file asks read(context, offset, buffer,
// count) for up to count bytes at offset, fewer only at its end; a read that fails raises. The
// caller keeps context alive as long as the stream. Where a file is no file of this system (a
// file picked in a page, read by the browser), this is how it is read a part at a time.
using ReadAtFunction = std::size_t (*)(void* context, std::int64_t offset, void* buffer, std::size_t count);
InputStream* OpenCallerInput(std::int64_t size, ReadAtFunction read, void* context, const std::string& name);
// Pieces of a new file over the bytes of its source, by offset; none overlap.
using InputPieces = std::map<std::int64_t, std::string>;
// The pieces' bytes within [at, at + length) written over into, which holds the source's there.
void OverlayPieces(const InputPieces& pieces, std::int64_t at, std::size_t length, std::uint8_t* into);
// A stream of a new file made in memory: the bytes of source (a stream of a file or of memory)
// with pieces over them, both of which must outlive it. Nothing of the file is copied: a file's
// bytes are read by calls as its stream reads them.
InputStream* OpenPiecedInput(const InputStream& source, const InputPieces& pieces, const std::string& name);
void CloseInput(InputStream* stream) noexcept;
std::int64_t InputSize(const InputStream& stream);
std::int64_t InputPosition(const InputStream& stream);
// Reads up to count bytes; fewer only at the end of the file. Bytes past the count read stay as
// they were. Small reads come from a buffer filled a run at a time, so that a walk through many
// small headers makes one system call per run, not one per header.
std::size_t InputRead(InputStream& stream, void* buffer, std::size_t count);
// Reads up to count bytes from offset without moving the stream's position; fewer only at the end.
std::size_t InputReadAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count);
// Moves to offset from the start (fromStart) or from the current position; beyond the end is allowed.
void InputSeek(InputStream& stream, std::int64_t offset, bool fromStart);
// Bytes of the input that lie whole in a mapped file, valid as long as the hold lives (also
// after the stream is closed); nullptr where the input is not mapped, or the range passes its end.
using InputHold = std::shared_ptr<const void>;
const std::uint8_t* InputBytesAt(const InputStream& stream, std::int64_t offset, std::size_t count, InputHold& hold);
// Bytes of a memory stream (OpenMemoryInput), valid as long as its memory is; nullptr for a file,
// and where the range passes its end.
const std::uint8_t* InputMemoryBytesAt(const InputStream& stream, std::int64_t offset, std::size_t count);
// True for a stream whose bytes lie nowhere whole (a new file's pieces over its source): what is
// read of it at length is best read a run at a time, never copied whole.
bool InputLiesNowhereWhole(const InputStream& stream);
// True, once, when a mapped file shrank while it was read since the last call: its bytes past
// its new end read as zeros, and what was made of them is not to be trusted.
bool MappedInputShrank() noexcept;
// The error of an input that shrank while it was read.
struct InputShrankError : std::system_error {
    using std::system_error::system_error;
};
[[noreturn]] void RaiseInputShrank(const InputStream& stream);
// True when path names the very file that the stream reads (or cannot be told apart from it);
// never for a memory stream.
bool IsInputFile(const InputStream& stream, const std::string& path);

// "*" matches any run of bytes (none too), "?" exactly one byte, every other byte itself.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// ---- Listing files: written to a new file beside their name, put in place when done.

// A regular file as its folder entry tells it: size, time of its last change (nanoseconds since
// 1970) and its identity on its volume (inode; Windows' file index), a link followed.
struct FileIdentity {
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
// False where name holds no regular file (or none that can be looked at).
bool IdentifyFile(const std::string& name, FileIdentity& identity);
// True where a file stands under name (a link followed) that is not the user's own, or that the
// user may not write: a file another user's program opens too, to be read and never changed.
bool IsOthersFile(const std::string& name);
// "2026-12-09": the day a time of IdentifyFile's (nanoseconds since 1970) falls on where this
// computer is; "" where the system cannot say.
std::string LocalDateOf(std::int64_t nanoseconds);
// True when standard error is a terminal (a console window), where a progress line may be drawn.
bool StandardErrorIsTerminal();

// What stands under a name, seen without following a link and without blocking.
enum class NameHolds { Nothing, RegularFile, Link, Folder, OtherKind };
NameHolds WhatNameHolds(const std::string& name);
// What a name leads to, through links.
enum class NameLeadsTo { Nothing, RegularFile, Folder, Fifo, Device, OtherKind };
NameLeadsTo WhatNameLeadsTo(const std::string& name);
// The process's own descriptor that a name leads to: /dev/stdout, /dev/fd/N, /proc/self/fd/N
// and the like, or a link (through any number of links) to one of them; -1 where it leads to none.
// Whatever the descriptor holds (a terminal, a pipe, a file the shell opened), the name is a way
// to it, not a file to replace.
int DescriptorNameLeadsTo(const std::string& name);
// A stream that writes to a copy of the process's descriptor, as the descriptor stands (its
// file neither cut nor moved to its start); nullptr, errno set, where it cannot be had.
std::FILE* OpenDescriptorStream(int descriptor);
// True when the name leads, through links, to a FIFO, a character device or a socket (a
// terminal, NUL), or to one of the process's own descriptors: written as a stream, never replaced.
bool IsStreamDevice(const std::string& name);
// Up to count first bytes of the regular file under name (a link followed); 0 when there is
// none, or it is not a regular file. Never blocks, whatever stands there.
std::size_t ReadFileStart(const std::string& name, void* buffer, std::size_t count);
// Creates a new file beside target, exclusively and never through a link, named target and a
// suffix that says what it is and which program made it; its name goes to temporaryName. maker
// "bankscry" gives target.bankscry-partial-XXXXXX; any other maker's name carries the process's
// id as well (target.scry-partial-PID-XXXXXX), so that a later run can tell one whose process is
// gone. The file gets the mode that a file created under target would get (that of the file it
// will replace, where there is one). Raises std::system_error as creating target would, naming
// target.
std::FILE* CreateFileBeside(const std::string& target, std::string& temporaryName, const char* maker = "bankscry");
// Removes the files beside target that CreateFileBeside made for maker (not "bankscry") in a
// process that has ended without putting them in place or discarding them: a run killed
// outright. Their names, in the order removed; a file that cannot be removed is left unsaid.
std::vector<std::string> RemoveFilesBesideLeftBehind(const std::string& target, const char* maker);
// Turns taken at replacing files in a folder: held from TakeTurnInFolder until the hold is let
// go, so that two processes never replace one name at once. An empty hold where the system
// gives no such lock (the folder cannot be opened, or the system has none).
std::shared_ptr<void> TakeTurnInFolder(const std::string& target);
// A second name for the regular file under existing, made only where nothing stands under name:
// 0 once made, else the error (EEXIST where something stands there, ENOENT where existing is
// gone; any other where the system refuses a hard link there).
int LinkFileAs(const std::string& existing, const std::string& name);
// A copy of the regular file under existing, made only where nothing stands under name, written
// through to the disk and read back byte for byte against existing: 0 once made, else the error
// (EEXIST, ENOENT as LinkFileAs; EIO where the copy read back is not the file); no copy is left
// on failure.
int CopyFileAs(const std::string& existing, const std::string& name);
// Removes the file under name, where it can.
void RemoveFile(const std::string& name) noexcept;
// Renames temporaryName over target, replacing whatever stands there (a link itself, never what
// it points to). Raises std::system_error naming target; the temporary file is gone then too.
void PutInPlace(const std::string& temporaryName, const std::string& target);
// Removes a file made by CreateFileBeside that is not to be put in place.
void DiscardFileBeside(const std::string& temporaryName) noexcept;
// From now on an interrupt, a termination or a hang-up (Ctrl-C on a Windows console) removes
// every file made by CreateFileBeside and not yet put in place or discarded, then ends the
// process as the signal would.
void DiscardFilesBesideOnSignals();
// POSIX: a write to a pipe whose reader is gone fails (EPIPE) instead of ending the process.
void TreatClosedPipesAsWriteErrors();

// Directory search over the last component of a pattern, "*" and "?" as wildcards.
// DirFindFirst gives nullptr when nothing matches; every kind of entry is yielded.
struct DirSearch;
DirSearch* DirFindFirst(const std::string& pattern, std::string& name);
bool DirFindNext(DirSearch* search, std::string& name);
void DirFindEnd(DirSearch* search) noexcept;
// The pattern's directory part as the search reads it, delimiter included ("" for none):
// a match is opened under this prefix followed by the entry's name.
std::string SearchDirectoryPart(const std::string& pattern);
