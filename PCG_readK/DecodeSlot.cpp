// Set-list slot attributes, unpacked from slot offsets 24 to 29 by the layout table.
#include "PCG_readK/DecodeSlot.h"

SlotAttributes DecodeSlot(PackedSlot packed)
{
    // b5 bit 4 can only set bit 0 of the font; b5 bits 0-2 overlay the transpose bits.
    SlotAttributes slot{};
    for (const SlotFieldLayout& layout : SlotLayout)
        slot.*layout.member = DecodeSlotField(packed, layout.field);
    return slot;
}
