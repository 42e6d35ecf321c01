// Test helpers shared by every suite: log lines, counting, and the reader run in this process with
// its input, log and listings in memory.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Lines joined, each ended with CR LF.
std::string Lines(std::initializer_list<std::string> lines);
std::size_t CountLines(const std::string& text);
std::size_t Occurrences(const std::string& text, const std::string& piece);
bool EndsWith(const std::string& text, const std::string& tail);

// The log's "Opened" line of a single-file run, and the two closing lines of a report name.
std::string OpenedLine(const std::string& name, std::size_t size);
std::string ClosingLines(const std::string& reportName);

// A single-file run on bytes held in memory: its log, its report and its CSV (named by
// reportName, or derived from name where that is "").
struct Listed {
    std::string log;
    std::string report;
    std::string csv;
    bool operator==(const Listed&) const = default;
};
Listed ListInMemory(const std::string& name, const std::string& bytes, bool topLevelOnly = false,
                    const std::string& reportName = "");

// Runs single-file mode on bytes held in memory: the same driver routine as a real run, with the
// log and both listings captured. Every run starts from the reader state of a fresh process,
// unless it is asked to go on from the last one, as the next file of a wildcard run does.
class InMemoryRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The log of one run on bytes named name; extra holds further parameters ("-t", a report name).
    std::string LogOf(const std::string& name, const std::string& bytes, const std::vector<std::string>& extra = {});
    // The same, keeping the bank buffers and SlotInfo as the previous run left them.
    std::string LogOfNext(const std::string& name, const std::string& bytes);
    // A listing of the last run by its name ("f_out.txt", "f_out.txt_sets.csv"); "" when none.
    std::string Read(const std::string& name) const;

private:
    std::string Run(const std::string& name, const std::string& bytes, const std::vector<std::string>& extra);
    std::map<std::string, std::string> listings;
};
