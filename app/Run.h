// The run driver: one file or every match of a wildcard pattern, each handed to ReadPCG.
#pragma once

#include <functional>
#include <string>

#include "Platform/Platform.h"

inline constexpr const char* UsageText = "Usage: Bankscry <filename> <nn> {outfilename}";
inline constexpr const char* ReportSuffix = "_out.txt";

// Report file name derived from a directory source and a name source, by the system's rules.
std::string DerivedReportName(const std::string& directorySource, const std::string& nameSource);
// The rules of each system, for tests on every platform. Windows: ":" and "\\" delimit too.
// POSIX: the path up to its last "/" kept whole, then the rest without its last extension (from
// its last ".", unless a "\\" follows it), then "_out.txt".
std::string WindowsReportName(const std::string& directorySource, const std::string& nameSource);
std::string PosixReportName(const std::string& path);

// What a POSIX console is told besides the usage line.
extern const char* const UsageHelp;

// One input of single-file mode: open gives its stream (the run driver opens the named file);
// logs "Opened", reads it, and turns every failure into the one line "Could not open " + name.
// Gives the failure's reason, empty when there was none.
std::string ListSingleInput(const std::string& inputName, bool topLevelOnly, const std::string& reportName,
                            const std::function<InputStream*()>& open);

// Wildcard mode: every match in name order, opened by open (the run driver opens the named
// file). An error ends the run (status 1, one line on standard error), but for a file that shrank
// while it was read: that one's listings are not written, the run goes on, and ends with status 1.
int ListWildcardMatches(const std::string& pattern, bool topLevelOnly,
                        const std::function<InputStream*(const std::string&)>& open);

// The whole run; returns the exit status.
int RunDriver(int argc, char** argv);
