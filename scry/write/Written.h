// A new PCG file made in memory of the bytes of another: its pieces over its source's bytes, and
// where it differs from them outside the ranges a command set out to change.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Platform.h"
#include "model/Made.h"
#include "model/Model.h"

namespace scry {

// Bytes [from, to) of a file.
struct ByteRange {
    std::int64_t from;
    std::int64_t to;
};

// Why a file was not written: reason says what the read-back found, or what the system refused.
struct NotWritten : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A new file made from the bytes of another (its source): pieces of its own written over the
// source's bytes, so that a file of tens of megabytes is never copied in memory to change a few.
class NewFile {
public:
    explicit NewFile(std::string_view source) : source(source) {}
    // Bytes [at, at + length) of the new file, to be written: the source's until written. A piece
    // that overlaps others takes them in.
    std::uint8_t* Bytes(std::int64_t at, std::size_t length);
    // The new file's bytes [at, at + length) as they stand.
    std::string Read(std::int64_t at, std::size_t length) const;
    // Its bytes [at, at + length) written over `into`, which holds the source's there.
    void Overlay(std::int64_t at, std::size_t length, std::uint8_t* into) const;
    // The whole new file, made in memory.
    std::string Whole() const { return Read(0, source.size()); }
    // The same, made in `into` (its memory used again).
    void WholeInto(std::string& into) const;
    std::int64_t Size() const { return static_cast<std::int64_t>(source.size()); }
    std::string_view Source() const { return source; }
    // Where it may differ from its source: its pieces, by offset.
    const InputPieces& Pieces() const { return pieces; }

private:
    std::string_view source;
    InputPieces pieces;   // by offset; none overlap
};

// Where a command's new file differs from its source outside the ranges it meant to change:
// nothing where nowhere, else the first such byte (ByteOutside), or OtherSize where the sizes differ.
ReadBackFault ChangedOutside(std::string_view made, std::string_view source, std::vector<ByteRange> meant);
// The same of a new file and its own source.
ReadBackFault ChangedOutside(const NewFile& made, std::vector<ByteRange> meant);

// A fault of kind about a slot, and the fault of a file that reads as damaged.
ReadBackFault SlotFault(ReadBackFault::Kind kind, const SlotAt& slot);
ReadBackFault DamageFault(const FileModel& written);

}   // namespace scry
