// Bank buffers and the loading of program and combination banks.
#include "PCG_readK/Banks.h"

#include <cstring>

#include "Korg_Kronos_Defs/BankNames.h"
#include "PCG_readK/Output.h"
#include "StStrL/StStrL.h"

// Aligned to large pages, so that where the system offers them a bank load faults in a few
// large pages instead of thousands of small ones.
alignas(BankBufferAlignment) std::uint8_t Sdb1Buffer[Sdb1Size];
alignas(BankBufferAlignment) std::uint8_t Sbk1Buffer[Sbk1Size];
alignas(BankBufferAlignment) std::uint8_t Pbk1Buffer[Pbk1Size];
alignas(BankBufferAlignment) std::uint8_t Mbk1Buffer[Mbk1Size];
alignas(BankBufferAlignment) std::uint8_t Cbk1Buffer[Cbk1Size];

void PrepareBankBuffers()
{
    AdviseLargePages(Sdb1Buffer, Sdb1Size);
    AdviseLargePages(Sbk1Buffer, Sbk1Size);
    AdviseLargePages(Pbk1Buffer, Pbk1Size);
    AdviseLargePages(Mbk1Buffer, Mbk1Size);
    AdviseLargePages(Cbk1Buffer, Cbk1Size);
}

namespace {

// bankType picks the naming scheme of ProgBankName.
constexpr std::int32_t HD1BankType = 0;
constexpr std::int32_t CombiBankType = 1;
constexpr std::int32_t EXiBankType = 19;

} // namespace

std::size_t NameLength(const std::uint8_t* field)
{
    const void* nul = std::memchr(field, 0, NameSize);
    return nul == nullptr ? NameSize : static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - field);
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

bool ReadBank(InputStream& stream, const BankHeader& bank, std::uint8_t* dest, std::size_t destSize)
{
    // Computed in 64 bits: a product beyond 32 bits can never pass for a buffer size.
    const std::uint64_t bankSize = std::uint64_t{bank.objSize} * bank.numProgs;
    if (bankSize != destSize) {
        LogLine("Error: bank header data size (%u * %u = %llu) doesn't match size of dest array (%zu)", bank.objSize,
                bank.numProgs, static_cast<unsigned long long>(bankSize), destSize);
        return false;
    }
    const std::size_t got = InputRead(stream, dest, destSize);
    LogLine("Bank Read: reading %zu bytes into array", destSize);
    return got == destSize;
}

bool ReadBankHeader(InputStream& stream, const ChunkHeader& chunk, std::string& bankName)
{
    const BankHeader bank = ReadBankHeaderFields(stream);
    const ChunkId id = IdOf(chunk);
    std::uint8_t* buffer = nullptr;
    std::int32_t bankType = 0;
    bool loaded = false;
    if (id == CBK1) {
        buffer = Cbk1Buffer;
        bankType = CombiBankType;
        loaded = ReadBank(stream, bank, Cbk1Buffer, Cbk1Size);
    } else if (id == PBK1) {
        LogPiece("HD1 Prog: PBK1 ");
        buffer = Pbk1Buffer;
        bankType = HD1BankType;
        loaded = ReadBank(stream, bank, Pbk1Buffer, Pbk1Size);
    } else {
        LogPiece("EXi Prog: MBK1 ");
        buffer = Mbk1Buffer;
        bankType = EXiBankType;
        loaded = ReadBank(stream, bank, Mbk1Buffer, Mbk1Size);
    }
    // Taken from the buffer whether or not the load was made: after a failure it shows
    // what an earlier bank left there.
    const std::string firstName(reinterpret_cast<const char*>(buffer), NameLength(buffer));
    bankName = ProgBankName(bankType, bank.bankId);
    LogLine("BankID: %s %s NumProgs: %u SizeOfProg: %u 1stName: %s", HexLong(bank.bankId).c_str(), bankName.c_str(),
            bank.numProgs, bank.objSize, firstName.c_str());
    return loaded;
}
