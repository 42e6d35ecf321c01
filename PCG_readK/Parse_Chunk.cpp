// Second-level walk of set-list, program and combination chunks; other kinds are skipped.
#include "PCG_readK/Parse_Chunk.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "PCG_readK/Banks.h"

namespace {

constexpr std::int64_t MaxSeekOffset = std::numeric_limits<std::int32_t>::max();

// Positions are shown and sought as signed 32-bit numbers.
std::int32_t Position32(const InputStream& stream)
{
    const std::int64_t position = InputPosition(stream);
    if (position > MaxSeekOffset)
        throw std::range_error("file position " + std::to_string(position) + " is beyond 2147483647");
    return static_cast<std::int32_t>(position);
}

struct ChunkWalk {
    InputStream& stream;
    ChunkHeader& header;   // the caller's top-level header, raw
    ChunkKind kind;
    const WalkReceiver& receiver;
    WalkMemory& memory;
    std::string id;       // id text of the top-level header
    std::uint32_t size;   // top-level size
    std::int32_t entry;   // stream position at entry
};

// A loaded bank goes to the receiver, a part at a time; a mapped file that shrank meanwhile read
// as zeros, and what was made of it is not the file's.
void HandOn(const ChunkWalk& walk, ChunkId id, const BankLoad& load, std::size_t recordSize, std::size_t size,
            const std::string& bankName, const BankHeader& header, const ChunkHeader& chunk)
{
    if (walk.receiver.bank == nullptr)
        return;
    VisitBank(walk.stream, load, recordSize, walk.memory.window,
              [&](const std::uint8_t* records, std::size_t first, std::size_t count) {
                  walk.receiver.bank(walk.receiver.context,
                                     BankMet{id, walk.kind, bankName, header.bankId, records, first, count, size,
                                             load.present, load.offset, header.numProgs, header.objSize,
                                             Swapped(chunk.size)});
              });
    if (MappedInputShrank())
        RaiseInputShrank(walk.stream);
}

// Reads a second-level header; false (after "End Of File encountered") when the data ran out:
// fewer than 12 bytes, or a header whose last byte is the stream's last.
bool ReadSecondLevel(ChunkWalk& walk, ChunkHeader& second)
{
    const std::size_t got = InputRead(walk.stream, &second, sizeof second);
    if (got < sizeof second || InputPosition(walk.stream) >= InputSize(walk.stream)) {
        Tell(walk.receiver, {.step = WalkStep::EndOfData});
        return false;
    }
    return true;
}

// After a second-level id the walk does not know: hand back a top-level header, or go back to
// the entry position and skip the whole top-level chunk from there.
// walkName: "SLS1" or "PRG1/CMB1", for the skip line.
AfterChunk FinishUnknown(ChunkWalk& walk, const ChunkHeader& second, const char* walkName)
{
    // With a top-level size of 0 the skip would not move the stream and the caller would come
    // back here for ever; the header just read then belongs to the next top-level chunk.
    if (IsTopLevelId(IdOf(second)) || walk.size == 0) {
        Tell(walk.receiver, {.step = WalkStep::HandedBack, .id = IdText(second.id)});
        std::memcpy(&walk.header, &second, sizeof second);
        Tell(walk.receiver, {.step = WalkStep::ChunkLeft});
        return AfterChunk::NextHeader;
    }
    Tell(walk.receiver, {.step = WalkStep::SeekBack, .position = Position32(walk.stream)});
    InputSeek(walk.stream, walk.entry, true);
    Tell(walk.receiver,
         {.step = WalkStep::SkippedAhead, .size = walk.size, .position = walk.entry, .walkName = walkName});
    SkipForward(walk.stream, walk.size, walk.header.id);
    Tell(walk.receiver, {.step = WalkStep::ChunkLeft});
    return AfterChunk::SameHeader;
}

AfterChunk WalkSetLists(ChunkWalk& walk)
{
    Tell(walk.receiver, {.step = WalkStep::SetListsStart});
    for (;;) {
        ChunkHeader second{};
        if (!ReadSecondLevel(walk, second))
            return AfterChunk::End;
        const std::string id = IdText(second.id);
        Tell(walk.receiver,
             {.step = WalkStep::SetListPart, .id = id, .size = Swapped(second.size), .parm2 = Swapped(second.parm2)});
        const ChunkId secondId = IdOf(second);
        if (secondId == SLD1 || secondId == STL1) {
            // Their contents are read as further second-level headers.
            Tell(walk.receiver, {.step = WalkStep::PassingInto, .id = id});
        } else if (secondId == SDB1 || secondId == SBK1) {
            const BankHeader bank = ReadBankHeaderFields(walk.stream);
            Tell(walk.receiver, {.step = WalkStep::SetListBankHeader, .bank = &bank});
            // Filled to their fixed size whatever the headers say; a short read keeps old bytes.
            BankBuffer& into = *BankBufferOf(walk.memory, secondId);
            const BankLoad load = LoadBank(walk.stream, into);
            Tell(walk.receiver, {.step = WalkStep::SetListDataRead, .id = id, .count = into.size});
            if (secondId == SBK1)
                HandOn(walk, SBK1, load, SetListSize, into.size, std::string(), bank, second);
            else if (walk.receiver.data != nullptr)
                walk.receiver.data(walk.receiver.context, secondId, load.offset, load.present);
        } else {
            Tell(walk.receiver, {.step = WalkStep::UnknownInSetLists,
                                 .id = id,
                                 .position = walk.entry,
                                 .fileSize = InputSize(walk.stream),
                                 .kind = walk.kind});
            return FinishUnknown(walk, second, "SLS1");
        }
    }
}

AfterChunk WalkBanks(ChunkWalk& walk)
{
    for (;;) {
        Tell(walk.receiver,
             {.step = WalkStep::ReadingInside, .id = walk.id, .size = walk.size, .position = walk.entry});
        ChunkHeader second{};
        if (!ReadSecondLevel(walk, second))
            return AfterChunk::End;
        const ChunkId secondId = IdOf(second);
        const std::string id = IdText(second.id);
        if (IsBankIdOf(walk.kind, secondId)) {
            Tell(walk.receiver, {.step = WalkStep::BankChunk, .id = id, .size = Swapped(second.size)});
            std::string bankName;
            BankHeader header{};
            BankLoad load{};
            if (!ReadBankHeader(walk.stream, second, bankName, header, load, walk.memory, walk.receiver)) {
                if (walk.receiver.bankNotLoaded != nullptr)
                    walk.receiver.bankNotLoaded(walk.receiver.context, secondId, bankName);
                Tell(walk.receiver, {.step = WalkStep::ChunkLeft});
                return AfterChunk::End;
            }
            const BankChunkInfo* info = BankChunkOf(secondId);
            HandOn(walk, secondId, load, info->recordSize, info->bankSize, bankName, header, second);
        } else {
            Tell(walk.receiver,
                 {.step = WalkStep::UnknownInBanks, .id = id, .position = walk.entry, .kind = walk.kind});
            return FinishUnknown(walk, second, "PRG1/CMB1");
        }
    }
}

// Kinds without a second-level walk: pass over the body, read the next header into the buffer.
AfterChunk SkipOtherKind(ChunkWalk& walk)
{
    Tell(walk.receiver, {.step = WalkStep::OtherKindSkipped, .id = walk.id, .size = walk.size, .position = walk.entry});
    SkipForward(walk.stream, walk.size, walk.header.id);
    const bool more = InputRead(walk.stream, &walk.header, sizeof walk.header) == sizeof walk.header;
    Tell(walk.receiver, {.step = WalkStep::ChunkLeft});
    return more ? AfterChunk::NextHeader : AfterChunk::End;
}

}   // namespace

void SkipForward(InputStream& stream, std::uint32_t size, const char (&id)[4])
{
    if (size > MaxSeekOffset)
        throw std::range_error("size " + std::to_string(size) + " of chunk " + IdText(id) +
                               " is beyond 2147483647, too far to seek");
    InputSeek(stream, size, false);
}

AfterChunk Parse_Chunk(InputStream& stream, ChunkHeader& header, const ChunkKind& kind, const WalkReceiver& receiver,
                       WalkMemory& memory)
{
    ChunkWalk walk{stream, header, kind, receiver, memory, IdText(header.id), Swapped(header.size), Position32(stream)};
    switch (kind) {
    case Kind::SLS1: return WalkSetLists(walk);
    case Kind::PRG1:
    case Kind::CMB1: return WalkBanks(walk);
    default: return SkipOtherKind(walk);
    }
}
