// Reading one PCG file: the file header, the container and the walk over its top-level chunks.
#pragma once

#include <string>

#include "Platform/Platform.h"

// Opens the two listings (the report and "<report>_sets.csv"; see Output.h for where they go),
// walks the file (with topLevelOnly, only logs and skips its top-level chunks) and closes both
// listings on every way out.
void ReadPCG(InputStream& stream, bool topLevelOnly, const std::string& reportFileName);
