// The inside of one top-level chunk: set lists, program and combination banks, or a skip.
#pragma once

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readK/Walk.h"
#include "Platform/Platform.h"

// How the top-level walk goes on after a chunk's own walk.
enum class AfterChunk {
    End,          // the file ends here
    NextHeader,   // with the header now in the buffer, the next top-level chunk's
    SameHeader,   // with the same header once more, from where the stream now stands
};

// header: the raw top-level header just read; kind: its kind (not 0). Banks are loaded into the
// walk's memory and handed to the receiver, and every step is told to it.
AfterChunk Parse_Chunk(InputStream& stream, ChunkHeader& header, const ChunkKind& kind, const WalkReceiver& receiver,
                       WalkMemory& memory);

// Seeks forward by a chunk size; sizes of 2^31 and more raise std::range_error.
void SkipForward(InputStream& stream, std::uint32_t size, const char (&id)[4]);
