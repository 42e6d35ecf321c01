// Second-level walk of set-list, program and combination chunks; other kinds are skipped.
#include "PCG_readK/Parse_Chunk.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "Output/Output.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/ListBank.h"

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
    std::string id;       // id text of the top-level header
    std::uint32_t size;   // top-level size
    std::int32_t entry;   // stream position at entry
};

// A loaded bank goes to the receiver, a part at a time; a mapped file that shrank meanwhile read
// as zeros, and what was made of it is not the file's.
void HandOn(const ChunkWalk& walk, ChunkId id, const BankLoad& load, std::size_t recordSize, std::size_t size,
            const std::string& bankName)
{
    if (walk.receiver.bank == nullptr)
        return;
    VisitBank(walk.stream, load, recordSize, [&](const std::uint8_t* records, std::size_t first, std::size_t count) {
        walk.receiver.bank(walk.receiver.context,
                           BankMet{id, walk.kind, bankName, records, first, count, size, load.present, load.offset});
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
        LogLine("End Of File encountered");
        return false;
    }
    return true;
}

// After a second-level id the walk does not know: hand back a top-level header, or go back to
// the entry position and skip the whole top-level chunk from there.
// walkName: "SLS1" or "PRG1/CMB1", for the skip line.
AfterChunk FinishUnknown(ChunkWalk& walk, const ChunkHeader& second, const char* walkName)
{
    const std::string id = IdText(second.id);
    // With a top-level size of 0 the skip would not move the stream and the caller would come
    // back here for ever; the header just read then belongs to the next top-level chunk.
    if (IsTopLevelId(IdOf(second)) || walk.size == 0) {
        LogLine("Current chunk is %s: Start Next L2 Chunk Here.....", id.c_str());
        std::memcpy(&walk.header, &second, sizeof second);
        LogLine("Exit Parse_chunk.");
        return AfterChunk::NextHeader;
    }
    const std::int32_t position = Position32(walk.stream);
    LogLine("Seek back to previous. File Position now: %d (0x%X)", position, static_cast<std::uint32_t>(position));
    InputSeek(walk.stream, walk.entry, true);
    LogLine("End of Parse_chunk - %s, skipping ahead %d (%X) from position %d (%X)", walkName,
            static_cast<std::int32_t>(walk.size), walk.size, walk.entry, static_cast<std::uint32_t>(walk.entry));
    SkipForward(walk.stream, walk.size, walk.header.id);
    LogLine("Exit Parse_chunk.");
    return AfterChunk::SameHeader;
}

AfterChunk WalkSetLists(ChunkWalk& walk)
{
    LogLine("Parse_chunk - SLS1: ");
    for (;;) {
        ChunkHeader second{};
        if (!ReadSecondLevel(walk, second))
            return AfterChunk::End;
        const std::uint32_t size = Swapped(second.size);
        const std::uint32_t parm2 = Swapped(second.parm2);
        const std::string id = IdText(second.id);
        LogLine("Reading contents of SLS type chunk (%s) of size %d (%X), Parm2: %d (%X)", id.c_str(),
                static_cast<std::int32_t>(size), size, static_cast<std::int32_t>(parm2), parm2);
        const ChunkId secondId = IdOf(second);
        if (secondId == SLD1 || secondId == STL1) {
            // Their contents are read as further second-level headers.
            LogLine(" Parsing SLS1 ---- skipping %s", id.c_str());
        } else if (secondId == SDB1 || secondId == SBK1) {
            const BankHeader bank = ReadBankHeaderFields(walk.stream);
            LogLine("       Bank Header: #progs: %d, ObjSize %d, BankID: %d", static_cast<std::int32_t>(bank.numProgs),
                    static_cast<std::int32_t>(bank.objSize), static_cast<std::int32_t>(bank.bankId));
            // Filled to their fixed size whatever the headers say; a short read keeps old bytes.
            const bool isSdb1 = secondId == SDB1;
            std::uint8_t* buffer = isSdb1 ? Sdb1Buffer : Sbk1Buffer;
            const std::size_t bytes = isSdb1 ? Sdb1Size : Sbk1Size;
            const BankLoad load = LoadBank(walk.stream, buffer, bytes);
            LogLine("Reading %s data: %zu (0x%zX) bytes", id.c_str(), bytes, bytes);
            if (!isSdb1)
                HandOn(walk, SBK1, load, SetListSize, bytes, std::string());
        } else {
            LogLine("%s: SLS1 L2 Parse: Not a known chunk in %.4s type. File Position: %d of %lld", id.c_str(),
                    ChunkKindName(walk.kind).data(), walk.entry, static_cast<long long>(InputSize(walk.stream)));
            return FinishUnknown(walk, second, "SLS1");
        }
    }
}

AfterChunk WalkBanks(ChunkWalk& walk)
{
    for (;;) {
        LogLine("Reading inside L2 chunk (%s) of size %d (%X) at File Position: %d (0x%X)", walk.id.c_str(),
                static_cast<std::int32_t>(walk.size), walk.size, walk.entry, static_cast<std::uint32_t>(walk.entry));
        ChunkHeader second{};
        if (!ReadSecondLevel(walk, second))
            return AfterChunk::End;
        const std::uint32_t size = Swapped(second.size);
        const ChunkId secondId = IdOf(second);
        const std::string id = IdText(second.id);
        if (IsBankIdOf(walk.kind, secondId)) {
            LogLine("       Name: %s  Size: %u", id.c_str(), size);
            std::string bankName;
            BankLoad load{};
            if (!ReadBankHeader(walk.stream, second, bankName, &load)) {
                if (walk.receiver.bankNotLoaded != nullptr)
                    walk.receiver.bankNotLoaded(walk.receiver.context, secondId, bankName);
                LogLine("Exit Parse_chunk.");
                return AfterChunk::End;
            }
            const BankChunkInfo* info = BankChunkOf(secondId);
            HandOn(walk, secondId, load, info->recordSize, info->bankSize, bankName);
        } else {
            LogLine("%s: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type %d. Current File Position: %d (%X)",
                    id.c_str(), walk.kind, walk.entry, static_cast<std::uint32_t>(walk.entry));
            return FinishUnknown(walk, second, "PRG1/CMB1");
        }
    }
}

// Kinds without a second-level walk: pass over the body, read the next header into the buffer.
AfterChunk SkipOtherKind(ChunkWalk& walk)
{
    LogLine("Other type Parse_chunk - %s, skipping ahead %d (%X) from position %d (%X)", walk.id.c_str(),
            static_cast<std::int32_t>(walk.size), walk.size, walk.entry, static_cast<std::uint32_t>(walk.entry));
    SkipForward(walk.stream, walk.size, walk.header.id);
    const bool more = InputRead(walk.stream, &walk.header, sizeof walk.header) == sizeof walk.header;
    LogLine("Exit Parse_chunk.");
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

AfterChunk WalkChunk(InputStream& stream, ChunkHeader& header, ChunkKind kind, const WalkReceiver& receiver)
{
    ChunkWalk walk{stream, header, kind, receiver, IdText(header.id), Swapped(header.size), Position32(stream)};
    switch (kind) {
    case Kind::SLS1: return WalkSetLists(walk);
    case Kind::PRG1:
    case Kind::CMB1: return WalkBanks(walk);
    default: return SkipOtherKind(walk);
    }
}

bool Parse_Chunk(InputStream& stream, ChunkHeader& header, const ChunkKind& kind)
{
    return WalkChunk(stream, header, kind, ListingReceiver()) != AfterChunk::End;
}
