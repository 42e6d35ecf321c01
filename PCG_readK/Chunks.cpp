// The top-level chunk table and the fingerprints of whole chunks.
#include "PCG_readK/Chunks.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "CRC32/CRC32.h"
#include "CRC32/CRC32_paths.h"
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace {

constexpr std::int64_t FirstChunkOffset = 16 + 12;   // file header, container header

// Reads count bytes from at, a large run at a time, and folds the fingerprint of each 32 KiB
// piece into one value.
std::uint32_t ChunkFingerprint(InputStream& stream, std::int64_t at, std::int64_t count, bool& cut)
{
    constexpr std::size_t RunSize = std::size_t{32} * MaxCrcBlock;   // 1 MiB
    static std::vector<std::uint8_t> run(RunSize);
    std::uint32_t folded = 0xFFFFFFFFu;
    InputSeek(stream, at, true);
    cut = false;
    while (count > 0 && !cut) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count, RunSize));
        const std::size_t got = InputRead(stream, run.data(), want);
        cut = got < want;
        for (std::size_t piece = 0; piece < got; piece += MaxCrcBlock) {
            const std::size_t length = std::min<std::size_t>(MaxCrcBlock, got - piece);
            const std::uint32_t crc = Crc32Of(run.data() + piece, static_cast<std::int32_t>(length));
            const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
                                           static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
            folded = crc32::StepSliced(folded, bytes, sizeof bytes);
        }
        count -= static_cast<std::int64_t>(got);
    }
    return ~folded;
}

}   // namespace

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
        chunk.fingerprint = ChunkFingerprint(stream, at + 12, chunk.size, chunk.cut);
        chunks.push_back(chunk);
        at += 12 + static_cast<std::int64_t>(chunk.size);
    }
    InputSeek(stream, end, true);
    return chunks;
}
