// Shared by scry's tests: small files built by the PCG writer, the demo's bytes, and scry run in
// this process with its streams as texts.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/Model.h"
#include "PcgWriter.h"

// The demo file's bytes, written from its description.
const std::string& DemoBytes();

// A small file: set list 0 "Friday" with three used slots, program bank I-A ("Prog 0" to
// "Prog 127"), combination bank I-A ("Combi Zero" first), a GLB1 chunk, and more chunks at will.
struct Small {
    std::string setLists = pcgw::Records(pcgw::SetListSize);
    std::string programs = pcgw::Records(pcgw::ProgramSize);
    std::string combis = pcgw::Records(pcgw::CombiSize);
    std::string global = "global settings";
    std::string extra;   // more top-level chunks, at the end

    Small();
    std::string Bytes() const;
    scry::FileModel Model(const std::string& name = "small.PCG") const;
};

// Small with "Party Organ" at slot 6 and "Last Waltz" at 7, and the same where the two changed
// places and "Party Organ" plays louder (volume 90 to 110).
std::pair<Small, Small> MovedAndEdited();

using Texts = std::vector<std::string>;

// The lines of a text, each without its line end.
Texts SplitLines(const std::string& text);
// A model's problems, in words.
Texts ProblemTexts(const scry::FileModel& model);

// What scry wrote and said, and its exit status.
struct ScryRun {
    int status;
    std::string out;
    std::string err;
};

// Runs scry in this process; stdinBytes stands for its standard input where given.
ScryRun RunScryHere(const std::vector<std::string>& args, const std::string* stdinBytes = nullptr);

// A fresh folder for the files a test writes, removed afterwards.
class ScryFiles : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // The names in the folder, sorted.
    Texts Names() const;
    // Runs scry with the folder as the current directory.
    ScryRun Run(const std::vector<std::string>& args, const std::string* stdinBytes = nullptr) const;

    std::string dir;
};
