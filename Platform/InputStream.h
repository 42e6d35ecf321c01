// The input stream as both system sources and the common one see it; not for callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Platform.h"

struct InputStream {
    std::intptr_t handle;        // the open file (descriptor or handle); unused for memory
    const std::uint8_t* bytes;   // a memory stream's bytes, or a mapped file's; null for a file read by calls
    std::int64_t size;
    std::int64_t position;
    std::string name;
    // A mapped file: its bytes stay mapped while this or a hold on them lives.
    std::shared_ptr<const std::uint8_t> view{};
    // Small reads of a file are served from here, filled a run at a time.
    std::vector<std::uint8_t> ahead{};
    std::int64_t aheadAt = 0;
    std::size_t aheadLength = 0;
    // A new file's stream: the stream of its source, with pieces over what it reads.
    const InputStream* under = nullptr;
    const InputPieces* pieces = nullptr;
    // A file its caller reads (OpenCallerInput): no handle of this system.
    ReadAtFunction reader = nullptr;
    void* readerContext = nullptr;
};

// A stream of a file (read by calls or mapped), not of bytes in memory nor of a new file's pieces.
inline bool IsFileStream(const InputStream& stream)
{
    return stream.under == nullptr && (stream.bytes == nullptr || stream.view != nullptr);
}

// Per system: reads up to count bytes of the file from offset; fewer only at its end. Does not
// move the stream's position.
std::size_t ReadFileAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count);
void CloseFileHandle(InputStream& stream) noexcept;
// Per system: maps the open file whole, read-only, for the stream; leaves the stream as it is
// (read by calls) where the file cannot be mapped.
void MapFile(InputStream& stream) noexcept;
bool IsSameFile(const InputStream& stream, const std::string& path);
