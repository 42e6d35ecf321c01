// What bankscry's run keeps from file to file: the process's bank buffers, zero at start and
// never cleared between files by the reader, the window banks pass through, the kind of the chunk
// being read and the slot decoded last. Only bankscry links this; every other walk owns its memory.
#include <cstring>

#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Walk.h"

ChunkKind currentKind = 0;
SlotAttributes SlotInfo{};

// Aligned to large pages, so that where the system offers them a bank load faults in a few
// large pages instead of thousands of small ones.
alignas(LargeBufferAlignment) std::uint8_t Sdb1Buffer[Sdb1Size];
alignas(LargeBufferAlignment) std::uint8_t Sbk1Buffer[Sbk1Size];
alignas(LargeBufferAlignment) std::uint8_t Pbk1Buffer[Pbk1Size];
alignas(LargeBufferAlignment) std::uint8_t Mbk1Buffer[Mbk1Size];
alignas(LargeBufferAlignment) std::uint8_t Cbk1Buffer[Cbk1Size];

namespace {

alignas(4096) std::uint8_t ProcessWindow[WindowSize];

WalkMemory& MakeProcessMemory()
{
    static WalkMemory memory{{{Sdb1Buffer, Sdb1Size, 0, Sdb1Buffer, {}, {}, false},
                              {Sbk1Buffer, Sbk1Size, 0, Sbk1Buffer, {}, {}, false},
                              {Pbk1Buffer, Pbk1Size, 0, Pbk1Buffer, {}, {}, false},
                              {Mbk1Buffer, Mbk1Size, 0, Mbk1Buffer, {}, {}, false},
                              {Cbk1Buffer, Cbk1Size, 0, Cbk1Buffer, {}, {}, false}},
                             ProcessWindow,
                             {},
                             &currentKind};
    return memory;
}

}   // namespace

WalkMemory& ProcessWalkMemory() { return MakeProcessMemory(); }

void PrepareBankBuffers()
{
    AdviseLargePages(Sdb1Buffer, Sdb1Size);
    AdviseLargePages(Sbk1Buffer, Sbk1Size);
    AdviseLargePages(Pbk1Buffer, Pbk1Size);
    AdviseLargePages(Mbk1Buffer, Mbk1Size);
    AdviseLargePages(Cbk1Buffer, Cbk1Size);
}

void ResetReaderState()
{
    for (BankBuffer& buffer : ProcessWalkMemory().buffers) {
        LetGoOfInPlace(buffer);
        std::memset(buffer.buffer, 0, buffer.reached);
        buffer.reached = 0;
    }
    SlotInfo = SlotAttributes{};
    currentKind = Kind::UNKN;
}
