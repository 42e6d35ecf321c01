// Reading one PCG file: the file header, the container and the walk over its top-level chunks.
#pragma once

#include <cstdio>
#include <string>

#include "Platform/Platform.h"

// The two output files of the current input, open while ReadPCG runs; ListBank writes them.
extern std::FILE* ReportFile;
extern std::FILE* SetsCsvFile;
extern std::string ReportFileName;
extern std::string SetsCsvFileName;

inline constexpr const char* SetsCsvSuffix = "_sets.csv";

// Creates the report file and "<report>_sets.csv", walks the file (with topLevelOnly, only
// logs and skips its top-level chunks) and closes both files on every way out.
void ReadPCG(InputStream& stream, bool topLevelOnly, const std::string& reportFileName);
