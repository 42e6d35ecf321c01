// Bank buffers and the loading of banks.
#include "PCG_readK/Banks.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "Korg_Kronos_Defs/BankNames.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Walk.h"

namespace {

// The order of WalkMemory::buffers.
constexpr ChunkId BufferIds[5] = {SDB1, SBK1, PBK1, MBK1, CBK1};
constexpr std::size_t BufferSizes[5] = {Sdb1Size, Sbk1Size, Pbk1Size, Mbk1Size, Cbk1Size};

// A walk's own buffer is made when a load must copy into it, zero as a fresh process's.
std::uint8_t* BufferFor(BankBuffer& into)
{
    if (into.buffer == nullptr) {
        into.owned.assign(into.size, 0);
        into.buffer = into.owned.data();
        into.reached = 0;
    }
    return into.buffer;
}

}   // namespace

// The bank's bytes go back to the buffer; a mapped file's bytes are let go.
void LetGoOfInPlace(BankBuffer& into) noexcept
{
    into.bytes = into.buffer;
    into.hold.reset();
}

void MakeOwnWalkMemory(WalkMemory& memory)
{
    for (std::size_t b = 0; b < std::size(memory.buffers); ++b)
        memory.buffers[b] = {nullptr, BufferSizes[b], 0, nullptr, {}, {}, true};
    memory.owned.assign(WindowSize, 0);
    memory.window = memory.owned.data();
    memory.ownKind = Kind::UNKN;
    memory.kind = &memory.ownKind;
}

BankBuffer* BankBufferOf(WalkMemory& memory, ChunkId id)
{
    for (std::size_t b = 0; b < std::size(BufferIds); ++b)
        if (BufferIds[b] == id)
            return &memory.buffers[b];
    return nullptr;
}

BankLoad LoadBank(InputStream& stream, BankBuffer& into)
{
    const std::size_t size = into.size;
    const std::int64_t offset = InputPosition(stream);
    InputHold hold;
    if (const std::uint8_t* bytes = InputBytesAt(stream, offset, size, hold)) {
        // Whole in a mapped file: left where it lies, nothing copied.
        LetGoOfInPlace(into);
        into.bytes = bytes;
        into.hold = std::move(hold);
        InputSeek(stream, static_cast<std::int64_t>(size), false);
        // It is read a run at a time through the walk's window: positional reads into memory
        // already touched cost less than a fault on every mapped page they would touch.
        return {nullptr, size, offset};
    }
    if (into.own && InputLiesNowhereWhole(stream) && offset + static_cast<std::int64_t>(size) <= InputSize(stream)) {
        // A new file made of pieces over its source: read a run at a time when it is handed on,
        // never copied whole. A later load that comes up short finds the buffer as a fresh walk's
        // (it is damage, whatever the buffer holds).
        LetGoOfInPlace(into);
        into.bytes = nullptr;
        InputSeek(stream, static_cast<std::int64_t>(size), false);
        return {nullptr, size, offset};
    }
    if (into.own) {
        // A walk's own memory reads a memory stream where it lies, for as long as the walk runs.
        if (const std::uint8_t* bytes = InputMemoryBytesAt(stream, offset, size)) {
            LetGoOfInPlace(into);
            into.bytes = bytes;
            InputSeek(stream, static_cast<std::int64_t>(size), false);
            return {bytes, size, offset};
        }
    }
    std::uint8_t* buffer = BufferFor(into);
    const std::size_t got = InputRead(stream, buffer, size);
    if (into.bytes != buffer) {
        // Past what came, the buffer shows what the last load left; only now are those bytes
        // copied in from where they lie (none: zero, as the buffer was made).
        if (into.bytes != nullptr)
            std::memcpy(buffer + got, into.bytes + got, size - got);
        LetGoOfInPlace(into);
        into.reached = size;
    }
    into.reached = std::max(into.reached, got);
    return {buffer, got, offset};
}

void VisitBank(InputStream& stream, const BankLoad& load, std::size_t recordSize, std::uint8_t* window,
               const std::function<void(const std::uint8_t* records, std::size_t first, std::size_t count)>& visit)
{
    if (load.data != nullptr) {
        visit(load.data, 0, RecordsPerBank);
        return;
    }
    const std::size_t perRun = WindowSize / recordSize;
    for (std::size_t first = 0; first < RecordsPerBank; first += perRun) {
        const std::size_t count = std::min(perRun, RecordsPerBank - first);
        const std::size_t bytes = count * recordSize;
        const std::int64_t at = load.offset + static_cast<std::int64_t>(first * recordSize);
        if (InputReadAt(stream, at, window, bytes) != bytes)
            RaiseInputShrank(stream);
        visit(window, first, count);
    }
}

std::size_t NameLength(const std::uint8_t* field)
{
    // 24 bytes: a plain loop, cheaper than a library call for every name of a listing.
    std::size_t length = 0;
    while (length < NameSize && field[length] != 0)
        ++length;
    return length;
}

BankHeader ReadBankHeaderFields(InputStream& stream)
{
    // A short read leaves the rest of the header zero; the size check then refuses the bank.
    BankHeader bank{};
    InputRead(stream, &bank, sizeof bank);
    Swap32(bank.numProgs);
    Swap32(bank.objSize);
    Swap32(bank.bankId);
    return bank;
}

bool ReadBank(InputStream& stream, const BankHeader& bank, BankBuffer& into, BankLoad& load,
              const WalkReceiver& receiver)
{
    // Computed in 64 bits: a product beyond 32 bits can never pass for a buffer size.
    const std::uint64_t bankSize = std::uint64_t{bank.objSize} * bank.numProgs;
    if (bankSize != into.size) {
        Tell(receiver, {.step = WalkStep::SizeMismatch, .count = into.size, .bank = &bank});
        return false;
    }
    load = LoadBank(stream, into);
    Tell(receiver, {.step = WalkStep::BankRead, .count = into.size});
    return load.present == into.size;
}

bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName, BankHeader& header,
                    BankLoad& load, WalkMemory& memory, const WalkReceiver& receiver)
{
    const BankHeader bank = ReadBankHeaderFields(stream);
    header = bank;
    // Only bank ids of kinds 2 and 3 come here; anything else would be taken for "MBK1".
    const BankChunkInfo* info = BankChunkOf(IdOf(chunk));
    if (info == nullptr)
        info = BankChunkOf(MBK1);
    BankBuffer& into = *BankBufferOf(memory, info->id);
    Tell(receiver, {.step = WalkStep::BankLoadStarts, .chunkId = info->id});
    load = BankLoad{};
    const bool loaded = ReadBank(stream, bank, into, load, receiver);
    bankName = ProgBankName(info->bankType, bank.bankId);
    if (receiver.note != nullptr) {
        // The bank's first name, taken from its bytes whether or not the load was made: after a
        // failure they are what an earlier bank left. A bank left where it lies in a mapped file
        // gives it by a read: touching the mapped page would cost a fault for 24 bytes.
        std::uint8_t field[NameSize] = {};
        const std::uint8_t* bytes = into.bytes != nullptr ? into.bytes : field;
        if (loaded && load.data == nullptr && InputReadAt(stream, load.offset, field, NameSize) == NameSize)
            bytes = field;
        Tell(receiver, {.step = WalkStep::BankIdentified,
                        .bank = &bank,
                        .bankName = &bankName,
                        .firstName = {reinterpret_cast<const char*>(bytes), NameLength(bytes)}});
    }
    return loaded;
}
