// Why a new PCG file made in memory is not handed back, as data; its words are made in text/.
#pragma once

#include <string>

namespace scry {

enum class MadeFault {
    None,
    ChangedOutside,   // a byte outside what was to change differs from the source
    Unreadable,       // the new bytes read as no PCG file
    ReadsOtherwise,   // they read, and not as the operation meant (damaged, or another target)
};

struct MadeVerdict {
    MadeFault fault = MadeFault::None;
    std::string detail;   // what the check found: the byte, the reader's words, the slot or record

    explicit operator bool() const { return fault != MadeFault::None; }
};

}   // namespace scry
