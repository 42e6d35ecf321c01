// A new PCG file, written beside its name and read back before it is put in place: its bytes
// must be those meant, every byte outside the ranges a command set out to change must equal the
// file it was made from, and it must read as meant.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// Where a command's new file differs from its source outside the ranges it meant to change: ""
// where nowhere, else "byte N differs from SOURCE" (the first such byte). Sizes must agree.
std::string ChangedOutside(std::string_view made, std::string_view source, std::vector<ByteRange> meant);

// Writes bytes beside output, reads the file back, and puts it in place only where its bytes are
// those written, nothing outside `meant` differs from source, and check (given the model of the
// file as read back) says nothing is wrong ("" from it); otherwise removes it and raises
// NotWritten saying why. A source of "" is not compared (a file made whole).
void WriteReadBack(const std::string& output, std::string_view bytes, std::string_view source,
                   const std::vector<ByteRange>& meant, const std::function<std::string(const FileModel&)>& check);

}   // namespace scry
