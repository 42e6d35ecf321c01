// Run driver: reads the command line, resolves the inputs, opens each and has ReadPCG read it.
#include "app/Run.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "CmdLin/CmdLin.h"
#include "OutFile/OutFile.h"
#include "Output/Output.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/PCG_readK.h"
#include "Platform/Platform.h"
#include "StStrL/StStrL.h"

namespace {

using InputGuard = std::unique_ptr<InputStream, decltype(&CloseInput)>;
using SearchGuard = std::unique_ptr<DirSearch, decltype(&DirFindEnd)>;

void SingleFileMode(const std::string& inputName, bool topLevelOnly)
{
    // With three positional parameters the third names the report, as the usage text shows.
    const std::string reportName =
        PositionalCount() >= 3 ? PositionalParam(3) : DerivedReportName(inputName, inputName);
    const std::string failure =
        ListSingleInput(inputName, topLevelOnly, reportName, [&] { return OpenInput(inputName); });
    if (!failure.empty()) {
        // "Could not open" stays the log's one line; the reason follows it, on standard error.
        FlushLog();
        std::fprintf(stderr, "bankscry: %s\r\n", failure.c_str());
    }
}

// A switch led by "/" that names an existing file or folder was most likely meant as a path.
void NoteSwitchesThatNameFiles()
{
    for (const std::string& param : SwitchParams()) {
        if (param.size() > 1 && param[0] == '/' && WhatNameHolds(param) != NameHolds::Nothing)
            std::fprintf(
                stderr,
                "bankscry: note: \"%s\" was read as the switch /%c; name files by relative paths (./\u2026)\r\n",
                param.c_str(), LowerAscii(param[1]));
    }
}

// A second positional that is a PCG file: the shell expanded a pattern into its matches.
void NoteExpandedPattern()
{
    if (PositionalCount() < 2)
        return;
    const std::string second = PositionalParam(2);
    if (IsPcgFile(second))
        std::fprintf(stderr,
                     "bankscry: note: \"%s\" is a PCG file too: the shell expanded a pattern into its matches, "
                     "and only the first is listed; quote the pattern (\"*.PCG\") to list every match\r\n",
                     second.c_str());
}

}   // namespace

const char* const UsageHelp =
    "  bankscry live.PCG              lists live.PCG into live_out.txt and live_out.txt_sets.csv beside it\r\n"
    "  bankscry live.PCG x mine.txt   the report goes to mine.txt, the CSV to mine.txt_sets.csv\r\n"
    "  bankscry \"banks/*.PCG\"         every match, each listing beside its input; quote the pattern\r\n"
    "  -t                             only the top-level chunks are logged; the listings stay empty\r\n"
    "  A parameter that begins with \"/\" is a switch: name files by relative paths (./live.PCG).\r\n"
    "  More: man bankscry; scry --help shows set lists by name, differences, CSV and JSON.\r\n"
    "  bankscry " BANKSCRY_VERSION "\r\n";

std::string ListSingleInput(const std::string& inputName, bool topLevelOnly, const std::string& reportName,
                            const std::function<InputStream*()>& open)
{
    try {
        InputGuard stream(open(), &CloseInput);
        LogLine("Opened %s  Size: %lld", inputName.c_str(), static_cast<long long>(InputSize(*stream)));
        ReadPCG(*stream, topLevelOnly, reportName);
    } catch (const std::exception& error) {
        // The stream is closed by now; one line serves every failure.
        LogLine("Could not open %s", inputName.c_str());
        return error.what();
    }
    return {};
}

int ListWildcardMatches(const std::string& pattern, bool topLevelOnly,
                        const std::function<InputStream*(const std::string&)>& open)
{
    std::string name;
    SearchGuard search(DirFindFirst(pattern, name), &DirFindEnd);
    if (!search)
        return 0;
    // Matches are opened where the search looked, and their reports land beside them.
    const std::string directoryPart = SearchDirectoryPart(pattern);
    std::string matchPath;
    int status = 0;
    try {
        do {
            if (name == "." || name == "..")
                continue;
            matchPath = directoryPart + name;
            InputGuard stream(open(matchPath), &CloseInput);
            LogLineEnd();
            LogLine("Opened \"%s", matchPath.c_str());
            try {
                ReadPCG(*stream, topLevelOnly, DerivedReportName(matchPath, matchPath));
            } catch (const InputShrankError& error) {
                // A file cut short while it was mapped: its listings were not written; the others still are.
                FlushLog();
                std::fprintf(stderr, "Error in %s: %s; its listings were not written\r\n", matchPath.c_str(),
                             error.what());
                status = 1;
            }
            FlushLog();   // each file's log shows as soon as it is done
        } while (DirFindNext(search.get(), name));
    } catch (const std::exception& error) {
        search.reset();
        try {
            FlushLog();
        } catch (const std::exception&) {
        }
        std::fprintf(stderr, "Error in %s: %s\r\n", matchPath.c_str(), error.what());
        return 1;
    }
    return status;
}

std::string PosixReportName(const std::string& path) { return PathWithoutExtension(path) + ReportSuffix; }

std::string DerivedReportName(const std::string& directorySource, const std::string& nameSource)
{
    if (PosixSystem && directorySource == nameSource)
        return PosixReportName(nameSource);
    return WindowsReportName(directorySource, nameSource);
}

std::string WindowsReportName(const std::string& directorySource, const std::string& nameSource)
{
    // Folders written with "/" are kept whole, and the name rules apply to what follows the last
    // one: a dotted folder is no extension, and a long path is not cut inside its folders.
    const std::size_t slash = nameSource.find_last_of('/');
    if (slash != std::string::npos && directorySource == nameSource &&
        nameSource.find_first_of("\\:", slash) == std::string::npos) {
        const std::string name = nameSource.substr(slash + 1);
        return nameSource.substr(0, slash + 1) + WindowsReportName(name, name);
    }
    const std::string base = BaseNameOf(nameSource) + ReportSuffix;
    const std::string dir = DirectoryOf(directorySource);
    return dir.empty() ? base : WithTrailingDelimiter(dir) + base;
}

int RunDriver(int argc, char** argv)
{
    SetProcessArgs(argc, argv);
    PrepareConsole();
    TreatClosedPipesAsWriteErrors();
    DiscardFilesBesideOnSignals();
    BufferStandardOutput();
    PrepareBankBuffers();
    try {
        const bool topLevelOnly = SwitchPresent('T');
        if (PositionalCount() < 1) {
            ShowUsageMessage(UsageText, UsageHelp);
            // "bankscry /home/me/live.PCG" alone: the path was taken for a switch; say so too.
            if (PosixSystem)
                NoteSwitchesThatNameFiles();
            return 0;
        }
        if (PosixSystem) {
            NoteSwitchesThatNameFiles();
            NoteExpandedPattern();
        }
        const std::string inputName = PositionalParam(1);
        if (CharInString(inputName, '*')) {
            // An error that ended the run has been said once, on standard error: status 1.
            if (ListWildcardMatches(inputName, topLevelOnly, &OpenInput) != 0)
                return 1;
        } else {
            SingleFileMode(inputName, topLevelOnly);
        }
        FlushLog();
        return 0;
    } catch (const std::exception& error) {
        // Standard output itself failed: nothing more can be said there.
        std::fprintf(stderr, "bankscry: %s\r\n", error.what());
        return 1;
    }
}
