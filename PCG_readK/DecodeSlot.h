// Decoding of the six packed attribute bytes of a set-list slot.
#pragma once

#include <array>
#include <cstdint>

struct SlotAttributes {
    std::uint8_t SlotType;   // 0 combination, 1 program, 2 song (3 occurs too)
    std::uint8_t Color;
    std::uint8_t Font;
    std::uint8_t Bank;
    std::uint8_t Transpose;
    std::uint8_t Number;
    std::uint8_t HoldTime;
    std::uint8_t Volume;
    std::uint8_t Kbd_Track;
};

extern SlotAttributes SlotInfo;   // the slot decoded last

using PackedSlot = std::array<std::uint8_t, 6>;

// Overwrites every field of SlotInfo from the packed bytes b0..b5.
void DecodeSlot(PackedSlot packed);
