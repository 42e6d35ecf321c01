// Bank buffers and the loading of program and combination banks.
#include "PCG_readK/Banks.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "Korg_Kronos_Defs/BankNames.h"
#include "Output/Output.h"
#include "PCG_readK/DecodeSlot.h"
#include "StStrL/StStrL.h"

// Aligned to large pages, so that where the system offers them a bank load faults in a few
// large pages instead of thousands of small ones.
alignas(LargeBufferAlignment) std::uint8_t Sdb1Buffer[Sdb1Size];
alignas(LargeBufferAlignment) std::uint8_t Sbk1Buffer[Sbk1Size];
alignas(LargeBufferAlignment) std::uint8_t Pbk1Buffer[Pbk1Size];
alignas(LargeBufferAlignment) std::uint8_t Mbk1Buffer[Mbk1Size];
alignas(LargeBufferAlignment) std::uint8_t Cbk1Buffer[Cbk1Size];

namespace {

// What a bank's listing reads: the bytes its last load left. They lie where that load found them
// whole in a mapped file (held mapped as long as they may be read), or in the buffer.
struct BufferExtent {
    std::uint8_t* buffer;
    std::size_t size;
    std::size_t reached;         // bytes of the buffer from its start that a load wrote since the last reset
    const std::uint8_t* bytes;   // the last load's bytes: the buffer, or where they lie mapped
    InputHold hold;              // keeps mapped bytes mapped
};

BufferExtent Buffers[] = {{Sdb1Buffer, Sdb1Size, 0, Sdb1Buffer, {}},
                          {Sbk1Buffer, Sbk1Size, 0, Sbk1Buffer, {}},
                          {Pbk1Buffer, Pbk1Size, 0, Pbk1Buffer, {}},
                          {Mbk1Buffer, Mbk1Size, 0, Mbk1Buffer, {}},
                          {Cbk1Buffer, Cbk1Size, 0, Cbk1Buffer, {}}};

BufferExtent& ExtentOf(const std::uint8_t* buffer)
{
    for (BufferExtent& extent : Buffers)
        if (extent.buffer == buffer)
            return extent;
    throw std::logic_error("no bank buffer there");
}

// The bank's bytes go back to the buffer; a mapped file's bytes are let go.
void LetGoOfMapped(BufferExtent& extent) noexcept
{
    extent.bytes = extent.buffer;
    extent.hold.reset();
}

// Banks read from a file pass through here a run of records at a time: small enough to stay in
// the processor's cache between its read and its listing.
constexpr std::size_t WindowSize = std::size_t{1} << 18;
alignas(4096) std::uint8_t Window[WindowSize];

}   // namespace

void PrepareBankBuffers()
{
    AdviseLargePages(Sdb1Buffer, Sdb1Size);
    AdviseLargePages(Sbk1Buffer, Sbk1Size);
    AdviseLargePages(Pbk1Buffer, Pbk1Size);
    AdviseLargePages(Mbk1Buffer, Mbk1Size);
    AdviseLargePages(Cbk1Buffer, Cbk1Size);
}

void ResetReaderState()
{
    for (BufferExtent& extent : Buffers) {
        LetGoOfMapped(extent);
        std::memset(extent.buffer, 0, extent.reached);
        extent.reached = 0;
    }
    SlotInfo = SlotAttributes{};
    currentKind = Kind::UNKN;
}

BankLoad LoadBank(InputStream& stream, std::uint8_t* buffer, std::size_t size)
{
    BufferExtent& extent = ExtentOf(buffer);
    const std::int64_t offset = InputPosition(stream);
    InputHold hold;
    if (const std::uint8_t* bytes = InputBytesAt(stream, offset, size, hold)) {
        // Whole in a mapped file: left where it lies, nothing copied.
        LetGoOfMapped(extent);
        extent.bytes = bytes;
        extent.hold = std::move(hold);
        InputSeek(stream, static_cast<std::int64_t>(size), false);
        return {nullptr, size, offset};
    }
    const std::size_t got = InputRead(stream, buffer, size);
    if (extent.bytes != buffer) {
        // Past what came, the buffer shows what the last load left; only now are those bytes
        // copied in from where they lie.
        std::memcpy(buffer + got, extent.bytes + got, size - got);
        LetGoOfMapped(extent);
        extent.reached = size;
    }
    extent.reached = std::max(extent.reached, got);
    return {buffer, got, offset};
}

void VisitBank(InputStream& stream, const BankLoad& load, std::size_t recordSize,
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
        if (InputReadAt(stream, at, Window, bytes) != bytes)
            RaiseInputShrank(stream);
        visit(Window, first, count);
    }
}

const std::uint8_t* BankBytesOf(const std::uint8_t* buffer) { return ExtentOf(buffer).bytes; }

std::uint8_t* BankBufferOf(ChunkId id)
{
    switch (id) {
    case PBK1: return Pbk1Buffer;
    case MBK1: return Mbk1Buffer;
    case CBK1: return Cbk1Buffer;
    default: return nullptr;
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

bool ReadBank(InputStream& stream, const BankHeader& bank, std::uint8_t* dest, std::size_t destSize, BankLoad* load)
{
    // Computed in 64 bits: a product beyond 32 bits can never pass for a buffer size.
    const std::uint64_t bankSize = std::uint64_t{bank.objSize} * bank.numProgs;
    if (bankSize != destSize) {
        LogLine("Error: bank header data size (%u * %u = %llu) doesn't match size of dest array (%zu)", bank.objSize,
                bank.numProgs, static_cast<unsigned long long>(bankSize), destSize);
        return false;
    }
    const BankLoad loaded = LoadBank(stream, dest, destSize);
    if (load != nullptr)
        *load = loaded;
    LogLine("Bank Read: reading %zu bytes into array", destSize);
    return loaded.present == destSize;
}

bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName, BankLoad* load)
{
    const BankHeader bank = ReadBankHeaderFields(stream);
    // Only bank ids of kinds 2 and 3 come here; anything else would be taken for "MBK1".
    const BankChunkInfo* info = BankChunkOf(IdOf(chunk));
    if (info == nullptr)
        info = BankChunkOf(MBK1);
    std::uint8_t* buffer = BankBufferOf(info->id);
    LogPiece("%s", info->logPrefix);
    BankLoad made{};
    const bool loaded = ReadBank(stream, bank, buffer, info->bankSize, &made);
    if (load != nullptr)
        *load = made;
    // Taken from the bank's bytes whether or not the load was made: after a failure they are
    // what an earlier bank left. A bank left where it lies in a mapped file gives its first name
    // by a read: touching the mapped page would cost a fault for 24 bytes.
    std::uint8_t field[NameSize];
    const std::uint8_t* bytes = BankBytesOf(buffer);
    if (loaded && made.data == nullptr && InputReadAt(stream, made.offset, field, NameSize) == NameSize)
        bytes = field;
    const std::string firstName(reinterpret_cast<const char*>(bytes), NameLength(bytes));
    bankName = ProgBankName(info->bankType, bank.bankId);
    LogLine("BankID: %s %s NumProgs: %u SizeOfProg: %u 1stName: %s", HexLong(bank.bankId).c_str(), bankName.c_str(),
            bank.numProgs, bank.objSize, firstName.c_str());
    return loaded;
}
