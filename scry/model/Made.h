// Why a new PCG file made in memory is not handed back, as data; its words are made in text/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Model.h"
#include "model/Places.h"

namespace scry {

enum class MadeFault {
    None,
    ChangedOutside,   // a byte outside what was to change differs from the source
    Unreadable,       // the new bytes read as no PCG file
    ReadsOtherwise,   // they read, and not as the operation meant (damaged, or another target)
};

// What a check of a new file found that is not what it was meant to be, with its data.
struct ReadBackFault {
    enum class Kind {
        None,
        OtherSize,          // it is `size` bytes long, its source `sourceSize`
        ByteOutside,        // byte `at` differs from its source, outside what was to change
        Damaged,            // it reads as damaged: `problem` is the first of its problems
        SlotLostSound,      // follow: `slot` does not play the sound it played
        RecordNotCopied,    // copy: the record at `place` (of `bankName`) does not hold what it was to
        SetListNotCopied,   // copy: set list `slot.setList` does not read back as the one copied
        SlotOtherSound,     // copy: `slot` does not play the sound it plays in the source
        SetListNotAsText,   // apply: set list `slot.setList` does not read back as its text says
        SlotNotAsLine,      // apply: `slot` does not read back as its line says
    };
    Kind kind = Kind::None;
    std::int64_t at = 0;
    std::int64_t size = 0;
    std::int64_t sourceSize = 0;
    Problem problem{};
    SlotAt slot{};
    RecordPlace place{};
    std::string bankName{};
    std::size_t occurrence = 0;
    std::size_t occurrences = 1;

    explicit operator bool() const { return kind != Kind::None; }
};

struct MadeVerdict {
    MadeFault fault = MadeFault::None;
    ReadBackFault found{};       // ChangedOutside, ReadsOtherwise: what the check found
    std::string readerWords{};   // Unreadable: what the reader said of the bytes

    explicit operator bool() const { return fault != MadeFault::None; }
};

}   // namespace scry
