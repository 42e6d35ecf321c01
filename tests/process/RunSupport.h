// Running the real bankscry binary in a scratch directory, and reading what it left there.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

struct RunResult {
    std::string out;
    std::string err;
    int status;
};

// A fresh scratch directory per test, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path Path(const std::string& name) const { return dir / name; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir / name); }
    // Runs bankscry with these arguments, the scratch directory as its current directory.
    RunResult Run(const std::vector<std::string>& args) const { return RunProgram(BANKSCRY_EXE, args); }
    // Runs any program so; its standard output goes to stdoutTarget instead when one is named.
    RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& stdoutTarget = "") const;
    // The log of one run on one file with default report names; the file is written first.
    std::string LogOf(const std::string& name, const std::string& bytes, const std::vector<std::string>& extra = {});

    std::filesystem::path dir;
    // For the next runs: a limit on the size of every file the program writes (0: none); a write
    // beyond it fails as on a full disk. And whether it starts with standard input and output closed.
    long fileSizeLimit = 0;
    bool closedStandardStreams = false;
};
