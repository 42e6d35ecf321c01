// Set-list slot attributes, unpacked from slot offsets 24 to 29.
#include "PCG_readK/DecodeSlot.h"

SlotAttributes SlotInfo{};

void DecodeSlot(PackedSlot packed)
{
    const auto [b0, b1, b2, b3, b4, b5] = packed;
    SlotInfo.SlotType = b0 & 0x03u;
    SlotInfo.Color = (b0 & 0x3Cu) >> 2;
    // b5 bit 4 can only set bit 0 of the font; b5 bits 0-2 overlay the transpose bits.
    SlotInfo.Font = static_cast<std::uint8_t>(((b0 & 0xC0u) >> 6) | ((b5 & 0x10u) >> 4));
    SlotInfo.Bank = b1 & 0x1Fu;
    SlotInfo.Transpose = static_cast<std::uint8_t>(((b1 & 0xE0u) >> 5) | (b5 & 0x07u));
    SlotInfo.Number = b2;
    SlotInfo.HoldTime = b3;
    SlotInfo.Volume = b4;
    SlotInfo.Kbd_Track = b5 & 0x0Fu;
}
