// The inside of one top-level chunk: set lists, program and combination banks, or a skip.
#pragma once

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Platform/Platform.h"

// header: the raw top-level header just read; kind: its kind (not 0). True: the walk goes on
// with whatever header now stands in the buffer; false: the file ends here.
bool Parse_Chunk(InputStream& stream, ChunkHeader& header, const ChunkKind& kind);

// Seeks forward by a chunk size; sizes of 2^31 and more raise std::range_error.
void SkipForward(InputStream& stream, std::uint32_t size, const char (&id)[4]);
