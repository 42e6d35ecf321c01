// The six packed bytes of a set-list slot (b0 to b5, slot offsets 24 to 29), field by field, in
// one table: where each field's bits lie, and so which fields read the same bits. The decoding,
// the encoding that writes a slot, and every printer of slot settings read this table.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>

using PackedSlot = std::array<std::uint8_t, 6>;

// The decoded attributes of a slot, in the order of the table.
struct SlotAttributes {
    std::uint8_t SlotType = 0;   // 0 combination, 1 program, 2 song (3 occurs too)
    std::uint8_t Color = 0;
    std::uint8_t Font = 0;
    std::uint8_t Bank = 0;
    std::uint8_t Transpose = 0;
    std::uint8_t Number = 0;
    std::uint8_t HoldTime = 0;
    std::uint8_t Volume = 0;
    std::uint8_t Kbd_Track = 0;
    bool operator==(const SlotAttributes&) const = default;
    auto operator<=>(const SlotAttributes&) const = default;
};

enum class SlotField : std::uint8_t { SlotType, Color, Font, Bank, Transpose, Number, HoldTime, Volume, Kbd_Track };
inline constexpr std::size_t SlotFieldCount = 9;

// A run of a field's bits in one packed byte: (b[byte] & mask) >> shift, ORed into the value.
struct SlotBits {
    std::uint8_t byte;
    std::uint8_t mask;
    std::uint8_t shift;
};

struct SlotFieldLayout {
    SlotField field;
    std::uint8_t SlotAttributes::*member;
    std::uint8_t runs;   // 1 or 2
    SlotBits bits[2];
};

// Two fields take their value from two runs ORed on the same value bits: Font (b0 bits 6-7, and
// b5 bit 4 at its bit 0) and Transpose (b1 bits 5-7, and b5 bits 0-2 at the same bits).
inline constexpr SlotFieldLayout SlotLayout[SlotFieldCount] = {
    {SlotField::SlotType, &SlotAttributes::SlotType, 1, {{0, 0x03, 0}, {}}},
    {SlotField::Color, &SlotAttributes::Color, 1, {{0, 0x3C, 2}, {}}},
    {SlotField::Font, &SlotAttributes::Font, 2, {{0, 0xC0, 6}, {5, 0x10, 4}}},
    {SlotField::Bank, &SlotAttributes::Bank, 1, {{1, 0x1F, 0}, {}}},
    {SlotField::Transpose, &SlotAttributes::Transpose, 2, {{1, 0xE0, 5}, {5, 0x07, 0}}},
    {SlotField::Number, &SlotAttributes::Number, 1, {{2, 0xFF, 0}, {}}},
    {SlotField::HoldTime, &SlotAttributes::HoldTime, 1, {{3, 0xFF, 0}, {}}},
    {SlotField::Volume, &SlotAttributes::Volume, 1, {{4, 0xFF, 0}, {}}},
    {SlotField::Kbd_Track, &SlotAttributes::Kbd_Track, 1, {{5, 0x0F, 0}, {}}},
};

constexpr const SlotFieldLayout& LayoutOf(SlotField field) { return SlotLayout[static_cast<std::size_t>(field)]; }

constexpr std::uint8_t DecodeSlotField(const PackedSlot& packed, SlotField field)
{
    const SlotFieldLayout& layout = LayoutOf(field);
    unsigned value = 0;
    for (std::uint8_t r = 0; r < layout.runs; ++r)
        value |= static_cast<unsigned>(packed[layout.bits[r].byte] & layout.bits[r].mask) >> layout.bits[r].shift;
    return static_cast<std::uint8_t>(value);
}

// The largest value a field can read.
constexpr unsigned SlotFieldMax(SlotField field)
{
    const SlotFieldLayout& layout = LayoutOf(field);
    unsigned max = 0;
    for (std::uint8_t r = 0; r < layout.runs; ++r)
        max |= static_cast<unsigned>(layout.bits[r].mask) >> layout.bits[r].shift;
    return max;
}

// The bits of byte b that a field reads.
constexpr std::uint8_t SlotFieldMask(SlotField field, std::size_t byte)
{
    const SlotFieldLayout& layout = LayoutOf(field);
    unsigned mask = 0;
    for (std::uint8_t r = 0; r < layout.runs; ++r)
        if (layout.bits[r].byte == byte)
            mask |= layout.bits[r].mask;
    return static_cast<std::uint8_t>(mask);
}

// Two different fields that read some bit of the same byte.
constexpr bool SlotFieldsShareBits(SlotField a, SlotField b)
{
    if (a == b)
        return false;
    for (std::size_t byte = 0; byte < std::tuple_size_v<PackedSlot>; ++byte)
        if ((SlotFieldMask(a, byte) & SlotFieldMask(b, byte)) != 0)
            return true;
    return false;
}

// The bits of byte b that no field reads (b5 bits 5-7): kept as they are by every edit.
constexpr std::uint8_t SlotUnreadMask(std::size_t byte)
{
    unsigned mask = 0;
    for (const SlotFieldLayout& layout : SlotLayout)
        mask |= SlotFieldMask(layout.field, byte);
    return static_cast<std::uint8_t>(~mask & 0xFFu);
}

static_assert(SlotFieldMax(SlotField::SlotType) == 3 && SlotFieldMax(SlotField::Color) == 15 &&
              SlotFieldMax(SlotField::Font) == 3 && SlotFieldMax(SlotField::Bank) == 31 &&
              SlotFieldMax(SlotField::Transpose) == 7 && SlotFieldMax(SlotField::Number) == 255 &&
              SlotFieldMax(SlotField::Kbd_Track) == 15);
// The one pair of fields that read the same bits: b5 bits 0-2 are transpose's and kbd's.
static_assert(SlotFieldsShareBits(SlotField::Transpose, SlotField::Kbd_Track) &&
              !SlotFieldsShareBits(SlotField::Font, SlotField::Kbd_Track) &&
              !SlotFieldsShareBits(SlotField::Font, SlotField::Transpose));
static_assert(SlotUnreadMask(5) == 0xE0 && SlotUnreadMask(0) == 0 && SlotUnreadMask(4) == 0);
static_assert(DecodeSlotField(PackedSlot{0x80, 0x40, 0, 0, 0, 0x11}, SlotField::Font) == 3 &&
              DecodeSlotField(PackedSlot{0x80, 0x40, 0, 0, 0, 0x11}, SlotField::Transpose) == 3);

// ---- Writing a slot's fields

// Packed bytes that decode to `wanted` in every field, as near to `original` as can be: the
// fewest bits changed, and bits no field reads kept. False where no bytes decode to `wanted`
// (fields that share bits cannot take those values together); packed is then left as it was.
bool EncodeSlot(const PackedSlot& original, const SlotAttributes& wanted, PackedSlot& packed);

// Whether field could read value with every field that shares bits with it as `wanted` has it.
bool SlotValueWritable(const SlotAttributes& wanted, SlotField field, unsigned value);

// What field `from` at value fromValue gives field `into` through the bits they share:
// fromBits, the bits of from's value that lie there (0x07 for kbd's bits 0-2), and readAs, what
// into reads in them (kbd 9 gives transpose 1). fromBits 0 where they share no bits.
struct SharedReading {
    unsigned fromBits;
    unsigned readAs;
};
SharedReading ReadThroughSharedBits(SlotField from, unsigned fromValue, SlotField into);
