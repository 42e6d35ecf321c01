// Operating-system services behind one plain interface: the process arguments, the usage
// message, read-only input streams and directory search. One source per system implements it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The process arguments as main received them; place 0 is the program itself.
void SetProcessArgs(int argc, char** argv);
int ProcessArgCount();
const char* ProcessArg(int place);

// Standard output passes bytes unchanged, so every "\r\n" reaches the console as written.
void PrepareConsole();

// Advice that a large, page-aligned static buffer is best backed by large pages; a hint only.
void AdviseLargePages(void* start, std::size_t length) noexcept;

// The modal usage message: a warning box on Windows, a line on standard error elsewhere.
void ShowUsageMessage(const char* text);

// A read-only input stream. Opening fails (std::system_error naming the file) for a missing
// file, one that is not a regular file, or one that another process holds.
struct InputStream;
InputStream* OpenInput(const std::string& name);
void CloseInput(InputStream* stream) noexcept;
std::int64_t InputSize(const InputStream& stream);
std::int64_t InputPosition(const InputStream& stream);
// Reads up to count bytes; fewer only at the end of the file. Bytes past the count read stay as they were.
std::size_t InputRead(InputStream& stream, void* buffer, std::size_t count);
// Moves to offset from the start (fromStart) or from the current position; beyond the end is allowed.
void InputSeek(InputStream& stream, std::int64_t offset, bool fromStart);
// True when path names the very file that the stream reads (or cannot be told apart from it).
bool IsInputFile(const InputStream& stream, const std::string& path);

// Directory search over the last component of a pattern, "*" and "?" as wildcards.
// DirFindFirst gives nullptr when nothing matches; every kind of entry is yielded.
struct DirSearch;
DirSearch* DirFindFirst(const std::string& pattern, std::string& name);
bool DirFindNext(DirSearch* search, std::string& name);
void DirFindEnd(DirSearch* search) noexcept;
// The pattern's directory part as the search reads it, delimiter included ("" for none):
// a match is opened under this prefix followed by the entry's name.
std::string SearchDirectoryPart(const std::string& pattern);
