// The input stream as both system sources and the common one see it; not for callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Platform/Platform.h"

struct InputStream {
    std::intptr_t handle;        // the open file (descriptor or handle); unused for memory
    const std::uint8_t* bytes;   // a memory stream's bytes; null for a file
    std::int64_t size;
    std::int64_t position;
    std::string name;
    // Small reads of a file are served from here, filled a run at a time.
    std::vector<std::uint8_t> ahead{};
    std::int64_t aheadAt = 0;
    std::size_t aheadLength = 0;
};

// Per system: reads up to count bytes of the file from offset; fewer only at its end. Does not
// move the stream's position.
std::size_t ReadFileAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count);
void CloseFileHandle(InputStream& stream) noexcept;
bool IsSameFile(const InputStream& stream, const std::string& path);
