// The run driver: one file or every match of a wildcard pattern, each handed to ReadPCG.
#pragma once

#include <functional>
#include <string>

#include "Platform/Platform.h"

inline constexpr const char* UsageText = "Usage: Bankscry <filename> <nn> {outfilename}";
inline constexpr const char* ReportSuffix = "_out.txt";

// Report file name derived from a directory source and a name source.
std::string DerivedReportName(const std::string& directorySource, const std::string& nameSource);

// One input of single-file mode: open gives its stream (the run driver opens the named file);
// logs "Opened", reads it, and turns every failure into the one line "Could not open " + name.
void ListSingleInput(const std::string& inputName, bool topLevelOnly, const std::string& reportName,
                     const std::function<InputStream*()>& open);

// The whole run; returns the exit status.
int RunDriver(int argc, char** argv);
