// A file's summary as the catalogue keeps it: one blob of plain fields, little-endian, each name
// with its length, so that the catalogue holds a file in one row and a search reads it back in
// one piece. A blob that does not decode whole is damaged.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "library/Summary.h"

namespace scry {

struct DamagedSummary : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string EncodeSummary(const FileSummary& summary);
// Raises DamagedSummary where the blob is not one EncodeSummary wrote.
FileSummary DecodeSummary(std::string_view blob);

}   // namespace scry
