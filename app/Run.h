// The run driver: one file or every match of a wildcard pattern, each handed to ReadPCG.
#pragma once

#include <string>

inline constexpr const char* UsageText = "Usage: Bankscry <filename> <nn> {outfilename}";
inline constexpr const char* ReportSuffix = "_out.txt";

// Report file name derived from a directory source and a name source.
std::string DerivedReportName(const std::string& directorySource, const std::string& nameSource);

// The whole run; returns the exit status.
int RunDriver(int argc, char** argv);
