// scry csv as text: RFC 4180 rows a spreadsheet reads as they stand, one per used slot or per record.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/Model.h"

namespace scry {

// One CSV field of a UTF-8 text, quoted where it must be. Unless raw, a text that a spreadsheet
// would take for a formula (it begins with =, +, -, @, a tab or a carriage return) gets a
// leading ' so that it is shown as text and never run.
std::string CsvField(const std::string& text, bool raw = false);

// A header row, then one row per used slot (every slot with all), of every file; handed to part
// (where given) a set list at a time.
void WriteSlotsCsv(std::string& out, const std::vector<FileModel>& files, bool all, bool raw = false,
                   const std::function<void(std::string&)>& part = {});
// A header row, then one row per program and combination, of every file; handed to part (where
// given) a bank at a time.
void WriteRecordsCsv(std::string& out, const std::vector<FileModel>& files, bool raw = false,
                     const std::function<void(std::string&)>& part = {});

}   // namespace scry
