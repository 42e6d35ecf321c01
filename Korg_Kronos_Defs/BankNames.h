// Names of banks: of a bank header's bankId (I-A, U-AA, ...) and of a set-list slot's bank number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

// Programs (HD1BankType, EXiBankType) or combinations (CombiBankType); any other gives "??".
std::string ProgBankName(BankType bankType, std::uint32_t bankId);
// The bankId that ProgBankName names so ("I-A", "U-GG"); false for any other name (an "Invalid: "
// text included).
bool BankIdOfName(BankType bankType, std::string_view name, std::uint32_t& bankId);
// slotType 0 combination, 1 program, 2 song, 3 and above "type??"; bank 0 to 31.
std::string SlotBankName(std::uint8_t slotType, std::uint8_t bank);
// The same name written at out, for lines built in a buffer; gives the position after it.
inline constexpr std::size_t SlotBankNameCapacity = 24;   // "Invalid: 255 (FF)" is the longest
char* PutSlotBankName(char* out, std::uint8_t slotType, std::uint8_t bank);
// What a slot's bank is: one a PCG file holds (I-A, U-B, U-AA), one of the instrument's own
// (GM, GMd), the songs (S-), or none (an out-of-table number, or slot type 3).
enum class SlotBankClass { FileBank, InstrumentBank, Songs, NoBank };
SlotBankClass SlotBankClassOf(std::uint8_t slotType, std::uint8_t bank);
// The bank number that SlotBankName gives name for this slot type ("I-B", "GM", "U-AA", "S-");
// false for a name it never gives (an "Invalid: " text included).
bool SlotBankNumber(std::uint8_t slotType, std::string_view name, std::uint8_t& bank);
// The bankId of the bank header that a slot's bank number plays (slot type 0 combinations, 1
// programs): false for a bank no PCG file holds (GM, GMd, songs, out-of-table numbers) and for a
// combination slot's U-H, which no combination bank header names.
bool SlotBankId(std::uint8_t slotType, std::uint8_t bank, std::uint32_t& bankId);
// The bank number a slot of this type holds to play the bank of bankId; false where none does.
bool SlotBankNumberOfId(std::uint8_t slotType, std::uint32_t bankId, std::uint8_t& bank);
// "Invalid: 31 (1F)": the number in decimal, then in hexadecimal with at least two digits.
std::string InvalidBankText(std::uint32_t number);
