// The input stream as both system sources and the common one see it; not for callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Platform/Platform.h"

struct InputStream {
    std::intptr_t handle;        // the open file (descriptor or handle); unused for memory
    const std::uint8_t* bytes;   // a memory stream's bytes; null for a file
    std::int64_t size;
    std::int64_t position;
    std::string name;
};

// Per system: reads up to count bytes of the file from the stream's position; fewer only at
// its end. Does not move the position.
std::size_t ReadFileAt(InputStream& stream, void* buffer, std::size_t count);
void CloseFileHandle(InputStream& stream) noexcept;
bool IsSameFile(const InputStream& stream, const std::string& path);
