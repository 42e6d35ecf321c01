// Chunk kinds, their names and the id classification.
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

#include <stdexcept>

ChunkKind currentKind = 0;

namespace {

// Nine four-byte names without terminators, indexed by kind.
constexpr char KindNames[MaxChunkKind + 1][4] = {
    {'U', 'N', 'K', 'N'}, {'S', 'L', 'S', '1'}, {'P', 'R', 'G', '1'}, {'C', 'M', 'B', '1'}, {'D', 'K', 'T', '1'},
    {'W', 'S', 'Q', '1'}, {'A', 'R', 'P', '1'}, {'G', 'L', 'B', '1'}, {'C', 'S', 'M', '1'},
};

} // namespace

std::string_view ChunkKindName(ChunkKind kind)
{
    if (kind > MaxChunkKind)
        throw std::range_error("chunk kind " + std::to_string(kind) + " has no name");
    return {KindNames[kind], 4};
}

bool IsTopLevelId(ChunkId id)
{
    return id == SLS1 || id == PRG1 || id == CMB1 || id == DKT1 || id == ARP1 || id == WSQ1 || id == GLB1;
}

ChunkKind ChunkKindOf(ChunkId id)
{
    switch (id) {
    case SLS1: return 1;
    case PRG1: return 2;
    case CMB1: return 3;
    case DKT1: return 4;
    case ARP1: return 6;
    case GLB1: return 7;
    default: return 0;   // "WSQ1" too: the top-level walk skips it
    }
}

bool IsBankIdOf(ChunkKind kind, ChunkId id)
{
    switch (kind) {
    case 2: return id == PBK1 || id == MBK1;
    case 3: return id == CBK1;
    case 4: return id == DBK1;
    case 6: return id == ABK1;
    default: return false;
    }
}

std::string IdText(const char (&id)[4])
{
    std::size_t length = 0;
    while (length < 4 && id[length] != '\0')
        ++length;
    return {id, length};
}
