// Listings that never hurt another file, failures that explain themselves, and the notes of a
// POSIX console: the real binary, with FIFOs, links, closed descriptors and concurrent runs.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PcgWriter.h"
#include "RunSupport.h"

using namespace pcgw;

namespace {

using SafeOutput = ScratchDir;
using ConsoleNotes = ScratchDir;

// A set-list bank whose slot names vary with seed: 16512 report lines that tell two runs apart.
std::string SetListFile(unsigned seed)
{
    std::string setLists = Records(SetListSize);
    FillRecords(setLists, SetListSize, seed);
    return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, setLists)));
}

const std::string Small = PcgFile(Chunk("GLB1", "0123456789"));

double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> Leftovers(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string().find(".bankscry-partial-") != std::string::npos)
            names.push_back(entry.path().filename().string());
    return names;
}

}   // namespace

TEST_F(SafeOutput, FifoUnderAListingNameIsRefusedWithoutBlocking)
{
    Write("x.PCG", Small);
    for (const char* name : {"x_out.txt", "x_out.txt_sets.csv"}) {
        ASSERT_EQ(::mkfifo(Path(name).c_str(), 0644), 0);
        RunResult run;
        EXPECT_LT(SecondsOf([&] { run = Run({"x.PCG"}); }), 5.0) << name;
        EXPECT_TRUE(EndsWith(run.out, Lines({"Could not open x.PCG"}))) << run.out;
        EXPECT_EQ(run.err, "bankscry: cannot create " + std::string(name) + " (not a regular file): File exists\r\n");
        std::filesystem::remove(Path(name));
    }
    // A planted FIFO ends a wildcard batch with its error instead of holding it for ever.
    std::filesystem::remove(Path("x_out.txt"));
    ASSERT_EQ(::mkfifo(Path("x_out.txt").c_str(), 0644), 0);
    RunResult run;
    EXPECT_LT(SecondsOf([&] { run = Run({"*.PCG"}); }), 5.0);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error in x.PCG: cannot create x_out.txt (not a regular file): File exists\r\n");
}

TEST_F(SafeOutput, FolderUnderTheReportNameIsRefused)
{
    Write("x.PCG", Small);
    std::filesystem::create_directory(Path("x_out.txt"));
    const RunResult run = Run({"x.PCG"});
    EXPECT_EQ(run.out, Lines({"Opened x.PCG  Size: 50", "Could not open x.PCG"}));
    EXPECT_EQ(run.err, "bankscry: cannot create x_out.txt: Is a directory\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(Path("x_out.txt")));
}

TEST_F(SafeOutput, LinkUnderTheReportNameIsReplacedNeverWrittenThrough)
{
    Write("x.PCG", SetListFile(1));
    Write("precious.txt", "keep me");
    std::filesystem::create_symlink("precious.txt", Path("x_out.txt"));
    // A link to a FIFO does not block the check for a PCG file behind it either.
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0644), 0);
    std::filesystem::create_symlink("pipe", Path("x_out.txt_sets.csv"));
    RunResult run;
    EXPECT_LT(SecondsOf([&] { run = Run({"x.PCG"}); }), 5.0);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Read("precious.txt"), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(Path("x_out.txt")));
    EXPECT_FALSE(std::filesystem::is_symlink(Path("x_out.txt_sets.csv")));
    EXPECT_EQ(CountLines(Read("x_out.txt")), 16512u);
    EXPECT_EQ(CountLines(Read("x_out.txt_sets.csv")), 16384u);
    EXPECT_TRUE(Leftovers(dir).empty());
}

