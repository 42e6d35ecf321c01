// Bank naming for bank headers and set-list slots.
#include "Korg_Kronos_Defs/BankNames.h"

#include "StStrL/LineFormat.h"

namespace {

constexpr std::uint32_t UserBankBase = 0x20000;         // U-A in a program or combination bank header
constexpr std::uint32_t UserDoubleBankBase = 0x20007;   // U-AA in a program bank header
constexpr std::uint32_t ProgBankIF = 0x8000;            // I-F in a program bank header

std::string Lettered(const char* prefix, std::uint32_t index, bool doubled = false)
{
    const char letter = static_cast<char>('A' + index);
    std::string name(prefix);
    name += letter;
    if (doubled)
        name += letter;
    return name;
}

} // namespace

std::string InvalidBankText(std::uint32_t number)
{
    char text[40];
    char* out = PutLiteral(text, "Invalid: ");
    out = PutDec(out, number);
    out = PutLiteral(out, " (");
    out = PutHex(out, number, 2);
    *out++ = ')';
    return {text, static_cast<std::size_t>(out - text)};
}

std::string ProgBankName(std::int32_t bankType, std::uint32_t bankId)
{
    if (bankType == 0 || bankType == 19) {
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
    if (bankType == 1) {
        if (bankId <= 6)
            return Lettered("I-", bankId);
        if (bankId >= UserBankBase && bankId <= UserBankBase + 6)
            return Lettered("U-", bankId - UserBankBase);
        return InvalidBankText(bankId);
    }
    return "??";
}

std::string SlotBankName(std::uint8_t slotType, std::uint8_t bank)
{
    switch (slotType) {
    case 0:   // combination
        if (bank <= 6)
            return Lettered("I-", bank);
        if (bank <= 14)
            return Lettered("U-", bank - 7u);
        return InvalidBankText(bank);
    case 1:   // program
        if (bank <= 5)
            return Lettered("I-", bank);
        if (bank == 6)
            return "GM";
        if (bank == 16)
            return "GMd";
        if (bank >= 17 && bank <= 23)
            return Lettered("U-", bank - 17u);
        if (bank >= 24 && bank <= 30)
            return Lettered("U-", bank - 24u, true);
        return InvalidBankText(bank);
    case 2:   // song
        return bank == 0 ? std::string("S-") : InvalidBankText(bank);
    default:
        return "type??";
    }
}
