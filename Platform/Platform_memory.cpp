// The platform of a program that has no files: inputs are bytes in memory (OpenMemoryInput), and
// nothing here opens, maps or names a file. The reading code and scry's pure layers link with it
// alone, as a page in a browser does; whatever of theirs reaches for a file finds nothing to link.
#include "Platform/InputStream.h"

// A memory stream is read by the common part itself; these are only reached for a file stream,
// which this platform never makes.
std::size_t ReadFileAt(const InputStream&, std::int64_t, void*, std::size_t) { return 0; }

void CloseFileHandle(InputStream&) noexcept {}

void MapFile(InputStream&) noexcept {}

bool IsSameFile(const InputStream&, const std::string&) { return false; }

// No file is mapped, so none can shrink while it is read.
bool MappedInputShrank() noexcept { return false; }

void AdviseLargePages(void*, std::size_t) noexcept {}
