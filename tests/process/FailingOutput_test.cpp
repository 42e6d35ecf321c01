// Failing systems under a run: output that cannot be created or fills up midway, in both
// modes. Each failure is an I/O error: files closed, closing lines, the specified ending, and
// what earlier inputs produced left whole.
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mount.h>
#endif

#include "PcgWriter.h"
#include "RunSupport.h"

using namespace pcgw;

namespace {

// A set-list bank writes megabytes to both listings, far beyond any buffer.
std::string SetListFile() { return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, Records(SetListSize)))); }

class FailingOutput : public ScratchDir {
protected:
    void TearDown() override
    {
#if defined(__linux__)
        if (!mounted.empty())
            ::umount2(mounted.c_str(), MNT_DETACH);
#endif
        ScratchDir::TearDown();
    }

    // A tmpfs of its own at name, where root may mount one; false (the test then skips) elsewhere.
    bool MountTmpfs(const std::string& name, const char* options, unsigned long flags = 0)
    {
        std::filesystem::create_directories(Path(name));
#if defined(__linux__)
        if (::mount("tmpfs", Path(name).c_str(), "tmpfs", flags, options) == 0) {
            mounted = Path(name).string();
            return true;
        }
#else
        (void)options;
        (void)flags;
#endif
        return false;
    }

    std::string mounted;
};

}   // namespace

TEST_F(FailingOutput, CsvThatFillsUpMidway)
{
    Write("sets.PCG", SetListFile());
    // Its report is 1,399,424 bytes long, its CSV 1,542,400: only the CSV meets the limit, and
    // the report, written whole, goes with it.
    fileSizeLimit = 1450000;
    const RunResult run = Run({"sets.PCG", "n", "r.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "bankscry: cannot write r.txt_sets.csv: File too large\r\n");
    EXPECT_FALSE(Exists("r.txt"));
    EXPECT_FALSE(Exists("r.txt_sets.csv"));
    EXPECT_TRUE(EndsWith(run.out, Lines({"Closing: r.txt", "Closing: r.txt_sets.csv", "Could not open sets.PCG"})))
        << run.out;
    EXPECT_EQ(Read("sets.PCG"), SetListFile());
}

// Good listings of an earlier run stay byte for byte when the next run's outputs fail, whichever
// way they fail; nothing is renamed and no temporary file stays.
TEST_F(FailingOutput, FailedOutputsKeepTheEarlierListings)
{
    Write("old.PCG", PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Records(ProgramSize)))));
    Write("sets.PCG", SetListFile());
    ASSERT_EQ(Run({"old.PCG", "n", "r.txt"}).status, 0);
    const std::string report = Read("r.txt");
    const std::string csv = Read("r.txt_sets.csv");
    const auto earlierListingsStand = [&](const std::string& what) {
        EXPECT_EQ(Read("r.txt"), report) << what;
        EXPECT_EQ(Read("r.txt_sets.csv"), csv) << what;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            EXPECT_EQ(entry.path().filename().string().find(".bankscry-partial-"), std::string::npos)
                << what << ": " << entry.path();
    };

    // The disk fills up: the report first (limit below it), then the CSV alone.
    for (const long limit : {600000L, 1450000L}) {
        fileSizeLimit = limit;
        const RunResult run = Run({"sets.PCG", "n", "r.txt"});
        EXPECT_TRUE(EndsWith(run.out, Lines({"Could not open sets.PCG"}))) << run.out;
        EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
        earlierListingsStand("full at " + std::to_string(limit));
    }
    fileSizeLimit = 0;

    // A folder, then a FIFO, under the CSV's name: refused without touching the report.
    std::filesystem::rename(Path("r.txt_sets.csv"), Path("kept.csv"));
    std::filesystem::create_directory(Path("r.txt_sets.csv"));
    RunResult run = Run({"sets.PCG", "n", "r.txt"});
    EXPECT_EQ(run.err, "bankscry: cannot create r.txt_sets.csv: Is a directory\r\n");
    EXPECT_EQ(Read("r.txt"), report);
    std::filesystem::remove(Path("r.txt_sets.csv"));
    ASSERT_EQ(::mkfifo(Path("r.txt_sets.csv").c_str(), 0644), 0);
    run = Run({"sets.PCG", "n", "r.txt"});
    EXPECT_EQ(run.err, "bankscry: cannot create r.txt_sets.csv (not a regular file): File exists\r\n");
    std::filesystem::remove(Path("r.txt_sets.csv"));
    std::filesystem::rename(Path("kept.csv"), Path("r.txt_sets.csv"));
    earlierListingsStand("a folder and a FIFO under the CSV name");
}

