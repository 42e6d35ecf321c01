// Shared test helpers and the in-memory reader run.
#include "TestSupport.h"

#include "Output/Output.h"
#include "PCG_readK/Banks.h"
#include "app/Run.h"

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::size_t CountLines(const std::string& text) { return Occurrences(text, "\r\n"); }

std::size_t Occurrences(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string OpenedLine(const std::string& name, std::size_t size)
{
    return Lines({"Opened " + name + "  Size: " + std::to_string(size)});
}

std::string ClosingLines(const std::string& reportName)
{
    return Lines({"Closing: " + reportName, "Closing: " + reportName + "_sets.csv"});
}

void InMemoryRun::SetUp() { ResetReaderState(); }

void InMemoryRun::TearDown()
{
    LogToFile(stdout);
    ListingsToFiles();
}

std::string InMemoryRun::LogOf(const std::string& name, const std::string& bytes, const std::vector<std::string>& extra)
{
    ResetReaderState();
    return Run(name, bytes, extra);
}

std::string InMemoryRun::LogOfNext(const std::string& name, const std::string& bytes) { return Run(name, bytes, {}); }

std::string InMemoryRun::Run(const std::string& name, const std::string& bytes, const std::vector<std::string>& extra)
{
    bool topLevelOnly = false;
    std::string reportName;
    for (const std::string& parameter : extra) {
        if (parameter == "-t" || parameter == "/t")
            topLevelOnly = true;
        else
            reportName = parameter;
    }
    Listed listed = ListInMemory(name, bytes, topLevelOnly, reportName);
    listings.clear();
    listings[ReportFile.out.name] = std::move(listed.report);
    listings[SetsCsvFile.out.name] = std::move(listed.csv);
    return listed.log;
}

Listed ListInMemory(const std::string& name, const std::string& bytes, bool topLevelOnly, const std::string& reportName)
{
    Listed listed;
    LogToMemory(listed.log);
    ListingsToMemory(listed.report, listed.csv);
    ListSingleInput(name, topLevelOnly, reportName.empty() ? DerivedReportName(name, name) : reportName,
                    [&] { return OpenMemoryInput(bytes.data(), bytes.size(), name); });
    LogToFile(stdout);
    ListingsToFiles();
    return listed;
}

std::string InMemoryRun::Read(const std::string& name) const
{
    const auto found = listings.find(name);
    return found == listings.end() ? std::string() : found->second;
}
