// Bank naming for bank headers and set-list slots.
#include "Korg_Kronos_Defs/BankNames.h"

#include "StStrL/LineFormat.h"

namespace {

constexpr std::uint32_t UserBankBase = 0x20000;         // U-A in a program or combination bank header
constexpr std::uint32_t UserDoubleBankBase = 0x20007;   // U-AA in a program bank header
constexpr std::uint32_t ProgBankIF = 0x8000;            // I-F in a program bank header

// "I-A", "U-B", "U-CC": a two-byte prefix and a letter, once or twice.
char* PutLettered(char* out, const char* prefix, std::uint32_t index, bool doubled = false)
{
    out = PutText(out, prefix, 2);
    *out++ = static_cast<char>('A' + index);
    if (doubled)
        *out++ = static_cast<char>('A' + index);
    return out;
}

char* PutInvalid(char* out, std::uint32_t number)
{
    out = PutLiteral(out, "Invalid: ");
    out = PutDec(out, number);
    out = PutLiteral(out, " (");
    out = PutHex(out, number, 2);
    *out++ = ')';
    return out;
}

std::string Lettered(const char* prefix, std::uint32_t index, bool doubled = false)
{
    char text[4];
    return {text, static_cast<std::size_t>(PutLettered(text, prefix, index, doubled) - text)};
}

}   // namespace

std::string InvalidBankText(std::uint32_t number)
{
    char text[32];
    return {text, static_cast<std::size_t>(PutInvalid(text, number) - text)};
}

std::string ProgBankName(BankType bankType, std::uint32_t bankId)
{
    if (bankType == HD1BankType || bankType == EXiBankType) {
        if (bankId <= 4)
            return Lettered("I-", bankId);
        if (bankId == ProgBankIF)
            return "I-F";
        if (bankId >= UserBankBase && bankId < UserDoubleBankBase)
            return Lettered("U-", bankId - UserBankBase);
        if (bankId >= UserDoubleBankBase && bankId <= UserDoubleBankBase + 6)
            return Lettered("U-", bankId - UserDoubleBankBase, true);
        return InvalidBankText(bankId);
    }
    if (bankType == CombiBankType) {
        if (bankId <= 6)
            return Lettered("I-", bankId);
        if (bankId >= UserBankBase && bankId <= UserBankBase + 6)
            return Lettered("U-", bankId - UserBankBase);
        return InvalidBankText(bankId);
    }
    return "??";
}

char* PutSlotBankName(char* out, std::uint8_t slotType, std::uint8_t bank)
{
    switch (slotType) {
    case 0:   // combination
        if (bank <= 6)
            return PutLettered(out, "I-", bank);
        if (bank <= 14)
            return PutLettered(out, "U-", bank - 7u);
        return PutInvalid(out, bank);
    case 1:   // program
        if (bank <= 5)
            return PutLettered(out, "I-", bank);
        if (bank == 6)
            return PutLiteral(out, "GM");
        if (bank == 16)
            return PutLiteral(out, "GMd");
        if (bank >= 17 && bank <= 23)
            return PutLettered(out, "U-", bank - 17u);
        if (bank >= 24 && bank <= 30)
            return PutLettered(out, "U-", bank - 24u, true);
        return PutInvalid(out, bank);
    case 2:   // song
        return bank == 0 ? PutLiteral(out, "S-") : PutInvalid(out, bank);
    default: return PutLiteral(out, "type??");
    }
}

std::string SlotBankName(std::uint8_t slotType, std::uint8_t bank)
{
    char text[SlotBankNameCapacity];
    return {text, static_cast<std::size_t>(PutSlotBankName(text, slotType, bank) - text)};
}
