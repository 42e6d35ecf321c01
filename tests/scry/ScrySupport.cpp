// scry's test support.
#include "ScrySupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "command/Session.h"
#include "PcgDescription.h"
#include "command/Run.h"
#include "text/Words.h"

using namespace pcgw;
namespace fs = std::filesystem;

const std::string& DemoBytes()
{
    static const std::string bytes = [] {
        std::ifstream in(DEMO_DESCRIPTION);
        std::ostringstream text;
        text << in.rdbuf();
        return BuildFromDescription(text.str());
    }();
    return bytes;
}

Small::Small()
{
    SetName(setLists, 0, "Friday");
    SetSlot(setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
    SetSlot(setLists, 0, 1, "Pad", PackSlot(1, 4, 0, 0, 0, 6, 0, 100, 0));
    SetSlot(setLists, 0, 2, "Split", PackSlot(0, 1, 0, 0, 0, 0, 0, 90, 0));
    FillRecords(programs, pcgw::ProgramSize, 7);
    FillRecords(combis, pcgw::CombiSize, 8);
    for (std::size_t i = 0; i < 128; ++i)
        SetRecordName(programs, pcgw::ProgramSize, i, "Prog " + std::to_string(i));
    SetRecordName(combis, pcgw::CombiSize, 0, "Combi Zero");
}

std::string Small::Bytes() const
{
    return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                   Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) +
                   Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, combis)) + Chunk("GLB1", global) + extra);
}

scry::FileModel Small::Model(const std::string& name) const { return scry::ReadModelOfBytes(name, Bytes()); }

std::pair<Small, Small> MovedAndEdited()
{
    Small before;
    SetSlot(before.setLists, 0, 6, "Party Organ", PackSlot(0, 3, 3, 7, 1, 99, 10, 90, 9));
    SetSlot(before.setLists, 0, 7, "Last Waltz", PackSlot(1, 14, 2, 24, 4, 127, 0, 127, 0));
    Small after = before;
    after.setLists.replace(SlotOffset(0, 6), pcgw::SlotSize, before.setLists.substr(SlotOffset(0, 7), pcgw::SlotSize));
    after.setLists.replace(SlotOffset(0, 7), pcgw::SlotSize, before.setLists.substr(SlotOffset(0, 6), pcgw::SlotSize));
    after.setLists[SlotOffset(0, 7) + 24 + 4] = 110;
    return {before, after};
}

Texts SplitLines(const std::string& text)
{
    Texts lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

Texts ProblemTexts(const scry::FileModel& model)
{
    Texts texts;
    for (const scry::Problem& problem : model.problems)
        texts.push_back(scry::ProblemText(problem));
    return texts;
}

ScryRun RunScryHere(const std::vector<std::string>& args, const std::string* stdinBytes)
{
    ScryRun run{};
    scry::Console console;
    console.out = &run.out;
    console.err = &run.err;
    console.in = stdinBytes;
    run.status = scry::RunScry(args, console);
    return run;
}

void ScryFiles::SetUp()
{
    dir = (fs::temp_directory_path() / ("scry-" + std::to_string(std::random_device{}()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name()))
              .string();
    fs::remove_all(dir);
    fs::create_directories(dir);
}

void ScryFiles::TearDown()
{
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

std::string ScryFiles::Path(const std::string& name) const { return (fs::path(dir) / name).string(); }

void ScryFiles::Write(const std::string& name, const std::string& bytes) const
{
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << name;
}

std::string ScryFiles::Read(const std::string& name) const
{
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ScryFiles::Exists(const std::string& name) const { return fs::exists(fs::symlink_status(Path(name))); }

Texts ScryFiles::Names() const
{
    Texts names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScryRun ScryFiles::Run(const std::vector<std::string>& args, const std::string* stdinBytes) const
{
    const fs::path here = fs::current_path();
    fs::current_path(dir);
    ScryRun run = RunScryHere(args, stdinBytes);
    fs::current_path(here);
    return run;
}
