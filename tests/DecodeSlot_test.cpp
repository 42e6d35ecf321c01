// The packed slot attributes.
#include <array>

#include <gtest/gtest.h>

#include "PCG_readK/DecodeSlot.h"

namespace {

std::array<int, 9> Fields()
{
    return {SlotInfo.SlotType, SlotInfo.Color,    SlotInfo.Font,   SlotInfo.Bank,     SlotInfo.Transpose,
            SlotInfo.Number,   SlotInfo.HoldTime, SlotInfo.Volume, SlotInfo.Kbd_Track};
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
        DecodeSlot(row.packed);
        EXPECT_EQ(Fields(), row.fields) << int{row.packed[0]} << " " << int{row.packed[1]};
    }
}

TEST(DecodeSlot, SecondCallReplacesEveryField)
{
    DecodeSlot({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    DecodeSlot({0x02, 0x00, 0x05, 0x00, 0x00, 0x00});
    EXPECT_EQ(Fields(), (std::array<int, 9>{2, 0, 0, 0, 0, 5, 0, 0, 0}));
}
