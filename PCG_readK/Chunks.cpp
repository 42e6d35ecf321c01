// The top-level chunk table and the fingerprints of whole chunks.
#include "PCG_readK/Chunks.h"

#include <algorithm>
#include <cstring>

#include "CRC32/CRC32.h"
#include "CRC32/CRC32_paths.h"
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace {

constexpr std::int64_t FirstChunkOffset = 16 + 12;   // file header, container header

// Reads count bytes from at and folds the fingerprint of each 32 KiB piece into one value.
std::uint32_t FingerprintOf(InputStream& stream, std::int64_t at, std::int64_t count, bool& cut)
{
    static std::uint8_t piece[MaxCrcBlock];
    std::uint32_t folded = 0xFFFFFFFFu;
    InputSeek(stream, at, true);
    cut = false;
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count, MaxCrcBlock));
        const std::size_t got = InputRead(stream, piece, want);
        const std::uint32_t crc = Crc32Of(piece, static_cast<std::int32_t>(got));
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
                                       static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
        folded = crc32::StepSliced(folded, bytes, sizeof bytes);
        if (got < want) {
            cut = true;
            break;
        }
        count -= static_cast<std::int64_t>(got);
    }
    return ~folded;
}

} // namespace

std::vector<TopLevelChunk> TopLevelChunks(InputStream& stream)
{
    std::vector<TopLevelChunk> chunks;
    const std::int64_t end = InputSize(stream);
    for (std::int64_t at = FirstChunkOffset; at + 12 <= end;) {
        ChunkHeader header{};
        InputSeek(stream, at, true);
        if (InputRead(stream, &header, sizeof header) < sizeof header)
            break;
        TopLevelChunk chunk{};
        std::memcpy(chunk.id, header.id, sizeof chunk.id);
        chunk.offset = at;
        chunk.size = Swapped(header.size);
        chunk.fingerprint = FingerprintOf(stream, at + 12, chunk.size, chunk.cut);
        chunks.push_back(chunk);
        at += 12 + static_cast<std::int64_t>(chunk.size);
    }
    InputSeek(stream, end, true);
    return chunks;
}
