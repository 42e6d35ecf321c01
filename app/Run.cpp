// Run driver: reads the command line, resolves the inputs, opens each and has ReadPCG read it.
#include "app/Run.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "CmdLin/CmdLin.h"
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
    ListSingleInput(inputName, topLevelOnly, reportName, [&] { return OpenInput(inputName); });
}

// Any error ends the run: the search is ended, the error named on standard error, status 1.
int WildcardMode(const std::string& pattern, bool topLevelOnly)
{
    std::string name;
    SearchGuard search(DirFindFirst(pattern, name), &DirFindEnd);
    if (!search)
        return 0;
    // Matches are opened where the search looked, and their reports land beside them.
    const std::string directoryPart = SearchDirectoryPart(pattern);
    std::string matchPath;
    try {
        do {
            if (name == "." || name == "..")
                continue;
            matchPath = directoryPart + name;
            InputGuard stream(OpenInput(matchPath), &CloseInput);
            LogLineEnd();
            LogLine("Opened \"%s", matchPath.c_str());
            ReadPCG(*stream, topLevelOnly, DerivedReportName(matchPath, matchPath));
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
    return 0;
}

}   // namespace

void ListSingleInput(const std::string& inputName, bool topLevelOnly, const std::string& reportName,
                     const std::function<InputStream*()>& open)
{
    try {
        InputGuard stream(open(), &CloseInput);
        LogLine("Opened %s  Size: %lld", inputName.c_str(), static_cast<long long>(InputSize(*stream)));
        ReadPCG(*stream, topLevelOnly, reportName);
    } catch (const std::exception&) {
        // The stream is closed by now; one line serves every failure.
        LogLine("Could not open %s", inputName.c_str());
    }
}

std::string DerivedReportName(const std::string& directorySource, const std::string& nameSource)
{
    // Folders written with "/" are kept whole, and the name rules apply to what follows the last
    // one: a dotted folder is no extension, and a long path is not cut inside its folders.
    const std::size_t slash = nameSource.find_last_of('/');
    if (slash != std::string::npos && directorySource == nameSource &&
        nameSource.find_first_of("\\:", slash) == std::string::npos) {
        const std::string name = nameSource.substr(slash + 1);
        return nameSource.substr(0, slash + 1) + DerivedReportName(name, name);
    }
    const std::string base = BaseNameOf(nameSource) + ReportSuffix;
    const std::string dir = DirectoryOf(directorySource);
    return dir.empty() ? base : WithTrailingDelimiter(dir) + base;
}

int RunDriver(int argc, char** argv)
{
    SetProcessArgs(argc, argv);
    PrepareConsole();
    BufferStandardOutput();
    PrepareBankBuffers();
    try {
        const bool topLevelOnly = SwitchPresent('T');
        if (PositionalCount() < 1) {
            ShowUsageMessage(UsageText);
            return 0;
        }
        const std::string inputName = PositionalParam(1);
        int status = 0;
        if (CharInString(inputName, '*'))
            status = WildcardMode(inputName, topLevelOnly);
        else
            SingleFileMode(inputName, topLevelOnly);
        FlushLog();
        return status;
    } catch (const std::exception& error) {
        // Standard output itself failed: nothing more can be said there.
        std::fprintf(stderr, "bankscry: %s\r\n", error.what());
        return 1;
    }
}
