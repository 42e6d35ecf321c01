// A file's summary as the catalogue keeps it: the file's own blob (what could not be read, its
// banks in order, each with the id of its rows) and one blob for each bank's rows, kept once for
// every file that holds the same rows. Plain fields, little-endian, each text with its length; a
// blob that does not decode whole is damaged.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "summary/Summary.h"

namespace scry {

struct DamagedSummary : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A file as stored: its summary without rows, and the ids of its rows (0 where it has none).
struct StoredFile {
    FileSummary summary;                  // banks and set lists without their rows
    std::vector<std::int64_t> bankRows;   // of each bank, in order
    std::int64_t setListRows = 0;
};

// The blob holds the file's key, so that a summary found under another file's key is damage.
std::string EncodeFile(const FileSummary& summary, std::string_view key, const std::vector<std::int64_t>& bankRows,
                       std::int64_t setListRows);
// Raises DamagedSummary where the blob is not one EncodeFile wrote for key, or holds values the
// format does not allow.
StoredFile DecodeFile(std::string_view blob, std::string_view key);

std::string EncodeRows(const BankRows& rows);
// Raises DamagedSummary where the blob is not one EncodeRows wrote, or holds values the format
// does not allow (set list 9999, a slot past 127, a name longer than its field).
BankRows DecodeRows(std::string_view blob);

// A file's whole summary in one blob, its rows in it (each rows the file holds twice, once): what
// a page keeps of a file in the browser. Decoding raises DamagedSummary as the parts' do.
std::string EncodeSummary(const FileSummary& summary, std::string_view key);
FileSummary DecodeSummary(std::string_view blob, std::string_view key);

}   // namespace scry
