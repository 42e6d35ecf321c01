// Decoding of the six packed attribute bytes of a set-list slot (see SlotLayout.h).
#pragma once

#include "Korg_Kronos_Defs/SlotLayout.h"

extern SlotAttributes SlotInfo;   // bankscry's listing: the slot decoded last

// Every field of the packed bytes b0..b5, as a value.
SlotAttributes DecodeSlot(PackedSlot packed);
