// Bank names of bank headers and of set-list slots.
#include <gtest/gtest.h>

#include "Korg_Kronos_Defs/BankNames.h"

TEST(ProgBankName, ProgramBanks)
{
    EXPECT_EQ(ProgBankName(0, 0), "I-A");
    EXPECT_EQ(ProgBankName(19, 0), "I-A");
    EXPECT_EQ(ProgBankName(0, 4), "I-E");
    EXPECT_EQ(ProgBankName(0, 5), "Invalid: 5 (05)");
    EXPECT_EQ(ProgBankName(0, 32767), "Invalid: 32767 (7FFF)");
    EXPECT_EQ(ProgBankName(0, 32768), "I-F");
    EXPECT_EQ(ProgBankName(19, 131072), "U-A");
    EXPECT_EQ(ProgBankName(0, 131078), "U-G");
    EXPECT_EQ(ProgBankName(0, 131079), "U-AA");
    EXPECT_EQ(ProgBankName(0, 131085), "U-GG");
    EXPECT_EQ(ProgBankName(0, 131086), "Invalid: 131086 (2000E)");
    EXPECT_EQ(ProgBankName(0, 4294967295u), "Invalid: 4294967295 (FFFFFFFF)");
}

TEST(ProgBankName, CombinationBanks)
{
    EXPECT_EQ(ProgBankName(1, 6), "I-G");
    EXPECT_EQ(ProgBankName(1, 7), "Invalid: 7 (07)");
    EXPECT_EQ(ProgBankName(1, 32768), "Invalid: 32768 (8000)");
    EXPECT_EQ(ProgBankName(1, 131072), "U-A");
    EXPECT_EQ(ProgBankName(1, 131078), "U-G");
    EXPECT_EQ(ProgBankName(1, 131079), "Invalid: 131079 (20007)");
}

TEST(ProgBankName, OtherTypes)
{
    EXPECT_EQ(ProgBankName(2, 0), "??");
    EXPECT_EQ(ProgBankName(-1, 131072), "??");
    EXPECT_EQ(ProgBankName(18, 1), "??");
}

TEST(SlotBankName, Combinations)
{
    EXPECT_EQ(SlotBankName(0, 0), "I-A");
    EXPECT_EQ(SlotBankName(0, 6), "I-G");
    EXPECT_EQ(SlotBankName(0, 7), "U-A");
    EXPECT_EQ(SlotBankName(0, 14), "U-H");
    EXPECT_EQ(SlotBankName(0, 15), "Invalid: 15 (0F)");
}

TEST(SlotBankName, Programs)
{
    EXPECT_EQ(SlotBankName(1, 5), "I-F");
    EXPECT_EQ(SlotBankName(1, 6), "GM");
    EXPECT_EQ(SlotBankName(1, 7), "Invalid: 7 (07)");
    EXPECT_EQ(SlotBankName(1, 15), "Invalid: 15 (0F)");
    EXPECT_EQ(SlotBankName(1, 16), "GMd");
    EXPECT_EQ(SlotBankName(1, 17), "U-A");
    EXPECT_EQ(SlotBankName(1, 23), "U-G");
    EXPECT_EQ(SlotBankName(1, 24), "U-AA");
    EXPECT_EQ(SlotBankName(1, 30), "U-GG");
    EXPECT_EQ(SlotBankName(1, 31), "Invalid: 31 (1F)");
}

TEST(SlotBankName, SongsAndOtherTypes)
{
    EXPECT_EQ(SlotBankName(2, 0), "S-");
    EXPECT_EQ(SlotBankName(2, 1), "Invalid: 1 (01)");
    EXPECT_EQ(SlotBankName(3, 0), "type??");
    EXPECT_EQ(SlotBankName(3, 31), "type??");
}

TEST(InvalidBankText, HexadecimalHasAtLeastTwoDigits)
{
    EXPECT_EQ(InvalidBankText(0), "Invalid: 0 (00)");
    EXPECT_EQ(InvalidBankText(7), "Invalid: 7 (07)");
    EXPECT_EQ(InvalidBankText(31), "Invalid: 31 (1F)");
    EXPECT_EQ(InvalidBankText(255), "Invalid: 255 (FF)");
    EXPECT_EQ(InvalidBankText(256), "Invalid: 256 (100)");
    EXPECT_EQ(InvalidBankText(32769), "Invalid: 32769 (8001)");
}

// A slot's bank and the bank header it plays name the same bank, for every bank a slot names.
TEST(SlotBankId, NamesTheBankHeaderOfTheSameName)
{
    for (std::uint8_t type : {std::uint8_t{0}, std::uint8_t{1}}) {
        const BankType bankType = type == 0 ? CombiBankType : HD1BankType;
        for (std::uint8_t bank = 0; bank < 32; ++bank) {
            std::uint32_t id = 0;
            const bool named = SlotBankId(type, bank, id);
            const bool fileBank = SlotBankClassOf(type, bank) == SlotBankClass::FileBank;
            EXPECT_EQ(named, fileBank && !(type == 0 && bank == 14)) << int{type} << " " << int{bank};
            if (!named)
                continue;
            EXPECT_EQ(ProgBankName(bankType, id), SlotBankName(type, bank)) << int{type} << " " << int{bank};
            std::uint8_t back = 0;
            ASSERT_TRUE(SlotBankNumberOfId(type, id, back));
            EXPECT_EQ(back, bank);
        }
    }
    std::uint32_t id = 0;
    ASSERT_TRUE(SlotBankId(1, 5, id));
    EXPECT_EQ(id, 0x8000u);               // I-F
    EXPECT_FALSE(SlotBankId(1, 6, id));   // GM
}

TEST(BankIdOfName, ReadsBackWhatProgBankNameGives)
{
    std::uint32_t id = 0;
    ASSERT_TRUE(BankIdOfName(HD1BankType, "U-GG", id));
    EXPECT_EQ(id, 131085u);
    ASSERT_TRUE(BankIdOfName(EXiBankType, "I-F", id));
    EXPECT_EQ(id, 32768u);
    ASSERT_TRUE(BankIdOfName(CombiBankType, "U-G", id));
    EXPECT_EQ(id, 131078u);
    EXPECT_FALSE(BankIdOfName(CombiBankType, "U-AA", id));   // combination banks have no doubled letters
    EXPECT_FALSE(BankIdOfName(CombiBankType, "I-H", id));
    EXPECT_FALSE(BankIdOfName(HD1BankType, "Invalid: 5 (05)", id));
    EXPECT_FALSE(BankIdOfName(HD1BankType, "u-a", id));
}
