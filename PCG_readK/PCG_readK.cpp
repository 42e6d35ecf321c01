// File header checks and the top-level walk.
#include "PCG_readK/PCG_readK.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "Output/Output.h"
#include "PCG_readK/ListBank.h"
#include "PCG_readK/Parse_Chunk.h"
#include "PCG_readK/Walk.h"

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

// Points the log nowhere for a walk whose receiver does not want it, and back after.
void RestoreLog(LogTarget* target) noexcept { LogTo(*target); }

// Logs and passes over one chunk whose header is in the buffer, then reads the next header into
// it; true when a whole header came.
bool SkipChunk(InputStream& stream, ChunkHeader& header, std::uint8_t (&dump)[DumpedChunkSize])
{
    const std::string id = IdText(header.id);
    const std::uint32_t size = Swapped(header.size);
    LogLine("   Name: %s  Size: %d (0x%X)", id.c_str(), static_cast<std::int32_t>(size), size);
    LogLine("L2: Skipping over %s chunk. ", id.c_str());
    // The one place a header is changed in memory: the next read overwrites it at once, so
    // nothing else ever sees its size in host order.
    Swap32(header.size);
    if (header.size == DumpedChunkSize) {
        // The read consumes the chunk's data; a short one dumps what the buffer holds.
        InputRead(stream, dump, sizeof dump);
        for (const std::uint8_t byte : dump)
            LogPiece("%2.2X ", byte);
        LogLineEnd();
        for (std::size_t i = 0; i < sizeof dump; i += 4) {
            const std::uint32_t word = std::uint32_t{dump[i]} << 24 | std::uint32_t{dump[i + 1]} << 16 |
                                       std::uint32_t{dump[i + 2]} << 8 | dump[i + 3];
            LogPiece("  %8.8X  ", word);
        }
        LogLineEnd();
    } else {
        SkipForward(stream, header.size, header.id);
        LogPiece("Seeking  %d (%X) bytes", static_cast<std::int32_t>(header.size), header.size);
    }
    const bool whole = InputRead(stream, &header, sizeof header) == sizeof header;
    // At the end of the file this still names the chunk just skipped.
    LogLine(" --  Next:  %s ", IdText(header.id).c_str());
    return whole;
}

void WalkFile(InputStream& stream, bool topLevelOnly, const WalkReceiver& receiver)
{
    PcgFileHeader fileHeader{};
    ChunkHeader container{};
    ChunkHeader header{};
    std::uint8_t dump[DumpedChunkSize] = {};

    const std::size_t headerBytes = InputRead(stream, &fileHeader, sizeof fileHeader);
    ChunkId magic = 0;
    std::memcpy(&magic, fileHeader.magic, sizeof magic);
    if (headerBytes < sizeof fileHeader || magic != KORG || fileHeader.mustBeZero != 0) {
        LogLine("PCG file does not have a valid KORG header.");
        Refused(receiver, HeaderRefusal::NoKorgHeader);
        return;
    }
    if (fileHeader.formatCode != TritonFormat && fileHeader.formatCode != KronosFormat) {
        LogLine("This PCG is not in Triton or Kronos format, so can't read it.");
        Refused(receiver, HeaderRefusal::UnknownFormat);
        return;
    }

    const std::size_t containerBytes = InputRead(stream, &container, sizeof container);
    const std::uint32_t containerSize = Swapped(container.size);
    LogLine("PCGChunk PCG1:   Name: %s  Size: %d (0x%X)", IdText(container.id).c_str(),
            static_cast<std::int32_t>(containerSize), containerSize);
    if (IdOf(container) != PCG1 || containerBytes < sizeof container) {
        LogLine("PCG file does not have a valid PCG header.");
        Refused(receiver, HeaderRefusal::NoContainer);
        return;
    }
    if (receiver.accepted != nullptr)
        receiver.accepted(receiver.context, fileHeader.formatCode, containerSize);
    LogLine(" Start 2nd level parsing...");

    // Each round classifies the header in the buffer: chunks of kind 0 (all of them with
    // topLevelOnly) are skipped here, the others handed to Parse_Chunk. When the chunk's walk
    // goes on, the buffer holds the header to classify next and no new one is read: a header
    // the walk has not met before, or the same one once more, to go on from where it left off.
    bool whole = InputRead(stream, &header, sizeof header) == sizeof header;
    bool fresh = true;
    for (;;) {
        if (whole && fresh)
            Met(receiver, stream, header);
        currentKind = ChunkKindOf(IdOf(header));
        while (whole && (topLevelOnly || currentKind == Kind::UNKN)) {
            whole = SkipChunk(stream, header, dump);
            if (whole)
                Met(receiver, stream, header);
            currentKind = ChunkKindOf(IdOf(header));
        }
        if (!whole) {
            LogLine(" File contains no more programs.");
            return;
        }
        LogLine("Enter Parse_Chunk with %s", IdText(header.id).c_str());
        const AfterChunk after = WalkChunk(stream, header, currentKind, receiver);
        if (after == AfterChunk::End)
            return;
        fresh = after == AfterChunk::NextHeader;
    }
}

}   // namespace

void WalkPCG(InputStream& input, const WalkReceiver& receiver, bool topLevelOnly)
{
    LogTarget logWas = CurrentLog();
    std::unique_ptr<LogTarget, decltype(&RestoreLog)> restore(nullptr, &RestoreLog);
    if (!receiver.logged) {
        LogToNowhere();
        restore.reset(&logWas);
    }
    MappedInputShrank();   // a notice from an earlier input is no news of this one
    WalkFile(input, topLevelOnly, receiver);
    if (MappedInputShrank())
        RaiseInputShrank(input);
}

void ReadPCG(InputStream& stream, bool topLevelOnly, const std::string& reportFileName)
{
    OpenListings(stream, reportFileName);
    std::unique_ptr<Listing, decltype(&CloseOpenListings)> guard(&ReportFile, &CloseOpenListings);
    try {
        WalkPCG(stream, ListingReceiver(), topLevelOnly);
    } catch (const InputShrankError&) {
        // Listings made from bytes that were no longer the file's are never put in place.
        DiscardListings();
        throw;
    }
    // Normal end: each close may raise; the guard then closes what is still open.
    CloseListings();
}
