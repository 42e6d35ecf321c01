// The packed slot layout: what it says of the bits, and writing fields into packed bytes.
#include <gtest/gtest.h>

#include "Korg_Kronos_Defs/SlotLayout.h"
#include "PCG_readK/DecodeSlot.h"
#include "PcgWriter.h"

namespace {

// Transpose is b1 bits 5-7 ORed with b5 bits 0-2, and kbd track is b5 bits 0-3: a transpose can
// be written with a kbd track only where it holds every bit of the kbd track's bits 0-2.
bool TransposeAndKbdFit(unsigned transpose, unsigned kbd) { return (transpose & (kbd & 7u)) == (kbd & 7u); }

}   // namespace

TEST(SlotLayout, SharedBitsAndWhatTheyRead)
{
    const SharedReading kbdNine = ReadThroughSharedBits(SlotField::Kbd_Track, 9, SlotField::Transpose);
    EXPECT_EQ(kbdNine.fromBits, 0x07u);   // kbd's bits 0-2
    EXPECT_EQ(kbdNine.readAs, 1u);        // read as transpose 1
    EXPECT_EQ(ReadThroughSharedBits(SlotField::Font, 3, SlotField::Kbd_Track).fromBits, 0u);
    for (unsigned t = 0; t <= 7; ++t)
        EXPECT_EQ(SlotValueWritable(SlotAttributes{.Kbd_Track = 9}, SlotField::Transpose, t), t % 2 == 1) << t;
    EXPECT_FALSE(SlotValueWritable(SlotAttributes{}, SlotField::Color, 16));
}

TEST(EncodeSlot, EveryFontTransposeAndKbdOverEveryCombinationOfSharedBits)
{
    // The shared bits: b0 bits 6-7 (font), b1 bits 5-7 (transpose), b5 bits 0-4 (transpose, kbd,
    // font); every combination of them as the original, with the other fields varying.
    pcgw::Random random(77);
    for (unsigned shared = 0; shared < 1024; ++shared) {
        PackedSlot original{random.NextByte(), random.NextByte(), random.NextByte(),
                            random.NextByte(), random.NextByte(), random.NextByte()};
        original[0] = static_cast<std::uint8_t>((original[0] & 0x3F) | (shared & 0x3u) << 6);
        original[1] = static_cast<std::uint8_t>((original[1] & 0x1F) | (shared >> 2 & 0x7u) << 5);
        original[5] = static_cast<std::uint8_t>((original[5] & 0xE0) | (shared >> 5 & 0x1Fu));
        const SlotAttributes before = DecodeSlot(original);
        // A sample of the wanted values for most originals, all of them for some.
        const unsigned step = shared % 64 == 0 ? 1 : 37;
        for (unsigned v = shared % step; v < 4 * 8 * 16; v += step) {
            SlotAttributes wanted = before;
            wanted.Font = static_cast<std::uint8_t>(v & 3u);
            wanted.Transpose = static_cast<std::uint8_t>(v >> 2 & 7u);
            wanted.Kbd_Track = static_cast<std::uint8_t>(v >> 5);
            PackedSlot packed = original;
            const bool written = EncodeSlot(original, wanted, packed);
            ASSERT_EQ(written, TransposeAndKbdFit(wanted.Transpose, wanted.Kbd_Track)) << shared << " " << v;
            if (!written) {
                EXPECT_EQ(packed, original);
                continue;
            }
            EXPECT_EQ(DecodeSlot(packed), wanted) << shared << " " << v;
            // Bytes that hold none of the three are untouched, and so are b5's bits no field reads.
            EXPECT_EQ(packed[2], original[2]);
            EXPECT_EQ(packed[3], original[3]);
            EXPECT_EQ(packed[4], original[4]);
            EXPECT_EQ(packed[0] & 0x3F, original[0] & 0x3F);
            EXPECT_EQ(packed[1] & 0x1F, original[1] & 0x1F);
            EXPECT_EQ(packed[5] & 0xE0, original[5] & 0xE0);
            if (wanted == before) {
                EXPECT_EQ(packed, original) << "nothing to change, nothing changed";
            }
        }
    }
}

TEST(EncodeSlot, FewestBitsChanged)
{
    // Kbd 1 over transpose 1 held in b1 alone: b5 bit 0 now gives the transpose, and b1 may keep
    // its bit or lose it; it keeps it, one bit changed rather than two.
    const PackedSlot original{0x00, 0x20, 0, 0, 0, 0x00};
    SlotAttributes wanted = DecodeSlot(original);
    wanted.Kbd_Track = 1;
    PackedSlot packed{};
    ASSERT_TRUE(EncodeSlot(original, wanted, packed));
    EXPECT_EQ(packed, (PackedSlot{0x00, 0x20, 0, 0, 0, 0x01}));
    // Volume and colour written where they lie.
    wanted.Volume = 110;
    wanted.Color = 5;
    ASSERT_TRUE(EncodeSlot(original, wanted, packed));
    EXPECT_EQ(packed, (PackedSlot{0x14, 0x20, 0, 0, 110, 0x01}));
}
