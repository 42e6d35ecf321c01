// Bank naming for bank headers and set-list slots.
#include "Korg_Kronos_Defs/BankNames.h"

#include <cstring>

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

bool BankIdOfName(BankType bankType, std::string_view name, std::uint32_t& bankId)
{
    // Read back through ProgBankName: every id that gives a name of a letter or two.
    if (name.size() < 3 || name[1] != '-')
        return false;   // an "Invalid: " text names no bank
    const auto tries = [&](std::uint32_t id) {
        if (ProgBankName(bankType, id) != name)
            return false;
        bankId = id;
        return true;
    };
    for (std::uint32_t id = 0; id <= 6; ++id)
        if (tries(id) || tries(UserBankBase + id) || tries(UserDoubleBankBase + id))
            return true;
    return tries(ProgBankIF);
}

namespace {

// The bank a slot's type and bank number name, as its class and the pieces of its name.
struct SlotBank {
    SlotBankClass bankClass;
    const char* prefix;     // "I-", "U-", or the whole fixed text ("GM", "S-", "type??")
    std::uint32_t letter;   // the letter's index after the prefix, for internal and user banks
    bool doubled;
};

SlotBank SlotBankOf(std::uint8_t slotType, std::uint8_t bank)
{
    constexpr SlotBank Invalid{SlotBankClass::NoBank, nullptr, 0, false};
    switch (slotType) {
    case 0:   // combination
        if (bank <= 6)
            return {SlotBankClass::FileBank, "I-", bank, false};
        if (bank <= 14)
            return {SlotBankClass::FileBank, "U-", bank - 7u, false};
        return Invalid;
    case 1:   // program
        if (bank <= 5)
            return {SlotBankClass::FileBank, "I-", bank, false};
        if (bank == 6)
            return {SlotBankClass::InstrumentBank, "GM", 0, false};
        if (bank == 16)
            return {SlotBankClass::InstrumentBank, "GMd", 0, false};
        if (bank >= 17 && bank <= 23)
            return {SlotBankClass::FileBank, "U-", bank - 17u, false};
        if (bank >= 24 && bank <= 30)
            return {SlotBankClass::FileBank, "U-", bank - 24u, true};
        return Invalid;
    case 2:   // song
        return bank == 0 ? SlotBank{SlotBankClass::Songs, "S-", 0, false} : Invalid;
    default: return {SlotBankClass::NoBank, "type??", 0, false};
    }
}

}   // namespace

SlotBankClass SlotBankClassOf(std::uint8_t slotType, std::uint8_t bank) { return SlotBankOf(slotType, bank).bankClass; }

char* PutSlotBankName(char* out, std::uint8_t slotType, std::uint8_t bank)
{
    const SlotBank named = SlotBankOf(slotType, bank);
    if (named.prefix == nullptr)
        return PutInvalid(out, bank);
    if (named.bankClass == SlotBankClass::FileBank)
        return PutLettered(out, named.prefix, named.letter, named.doubled);
    return PutText(out, named.prefix, std::strlen(named.prefix));
}

bool SlotBankNumber(std::uint8_t slotType, std::string_view name, std::uint8_t& bank)
{
    // Read back through the same table: the bank numbers 0 to 31 that a slot can hold.
    for (std::uint8_t number = 0; number < 32; ++number) {
        const SlotBank named = SlotBankOf(slotType, number);
        if (named.bankClass != SlotBankClass::FileBank && named.bankClass != SlotBankClass::InstrumentBank &&
            named.bankClass != SlotBankClass::Songs)
            continue;
        if (SlotBankName(slotType, number) == name) {
            bank = number;
            return true;
        }
    }
    return false;
}

bool SlotBankId(std::uint8_t slotType, std::uint8_t bank, std::uint32_t& bankId)
{
    const SlotBank named = SlotBankOf(slotType, bank);
    if (named.bankClass != SlotBankClass::FileBank)
        return false;
    if (named.prefix[0] == 'I') {
        // I-F is 0x8000 in a program bank header, not 5.
        bankId = slotType == 1 && named.letter == 5 ? ProgBankIF : named.letter;
        return true;
    }
    // A combination slot's U-H has no bank header of its own: those know U-A to U-G.
    if (named.letter > 6)
        return false;
    bankId = (named.doubled ? UserDoubleBankBase : UserBankBase) + named.letter;
    return true;
}

bool SlotBankNumberOfId(std::uint8_t slotType, std::uint32_t bankId, std::uint8_t& bank)
{
    for (std::uint8_t number = 0; number < 32; ++number) {
        std::uint32_t id = 0;
        if (SlotBankId(slotType, number, id) && id == bankId) {
            bank = number;
            return true;
        }
    }
    return false;
}

std::string SlotBankName(std::uint8_t slotType, std::uint8_t bank)
{
    char text[SlotBankNameCapacity];
    return {text, static_cast<std::size_t>(PutSlotBankName(text, slotType, bank) - text)};
}