TEST_F(SafeOutput, ClosedStandardStreamsNeverCarryTheLogIntoAListing)
{
    Write("x.PCG", SetListFile(2));
    Run({"x.PCG"});
    const std::string report = Read("x_out.txt");
    const std::string csv = Read("x_out.txt_sets.csv");
    std::filesystem::remove(Path("x_out.txt"));
    std::filesystem::remove(Path("x_out.txt_sets.csv"));
    closedStandardStreams = true;
    const RunResult run = Run({"x.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read("x_out.txt"), report);
    EXPECT_EQ(Read("x_out.txt_sets.csv"), csv);
}

// Two runs writing the same report name at once each put a whole listing in place.
TEST_F(SafeOutput, ConcurrentRunsLeaveAWholeListing)
{
    Write("x.PCG", SetListFile(3));
    Run({"x.PCG"});
    const std::string report = Read("x_out.txt");
    const std::string csv = Read("x_out.txt_sets.csv");
    for (int round = 0; round < 10; ++round) {
        std::thread other([&] { Run({"x.PCG"}); });
        Run({"x.PCG"});
        other.join();
        ASSERT_EQ(Read("x_out.txt"), report) << "round " << round;
        ASSERT_EQ(Read("x_out.txt_sets.csv"), csv) << "round " << round;
    }
    EXPECT_TRUE(Leftovers(dir).empty());
}

// A run killed at any moment leaves the earlier listing or the new one, whole, never a mix; at
// worst a stray file that says what it is.
TEST_F(SafeOutput, KilledRunLeavesTheEarlierListingWhole)
{
    Write("old.PCG", SetListFile(4));
    Write("new.PCG", SetListFile(5));
    Run({"old.PCG", "n", "r.txt"});
    const std::string before = Read("r.txt");
    Run({"new.PCG", "n", "r.txt"});
    const std::string after = Read("r.txt");
    ASSERT_NE(before, after);
    for (int delayMs : {1, 3, 6, 10, 20}) {
        Run({"old.PCG", "n", "r.txt"});
        const pid_t child = ::fork();
        if (child == 0) {
            ::chdir(dir.c_str());
            ::freopen("/dev/null", "w", stdout);
            ::execl(BANKSCRY_EXE, BANKSCRY_EXE, "new.PCG", "n", "r.txt", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = Read("r.txt");
        EXPECT_TRUE(now == before || now == after) << "killed after " << delayMs << " ms";
        for (const std::string& stray : Leftovers(dir)) {
            EXPECT_EQ(stray.rfind("r.txt", 0), 0u) << stray;
            std::filesystem::remove(Path(stray));
        }
    }
}

TEST_F(SafeOutput, SingleFileFailuresSayWhyOnStandardError)
{
    const RunResult missing = Run({"gone.PCG"});
    EXPECT_EQ(missing.out, Lines({"Could not open gone.PCG"}));
    EXPECT_EQ(missing.err, "bankscry: cannot open gone.PCG: No such file or directory\r\n");
    EXPECT_EQ(missing.status, 0);

    Write("x.PCG", Small);
    const RunResult noFolder = Run({"x.PCG", "n", "nowhere/r.txt"});
    EXPECT_EQ(noFolder.out, Lines({"Opened x.PCG  Size: 50", "Could not open x.PCG"}));
    EXPECT_EQ(noFolder.err, "bankscry: cannot create nowhere/r.txt: No such file or directory\r\n");

    Write("big.PCG", PcgFile(ChunkHead("XYZ1", 0x80000000u)));
    const RunResult range = Run({"big.PCG"});
    EXPECT_TRUE(EndsWith(range.out, Lines({"Could not open big.PCG"})));
    EXPECT_EQ(range.err, "bankscry: size 2147483648 of chunk XYZ1 is beyond 2147483647, too far to seek\r\n");
    EXPECT_EQ(range.status, 0);
}

TEST_F(SafeOutput, ReadOnlyFolderSaysWhy)
{
    std::filesystem::create_directory(Path("locked"));
    Write("locked/x.PCG", Small);
    ::chmod(Path("locked").c_str(), 0555);
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, who writes in any folder: the read-only folder case needs another user";
    const RunResult readOnly = Run({"locked/x.PCG"});
    EXPECT_EQ(readOnly.err, "bankscry: cannot create locked/x_out.txt: Permission denied\r\n");
}

TEST_F(SafeOutput, StandardOutputOnAFullDiskGivesOneErrorLine)
{
    Write("w/a.PCG", Small);
    Write("w/b.PCG", Small);
    const RunResult run = RunProgram(BANKSCRY_EXE, {"w/*.PCG"}, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error in w/a.PCG: cannot write to standard output: No space left on device\r\n");
}

TEST_F(ConsoleNotes, PathTakenForASwitch)
{
    Write("live.PCG", Small);
    Write("t.txt", "");
    const std::string absolute = Path("t.txt").string();
    const RunResult run = Run({"live.PCG", "x", absolute});
    const RunResult plain = Run({"live.PCG", "-" + absolute.substr(1, 1)});
    // Standard output as without the note: the switch is a switch.
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(run.err, "bankscry: note: \"" + absolute + "\" was read as the switch /" + absolute.substr(1, 1) +
                           "; name files by relative paths (./\u2026)\r\n");
    // A switch that names nothing gets no note.
    EXPECT_EQ(Run({"live.PCG", "/t"}).err, "");
}

TEST_F(ConsoleNotes, PatternTheShellExpanded)
{
    for (const char* name : {"a.PCG", "b.PCG", "c.PCG"})
        Write(name, Small);
    const RunResult run = Run({"a.PCG", "b.PCG", "c.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Lines({"Opened a.PCG  Size: 50", "Could not open a.PCG"}));
    EXPECT_EQ(run.err.rfind("bankscry: note: \"b.PCG\" is a PCG file too: the shell expanded a pattern", 0), 0u)
        << run.err;
    EXPECT_NE(run.err.find("quote the pattern (\"*.PCG\")"), std::string::npos) << run.err;
    // The refusal to write over c.PCG follows, as its reason.
    EXPECT_TRUE(EndsWith(run.err, "bankscry: cannot create c.PCG: it is a PCG file: File exists\r\n")) << run.err;
    EXPECT_EQ(Read("c.PCG"), Small);
}

TEST_F(ConsoleNotes, ColonsAreOrdinaryBytesOfANameOnPosix)
{
    Write("Gig 20:00.PCG", Small);
    const RunResult run = Run({"Gig 20:00.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Exists("Gig 20:00_out.txt"));
    EXPECT_TRUE(Exists("Gig 20:00_out.txt_sets.csv"));
    EXPECT_TRUE(EndsWith(run.out, Lines({"Closing: Gig 20:00_out.txt", "Closing: Gig 20:00_out.txt_sets.csv"})));
}
