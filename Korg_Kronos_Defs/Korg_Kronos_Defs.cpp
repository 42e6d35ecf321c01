// Chunk kinds, their names and the id classification.
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

#include <stdexcept>

namespace {

// Nine four-byte names without terminators, indexed by kind.
constexpr char KindNames[MaxChunkKind + 1][4] = {
    {'U', 'N', 'K', 'N'}, {'S', 'L', 'S', '1'}, {'P', 'R', 'G', '1'}, {'C', 'M', 'B', '1'}, {'D', 'K', 'T', '1'},
    {'W', 'S', 'Q', '1'}, {'A', 'R', 'P', '1'}, {'G', 'L', 'B', '1'}, {'C', 'S', 'M', '1'},
};

}   // namespace

std::string_view ChunkKindName(ChunkKind kind)
{
    if (kind > MaxChunkKind)
        throw std::range_error("chunk kind " + std::to_string(kind) + " has no name");
    return {KindNames[kind], 4};
}

std::string IdText(const char (&id)[4])
{
    std::size_t length = 0;
    while (length < 4 && id[length] != '\0')
        ++length;
    return {id, length};
}

std::string IdText(ChunkId id)
{
    char raw[4];
    std::memcpy(raw, &id, sizeof raw);
    return IdText(raw);
}
