// Listings that never hurt another file, failures that explain themselves, and the notes of a
// POSIX console: the real binary, with FIFOs, links, closed descriptors and concurrent runs.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
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
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.path().filename().string().find(".bankscry-partial-") != std::string::npos)
            names.push_back(entry.path().filename().string());
    return names;
}

// Starts bankscry in dir with the ending signals at their defaults (a shell may have set them
// to be ignored) and standard output to fd, or to /dev/null for -1.
pid_t Start(const std::filesystem::path& dir, const std::vector<std::string>& args, int out = -1)
{
    const pid_t child = ::fork();
    if (child == 0) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            ::signal(signal, SIG_DFL);
        const int target = out >= 0 ? out : ::open("/dev/null", O_WRONLY);
        const int none = ::open("/dev/null", O_RDWR);
        if (target < 0 || none < 0 || ::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::dup2(none, 0);
        ::dup2(target, 1);
        ::dup2(none, 2);
        std::vector<char*> argv{const_cast<char*>(BANKSCRY_EXE)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(BANKSCRY_EXE, argv.data());
        ::_exit(127);
    }
    return child;
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
    // An absolute path alone: the usage, then the note that explains it.
    const std::string input = Path("live.PCG").string();
    const RunResult alone = Run({input});
    EXPECT_EQ(alone.status, 0);
    EXPECT_EQ(alone.out, "");
    EXPECT_EQ(alone.err.rfind("Usage: Bankscry <filename> <nn> {outfilename}\r\n", 0), 0u) << alone.err;
    EXPECT_TRUE(EndsWith(alone.err, "bankscry: note: \"" + input + "\" was read as the switch /" + input.substr(1, 1) +
                                        "; name files by relative paths (./\u2026)\r\n"))
        << alone.err;
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

// Readers share their input: two runs reading one file at once both list it.
TEST_F(SafeOutput, TwoRunsReadOneInputAtOnce)
{
    Write("x.PCG", SetListFile(6));
    Run({"x.PCG", "n", "clean.txt"});
    const std::string report = Read("clean.txt");
    ASSERT_EQ(CountLines(report), 16512u);
    for (int round = 0; round < 20; ++round) {
        RunResult first, second;
        std::thread other([&] { second = Run({"x.PCG", "n", "b.txt"}); });
        first = Run({"x.PCG", "n", "a.txt"});
        other.join();
        for (const RunResult* run : {&first, &second}) {
            ASSERT_EQ(run->status, 0) << "round " << round;
            ASSERT_EQ(run->err, "") << "round " << round;
            ASSERT_EQ(run->out.find("Could not open"), std::string::npos) << "round " << round << run->out;
        }
        ASSERT_EQ(Read("a.txt"), report) << "round " << round;
        ASSERT_EQ(Read("b.txt"), report) << "round " << round;
        ASSERT_EQ(Read("a.txt_sets.csv"), Read("clean.txt_sets.csv")) << "round " << round;
        ASSERT_EQ(Read("b.txt_sets.csv"), Read("clean.txt_sets.csv")) << "round " << round;
    }
}

// "bankscry x.PCG | head -1": the closed pipe is a failed log write, not a killed process; the
// listings of what was read are put in place and no temporary file stays.
TEST_F(SafeOutput, ClosedPipeOnStandardOutputLeavesNoTemporaries)
{
    // Thousands of chunks the walk skips, three log lines each, far beyond any pipe buffer.
    std::string chunks;
    for (int i = 0; i < 6000; ++i)
        chunks += Chunk("XYZ1", "");
    std::string setLists = Records(SetListSize);
    Write("x.PCG", PcgFile(chunks + Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, setLists))));
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);   // the child keeps no read end of its own
    const pid_t child = Start(dir, {"x.PCG"}, pipeEnds[1]);
    ::close(pipeEnds[1]);
    // What head -1 does: read up to the first line end, then go.
    std::string first;
    char c = 0;
    while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        first += c;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(first, "Opened x.PCG  Size: " + std::to_string(Read("x.PCG").size()) + "\r");
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(Leftovers(dir).empty());
    // The walk had listed nothing when the log failed: both listings stand, empty.
    EXPECT_EQ(Read("x_out.txt"), "");
    EXPECT_EQ(Read("x_out.txt_sets.csv"), "");
}

// An interrupt or a termination in the middle of a wildcard run removes the listings being
// written and ends the process as the signal does; every listing is the earlier one or a whole
// new one.
TEST_F(SafeOutput, InterruptedWildcardRunLeavesEarlierOrWholeListings)
{
    constexpr int Files = 6;
    const auto name = [](int i, const char* suffix) { return "w/" + std::to_string(i) + suffix; };
    std::vector<std::string> before, after;
    for (const unsigned seed : {10u, 20u}) {
        for (int i = 0; i < Files; ++i)
            Write(name(i, ".PCG"), SetListFile(seed + static_cast<unsigned>(i)));
        ASSERT_EQ(Run({"w/*.PCG"}).status, 0);
        for (int i = 0; i < Files; ++i)
            for (const char* suffix : {"_out.txt", "_out.txt_sets.csv"})
                (seed == 10u ? before : after).push_back(Read(name(i, suffix)));
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        for (const int delayMs : {5, 25, 60}) {
            for (int i = 0; i < Files; ++i) {
                Write(name(i, "_out.txt"), before[2 * static_cast<std::size_t>(i)]);
                Write(name(i, "_out.txt_sets.csv"), before[2 * static_cast<std::size_t>(i) + 1]);
            }
            const pid_t child = Start(dir, {"w/*.PCG"});
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            ::kill(child, signal);
            int status = 0;
            ::waitpid(child, &status, 0);
            const std::string when = std::to_string(signal) + " after " + std::to_string(delayMs) + " ms";
            // Unless the run was over before the signal came, the signal ended it.
            if (!WIFEXITED(status)) {
                EXPECT_TRUE(WIFSIGNALED(status)) << when;
                EXPECT_EQ(WTERMSIG(status), signal) << when;
            }
            EXPECT_EQ(Leftovers(dir), std::vector<std::string>{}) << when;
            for (std::size_t k = 0; k < before.size(); ++k) {
                const std::string now = Read(name(static_cast<int>(k / 2), k % 2 == 0 ? "_out.txt" : "_out.txt_sets.csv"));
                EXPECT_TRUE(now == before[k] || now == after[k]) << when << ", listing " << k;
            }
        }
    }
}