TEST_F(FailingOutput, ReportInAFolderThatIsNotThere)
{
    Write("song.PCG", PcgFile(Chunk("GLB1", "")));
    const RunResult run = Run({"song.PCG", "n", "nowhere/r.txt"});
    EXPECT_EQ(run.status, 0);
    // Creation fails before anything is read: no closing lines.
    EXPECT_EQ(run.out, Lines({"Opened song.PCG  Size: 40", "Could not open song.PCG"}));
}

TEST_F(FailingOutput, ReadOnlyFolder)
{
    if (!MountTmpfs("ro", "size=64k", MS_RDONLY))
        GTEST_SKIP() << "no read-only tmpfs here (needs root on Linux)";
    Write("song.PCG", PcgFile(Chunk("GLB1", "")));
    const RunResult run = Run({"song.PCG", "n", "ro/r.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Lines({"Opened song.PCG  Size: 40", "Could not open song.PCG"}));
}

TEST_F(FailingOutput, SmallFileSystemFillsUp)
{
    if (!MountTmpfs("small", "size=256k"))
        GTEST_SKIP() << "no tmpfs of our own here (needs root on Linux)";
    Write("old.PCG", PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Records(ProgramSize)))));
    ASSERT_EQ(Run({"old.PCG", "n", "small/r.txt"}).status, 0);
    const std::string report = Read("small/r.txt");
    ASSERT_EQ(CountLines(report), 128u);
    Write("sets.PCG", SetListFile());
    const RunResult run = Run({"sets.PCG", "n", "small/r.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(
        EndsWith(run.out, Lines({"Closing: small/r.txt", "Closing: small/r.txt_sets.csv", "Could not open sets.PCG"})))
        << run.out;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    // The earlier listings stand, and the file system holds nothing else.
    EXPECT_EQ(Read("small/r.txt"), report);
    EXPECT_EQ(Read("small/r.txt_sets.csv"), "");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Path("small")))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

// Wildcard mode: the run ends at the failing file with status 1 and a line on standard error;
// the listings of the file before it stay as a run of that file alone writes them.
TEST_F(FailingOutput, WildcardRunKeepsEarlierListingsWhole)
{
    const std::string small = PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, ProgramSize, Records(ProgramSize))));
    Write("w/a.PCG", small);
    ASSERT_EQ(Run({"w/a.PCG"}).status, 0);
    const std::string report = Read("w/a_out.txt");
    const std::string csv = Read("w/a_out.txt_sets.csv");
    std::filesystem::remove(Path("w/a_out.txt"));
    std::filesystem::remove(Path("w/a_out.txt_sets.csv"));
    Write("w/b.PCG", SetListFile());
    Write("w/c.PCG", SetListFile());

    // a's report (128 lines) fits below the limit, b's (16512 lines) does not.
    fileSizeLimit = 1000000;
    const RunResult run = Run({"w/*.PCG"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error in w/b.PCG: cannot write w/b_out.txt_sets.csv: File too large\r\n");
    EXPECT_TRUE(EndsWith(run.out, Lines({"Closing: w/b_out.txt", "Closing: w/b_out.txt_sets.csv"}))) << run.out;
    EXPECT_EQ(Read("w/a_out.txt"), report);
    EXPECT_EQ(Read("w/a_out.txt_sets.csv"), csv);
    EXPECT_FALSE(Exists("w/c_out.txt"));
    EXPECT_EQ(Read("w/a.PCG"), small);
    for (const char* input : {"w/b.PCG", "w/c.PCG"})
        EXPECT_EQ(Read(input), SetListFile()) << input;
}
