// Inputs mapped into memory: banks read where they lie give every listing byte for byte as banks
// copied into their buffers do, a short load after a full one included, in one file and in the
// next file of a run; and a file that shrinks while it is mapped ends its input cleanly.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "Output/Output.h"
#include "PCG_readK/Banks.h"
#include "PcgWriter.h"
#include "TestSupport.h"
#include "app/Run.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

using namespace pcgw;
namespace fs = std::filesystem;

namespace {

class MappedInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("mapped-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ResetReaderState();
    }
    void TearDown() override
    {
        LogToFile(stdout);
        ListingsToFiles();
        ResetReaderState();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    // One run of the driver's single-file routine, the bank buffers as the last run left them;
    // the input is the file (mapped) or the same bytes in memory (copied into the buffers).
    Listed Run(const std::string& bytes, bool mapped)
    {
        // A file of its own each time: the mapped bytes of an earlier one may still be read.
        const std::string path = Write("in" + std::to_string(written++) + ".PCG", bytes);
        Listed listed;
        LogToMemory(listed.log);
        ListingsToMemory(listed.report, listed.csv);
        ListSingleInput("in.PCG", false, "in_out.txt", [&] {
            if (!mapped)
                return OpenMemoryInput(bytes.data(), bytes.size(), "in.PCG");
            InputStream* stream = OpenInput(path);
            InputHold hold;
            EXPECT_NE(InputBytesAt(*stream, 0, 1, hold), nullptr) << "the file is not mapped";
            return stream;
        });
        LogToFile(stdout);
        ListingsToFiles();
        return listed;
    }

    // The same files in a row, as a wildcard run reads them, both ways.
    void ExpectSameBothWays(const std::vector<std::string>& files)
    {
        std::vector<Listed> copied, mapped;
        ResetReaderState();
        for (const std::string& file : files)
            copied.push_back(Run(file, false));
        ResetReaderState();
        for (const std::string& file : files)
            mapped.push_back(Run(file, true));
        for (std::size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(mapped[i].log, copied[i].log) << "file " << i;
            EXPECT_EQ(mapped[i].report, copied[i].report) << "file " << i;
            EXPECT_EQ(mapped[i].csv, copied[i].csv) << "file " << i;
        }
    }

    fs::path dir;
    int written = 0;
};

std::string SetLists(std::uint32_t seed)
{
    std::string lists = Records(pcgw::SetListSize);
    FillRecords(lists, pcgw::SetListSize, seed);
    for (std::size_t i = 0; i < 128; ++i)
        SetRecordName(lists, pcgw::SetListSize, i, "List " + std::to_string(seed) + "." + std::to_string(i));
    return lists;
}

std::string Programs(std::uint32_t seed)
{
    std::string programs = Records(pcgw::ProgramSize);
    FillRecords(programs, pcgw::ProgramSize, seed);
    for (std::size_t i = 0; i < 128; ++i)
        SetRecordName(programs, pcgw::ProgramSize, i, "Prog " + std::to_string(seed) + "." + std::to_string(i));
    return programs;
}

}   // namespace

// A whole set-list bank, then one the file ends inside: past what came, the second listing shows
// the first bank's bytes, which were never copied into the buffer until then.
TEST_F(MappedInput, ShortLoadAfterAWholeOneInTheSameFile)
{
    const std::string whole = PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, SetLists(1)) +
                                                        BankChunk("SBK1", 0, pcgw::SetListSize, SetLists(2))));
    const std::string cut = whole.substr(0, whole.size() - 5000000);
    ExpectSameBothWays({cut});
    // The listing past the cut is the first bank's: the last set lists of both listings agree.
    const Listed listed = Run(cut, true);
    EXPECT_EQ(CountLines(listed.report), 2u * 16512u);
    const std::string first = listed.report.substr(0, listed.report.size() / 2);
    const std::string second = listed.report.substr(listed.report.size() / 2);
    EXPECT_EQ(second.substr(second.size() - 1000), first.substr(first.size() - 1000));
}

// The next file of a run: its short set-list bank shows the last file's bytes past its end, and a
// program bank that fails its size check names the last file's first program.
TEST_F(MappedInput, ShortLoadInTheNextFileOfARun)
{
    const std::string first = PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, SetLists(3))) +
                                      Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Programs(4))));
    const std::string whole = PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(64, pcgw::ProgramSize, 0))) +
                                      Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, SetLists(5))));
    const std::string second = whole.substr(0, whole.size() - 3000000);
    ExpectSameBothWays({first, second});
    ResetReaderState();
    Run(first, true);
    const Listed next = Run(second, true);
    EXPECT_NE(next.log.find("1stName: Prog 4.0\r\n"), std::string::npos) << next.log;
    // And the same once more with a program bank cut short, whose first name came.
    const std::string third = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Programs(6))))
                                  .substr(0, 28 + 12 + 12 + 12 + 5000);
    ExpectSameBothWays({first, third, first});
}

#if !defined(_WIN32)
// A file cut short while it is mapped ends its input with a clear error: its listings are not put
// in place and no temporary file stays; in a run the next file is still listed.
TEST_F(MappedInput, FileThatShrinksWhileMapped)
{
    const std::string bytes = PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, SetLists(7))) +
                                      Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, Programs(8))));
    const std::string path = Write("a.PCG", bytes);
    Write("b.PCG", bytes);
    const auto shrinkFirst = [&](const std::string& name) {
        InputStream* stream = OpenInput(name);
        if (name.find("a.PCG") != std::string::npos) {
            EXPECT_EQ(::truncate(name.c_str(), 100000), 0);
        }
        return stream;
    };
    std::string log;
    LogToMemory(log);
    const std::string failure =
        ListSingleInput("a.PCG", false, (dir / "a_out.txt").string(), [&] { return shrinkFirst(path); });
    LogToFile(stdout);
    EXPECT_EQ(failure, "cannot read " + path + ": the file shrank while it was read: Input/output error");
    EXPECT_TRUE(EndsWith(log, Lines({"Closing: " + (dir / "a_out.txt").string(),
                                     "Closing: " + (dir / "a_out.txt_sets.csv").string(), "Could not open a.PCG"})))
        << log.substr(log.size() > 300 ? log.size() - 300 : 0);
    const auto names = [&] {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names(), (std::vector<std::string>{"a.PCG", "b.PCG"}));

    // In a run: the shrunk file's listings are not written, the next file's are.
    Write("a.PCG", bytes);
    std::string runLog;
    LogToMemory(runLog);
    const int status = ListWildcardMatches((dir / "*.PCG").string(), false, shrinkFirst);
    LogToFile(stdout);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.PCG", "b.PCG", "b_out.txt", "b_out.txt_sets.csv"}));
    EXPECT_EQ(Occurrences(runLog, "Closing: "), 4u);
}
#endif
