// The file header checks and the top-level walk, each step told to the receiver.
#include "PCG_readK/Walk.h"

#include <cstring>

#include "PCG_readK/Parse_Chunk.h"

namespace {

constexpr std::uint32_t DumpedChunkSize = 44;   // skipped chunks of this size are shown in hex

void Refused(const WalkReceiver& receiver, HeaderRefusal refusal)
{
    if (receiver.refused != nullptr)
        receiver.refused(receiver.context, refusal);
}

// Tells the receiver of the top-level header that stands in the buffer, just read.
void Met(const WalkReceiver& receiver, const InputStream& stream, const ChunkHeader& header)
{
    if (receiver.chunk == nullptr)
        return;
    ChunkMet chunk{};
    std::memcpy(chunk.id, header.id, sizeof chunk.id);
    chunk.offset = InputPosition(stream) - static_cast<std::int64_t>(sizeof header);
    chunk.size = Swapped(header.size);
    chunk.cut = chunk.offset + static_cast<std::int64_t>(sizeof header) + chunk.size > InputSize(stream);
    receiver.chunk(receiver.context, chunk);
}

// Passes over one chunk whose header is in the buffer, then reads the next header into it; true
// when a whole header came.
bool SkipChunk(InputStream& stream, ChunkHeader& header, std::uint8_t (&dump)[DumpedChunkSize],
               const WalkReceiver& receiver)
{
    Tell(receiver, {.step = WalkStep::Skipping, .id = IdText(header.id), .size = Swapped(header.size)});
    // The one place a header is changed in memory: the next read overwrites it at once, so
    // nothing else ever sees its size in host order.
    Swap32(header.size);
    if (header.size == DumpedChunkSize) {
        // The read consumes the chunk's data; a short one dumps what the buffer holds.
        InputRead(stream, dump, sizeof dump);
        Tell(receiver, {.step = WalkStep::Dumped, .count = sizeof dump, .bytes = dump});
    } else {
        SkipForward(stream, header.size, header.id);
        Tell(receiver, {.step = WalkStep::SoughtPast, .size = header.size});
    }
    const bool whole = InputRead(stream, &header, sizeof header) == sizeof header;
    // At the end of the file this still names the chunk just skipped.
    Tell(receiver, {.step = WalkStep::Next, .id = IdText(header.id)});
    return whole;
}

void WalkFile(InputStream& stream, bool topLevelOnly, const WalkReceiver& receiver, WalkMemory& memory)
{
    PcgFileHeader fileHeader{};
    ChunkHeader container{};
    ChunkHeader header{};
    std::uint8_t dump[DumpedChunkSize] = {};

    const std::size_t headerBytes = InputRead(stream, &fileHeader, sizeof fileHeader);
    ChunkId magic = 0;
    std::memcpy(&magic, fileHeader.magic, sizeof magic);
    if (headerBytes < sizeof fileHeader || magic != KORG || fileHeader.mustBeZero != 0) {
        Tell(receiver, {.step = WalkStep::KorgHeaderRefused});
        Refused(receiver, HeaderRefusal::NoKorgHeader);
        return;
    }
    if (fileHeader.formatCode != TritonFormat && fileHeader.formatCode != KronosFormat) {
        Tell(receiver, {.step = WalkStep::FormatRefused});
        Refused(receiver, HeaderRefusal::UnknownFormat);
        return;
    }

    const std::size_t containerBytes = InputRead(stream, &container, sizeof container);
    const std::uint32_t containerSize = Swapped(container.size);
    Tell(receiver, {.step = WalkStep::Container, .id = IdText(container.id), .size = containerSize});
    if (IdOf(container) != PCG1 || containerBytes < sizeof container) {
        Tell(receiver, {.step = WalkStep::ContainerRefused});
        Refused(receiver, HeaderRefusal::NoContainer);
        return;
    }
    if (receiver.accepted != nullptr)
        receiver.accepted(receiver.context, fileHeader.formatCode, containerSize);
    Tell(receiver, {.step = WalkStep::WalkStarts});

    // Each round classifies the header in the buffer: chunks of kind 0 (all of them with
    // topLevelOnly) are skipped here, the others handed to Parse_Chunk. When the chunk's walk
    // goes on, the buffer holds the header to classify next and no new one is read: a header
    // the walk has not met before, or the same one once more, to go on from where it left off.
    ChunkKind& kind = *memory.kind;
    bool whole = InputRead(stream, &header, sizeof header) == sizeof header;
    bool fresh = true;
    for (;;) {
        if (whole && fresh)
            Met(receiver, stream, header);
        kind = ChunkKindOf(IdOf(header));
        while (whole && (topLevelOnly || kind == Kind::UNKN)) {
            whole = SkipChunk(stream, header, dump, receiver);
            if (whole)
                Met(receiver, stream, header);
            kind = ChunkKindOf(IdOf(header));
        }
        if (!whole) {
            Tell(receiver, {.step = WalkStep::NoMoreChunks});
            return;
        }
        Tell(receiver, {.step = WalkStep::EnterChunk, .id = IdText(header.id)});
        const AfterChunk after = Parse_Chunk(stream, header, kind, receiver, memory);
        if (after == AfterChunk::End)
            return;
        fresh = after == AfterChunk::NextHeader;
    }
}

}   // namespace

void WalkPCG(InputStream& input, const WalkReceiver& receiver, WalkMemory& memory, bool topLevelOnly)
{
    MappedInputShrank();   // a notice from an earlier input is no news of this one
    WalkFile(input, topLevelOnly, receiver, memory);
    if (MappedInputShrank())
        RaiseInputShrank(input);
}
