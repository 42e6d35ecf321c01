// The table of contents of a PCG file: every top-level chunk after the container, with a
// fingerprint of its bytes, those that the listings pass over included.
#pragma once

#include <cstdint>
#include <vector>

#include "Platform/Platform.h"

struct TopLevelChunk {
    char id[4];
    std::int64_t offset;         // of its 12-byte header
    std::uint32_t size;          // data bytes after the header, as the header says
    std::uint32_t fingerprint;   // of the data bytes present
    bool cut;                    // the file ends before the data does
};

// Walks the chunks back to back by their sizes from offset 28 to the end of the file; a header
// cut short ends the table. The fingerprint folds the Crc32Of of each 32 KiB piece of the data
// into one value, so that equal bytes give equal fingerprints. Leaves the stream at its end.
std::vector<TopLevelChunk> TopLevelChunks(InputStream& stream);
