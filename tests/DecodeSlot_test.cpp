// The packed slot attributes.
#include <array>

#include <gtest/gtest.h>

#include "PCG_readK/DecodeSlot.h"

namespace {

std::array<int, 9> Fields(const SlotAttributes& s)
{
    return {s.SlotType, s.Color, s.Font, s.Bank, s.Transpose, s.Number, s.HoldTime, s.Volume, s.Kbd_Track};
}

struct Row {
    PackedSlot packed;
    std::array<int, 9> fields;
};

const Row Rows[] = {
    {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {{0x49, 0x21, 0x0C, 0x03, 0x7F, 0x00}, {1, 2, 1, 1, 1, 12, 3, 127, 0}},
    {{0x80, 0x40, 0x00, 0x00, 0x00, 0x11}, {0, 0, 3, 0, 3, 0, 0, 0, 1}},
    {{0x00, 0x00, 0x00, 0x00, 0x00, 0x10}, {0, 0, 1, 0, 0, 0, 0, 0, 0}},
    {{0xC0, 0xE0, 0x00, 0x00, 0x00, 0x00}, {0, 0, 3, 0, 7, 0, 0, 0, 0}},
    {{0x00, 0x00, 0x00, 0x00, 0x00, 0xE0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {3, 15, 3, 31, 7, 255, 255, 255, 15}},
};

}   // namespace

TEST(DecodeSlot, Table)
{
    for (const Row& row : Rows) {
        EXPECT_EQ(Fields(DecodeSlot(row.packed)), row.fields) << int{row.packed[0]} << " " << int{row.packed[1]};
    }
}

TEST(DecodeSlot, SecondCallReplacesEveryField)
{
    DecodeSlot({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(Fields(DecodeSlot({0x02, 0x00, 0x05, 0x00, 0x00, 0x00})),
              (std::array<int, 9>{2, 0, 0, 0, 0, 5, 0, 0, 0}));
}
