// The run driver as a user meets it: the real binary in a scratch directory.
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/Run.h"
#include "PcgWriter.h"
#include "RunSupport.h"

using namespace pcgw;

namespace {

// 50 bytes: header, container, one GLB1 chunk of 10 bytes.
const std::string Small = PcgFile(Chunk("GLB1", "0123456789"));

std::string SmallLog(const std::string& report)
{
    return Lines({"PCGChunk PCG1:   Name: PCG1  Size: 22 (0x16)", " Start 2nd level parsing...",
                  "Enter Parse_Chunk with GLB1",
                  "Other type Parse_chunk - GLB1, skipping ahead 10 (A) from position 40 (28)", "Exit Parse_chunk.",
                  "Closing: " + report, "Closing: " + report + "_sets.csv"});
}

const std::string Usage = "Usage: Bankscry <filename> <nn> {outfilename}\r\n";

using Driver = ScratchDir;

}   // namespace

TEST_F(Driver, NoFileNamedShowsUsageOnly)
{
    for (const auto& args : {std::vector<std::string>{}, {"-t"}, {"-"}, {"/", "-x"}, {""}}) {
        const RunResult run = Run(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "");
        // The usage line first, exactly; then lines of help.
        EXPECT_EQ(run.err.substr(0, Usage.size()), Usage);
        EXPECT_NE(run.err.find("man bankscry"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("scry --help"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("\"banks/*.PCG\""), std::string::npos) << run.err;
        EXPECT_TRUE(EndsWith(run.err, "  bankscry " BANKSCRY_VERSION "\r\n")) << run.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(Driver, SingleFileLogAndReportNames)
{
    Write("song.PCG", Small);
    const RunResult run = Run({"song.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Lines({"Opened song.PCG  Size: 50"}) + SmallLog("song_out.txt"));
    EXPECT_TRUE(Exists("song_out.txt"));
    EXPECT_TRUE(Exists("song_out.txt_sets.csv"));
    EXPECT_EQ(Read("song_out.txt"), "");
}

TEST_F(Driver, MissingFile)
{
    const RunResult run = Run({"gone.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Lines({"Could not open gone.PCG"}));
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(Driver, QuestionMarkAloneIsAPlainName)
{
    Write("live1.PCG", Small);
    const RunResult run = Run({"live?.PCG"});
    EXPECT_EQ(run.out, Lines({"Could not open live?.PCG"}));
    EXPECT_FALSE(Exists("live1_out.txt"));
}

TEST_F(Driver, SwitchAnywhereSetsTheSameFlag)
{
    Write("song.PCG", Small);
    const RunResult before = Run({"-T", "song.PCG"});
    const RunResult after = Run({"song.PCG", "/t"});
    EXPECT_EQ(before.out, after.out);
    EXPECT_NE(before.out.find("L2: Skipping over GLB1 chunk. "), std::string::npos);
    EXPECT_EQ(before.out.find("Enter Parse_Chunk"), std::string::npos);
}

TEST_F(Driver, ReportNamesFollowTheInput)
{
    Write("live.set.PCG", Small);
    Write("banks/.PCG", Small);
    Write("banks/live.PCG", Small);
    Write("banks.old/live", Small);
    EXPECT_NE(Run({"live.set.PCG"}).out.find("Closing: live.set_out.txt\r\n"), std::string::npos);
    EXPECT_TRUE(Exists("live.set_out.txt_sets.csv"));
    EXPECT_EQ(Run({"banks/.PCG"}).out, Lines({"Opened banks/.PCG  Size: 50"}) + SmallLog("banks/_out.txt"));
    EXPECT_TRUE(Exists("banks/_out.txt"));
    EXPECT_EQ(Run({"banks/live.PCG"}).out, Lines({"Opened banks/live.PCG  Size: 50"}) + SmallLog("banks/live_out.txt"));
    EXPECT_TRUE(Exists("banks/live_out.txt_sets.csv"));
}

TEST_F(Driver, ThirdPositionalNamesTheReport)
{
    Write("song.PCG", Small);
    const RunResult run = Run({"song.PCG", "12", "mine.txt"});
    EXPECT_EQ(run.out, Lines({"Opened song.PCG  Size: 50"}) + SmallLog("mine.txt"));
    EXPECT_TRUE(Exists("mine.txt_sets.csv"));
    EXPECT_FALSE(Exists("12"));
    EXPECT_FALSE(Exists("song_out.txt"));
    // Two positionals: the second is read by nothing.
    Run({"song.PCG", "other.txt"});
    EXPECT_TRUE(Exists("song_out.txt"));
    EXPECT_FALSE(Exists("other.txt"));
}

TEST_F(Driver, ReportNeverOverwritesTheInputOrAnotherPcg)
{
    Write("a.PCG", Small);
    Write("b.PCG", Small);
    Write("c.PCG", Small);
    // What a shell makes of "bankscry *.PCG" with three files.
    RunResult run = Run({"a.PCG", "b.PCG", "c.PCG"});
    EXPECT_EQ(run.out, Lines({"Opened a.PCG  Size: 50", "Could not open a.PCG"}));
    EXPECT_EQ(Read("c.PCG"), Small);
    EXPECT_FALSE(Exists("c.PCG_sets.csv"));
    run = Run({"a.PCG", "n", "a.PCG"});
    EXPECT_EQ(run.out, Lines({"Opened a.PCG  Size: 50", "Could not open a.PCG"}));
    EXPECT_EQ(Read("a.PCG"), Small);
    // The CSV name is guarded too, before the report is touched.
    Write("r.txt", "keep");
    Write("r.txt_sets.csv", Small);
    run = Run({"a.PCG", "n", "r.txt"});
    EXPECT_EQ(run.out, Lines({"Opened a.PCG  Size: 50", "Could not open a.PCG"}));
    EXPECT_EQ(Read("r.txt"), "keep");
    EXPECT_EQ(Read("r.txt_sets.csv"), Small);
}

TEST_F(Driver, CsvThatCannotBeCreatedLeavesNoReport)
{
    Write("song.PCG", Small);
    std::filesystem::create_directory(Path("song_out.txt_sets.csv"));
    const RunResult run = Run({"song.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Lines({"Opened song.PCG  Size: 50", "Could not open song.PCG"}));
    EXPECT_FALSE(Exists("song_out.txt"));
}

TEST_F(Driver, DirectoryAsSingleFileCannotBeOpened)
{
    std::filesystem::create_directory(Path("dir.PCG"));
    const RunResult run = Run({"dir.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Lines({"Could not open dir.PCG"}));
}

TEST_F(Driver, WildcardOverASubfolder)
{
    Write("banks/A.PCG", Small);
    Write("banks/B.PCG", PcgFile(""));
    Write("banks/notes.txt", "x");
    Write("A.PCG", "a different file in the current directory");
    const RunResult run = Run({"banks/*.PCG", "x", "ignored.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "\r\n" + Lines({"Opened \"banks/A.PCG"}) + SmallLog("banks/A_out.txt") + "\r\n" +
                           Lines({"Opened \"banks/B.PCG", "PCGChunk PCG1:   Name: PCG1  Size: 0 (0x0)",
                                  " Start 2nd level parsing...", " File contains no more programs.",
                                  "Closing: banks/B_out.txt", "Closing: banks/B_out.txt_sets.csv"}));
    EXPECT_FALSE(Exists("ignored.txt"));
    EXPECT_FALSE(Exists("A_out.txt"));
}

TEST_F(Driver, WildcardWithoutDirectoryAndQuestionMark)
{
    Write("s1.PCG", Small);
    Write("s2.PCG", Small);
    Write("s10.PCG", Small);
    const RunResult run = Run({"s?.P*"});
    EXPECT_EQ(run.out, "\r\n" + Lines({"Opened \"s1.PCG"}) + SmallLog("s1_out.txt") + "\r\n" +
                           Lines({"Opened \"s2.PCG"}) + SmallLog("s2_out.txt"));
    EXPECT_FALSE(Exists("s10_out.txt"));
}

TEST_F(Driver, MatchingSubdirectoryEndsTheRun)
{
    Write("d/a.PCG", Small);
    std::filesystem::create_directory(Path("d/b"));
    Write("d/c.PCG", Small);
    const RunResult run = Run({"d/*"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\r\n" + Lines({"Opened \"d/a.PCG"}) + SmallLog("d/a_out.txt"));
    EXPECT_NE(run.err.find("d/b"), std::string::npos) << run.err;
    EXPECT_TRUE(EndsWith(run.err, "\r\n"));
    EXPECT_EQ(CountLines(run.err), 1u);
    EXPECT_TRUE(Exists("d/a_out.txt"));
    EXPECT_FALSE(Exists("d/c_out.txt"));
}

TEST_F(Driver, PatternMatchingNothingIsSilent)
{
    Write("song.PCG", Small);
    for (const char* pattern : {"*.XYZ", "nowhere/*.PCG"}) {
        const RunResult run = Run({pattern});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(Driver, WildcardErrorInsideAFileEndsTheRun)
{
    Write("w/a.PCG", PcgFile(ChunkHead("XYZ1", 0x80000000u)));
    Write("w/b.PCG", Small);
    const RunResult run = Run({"w/*.PCG"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(EndsWith(run.out, Lines({"Closing: w/a_out.txt", "Closing: w/a_out.txt_sets.csv"})));
    EXPECT_NE(run.err.find("w/a.PCG"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists("w/b_out.txt"));
}

TEST_F(Driver, LockedInputIsRefused)
{
    Write("song.PCG", Small);
    const int fd = ::open(Path("song.PCG").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const RunResult run = Run({"song.PCG"});
    ::close(fd);
    EXPECT_EQ(run.out, Lines({"Could not open song.PCG"}));
    EXPECT_FALSE(Exists("song_out.txt"));
}

TEST_F(Driver, FailedReportWriteIsReported)
{
    // A set-list bank writes far more than the report file's buffer holds.
    std::string setLists = Records(SetListSize);
    Write("sets.PCG", PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, SetListSize, setLists))));
    fileSizeLimit = 100000;   // every file the run writes stops there, as on a full disk
    const RunResult run = Run({"sets.PCG", "n", "full.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(
        EndsWith(run.out, Lines({"Closing: full.txt", "Closing: full.txt_sets.csv", "Could not open sets.PCG"})))
        << run.out;
    // The CSV's longer lines fill its block first, so its write is the one that fails.
    EXPECT_EQ(run.err, "bankscry: cannot write full.txt_sets.csv: File too large\r\n");
    // Neither cut listing is put in place, and no temporary file is left behind.
    EXPECT_FALSE(Exists("full.txt"));
    EXPECT_FALSE(Exists("full.txt_sets.csv"));
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".bankscry-partial-"), std::string::npos) << entry.path();
}

TEST_F(Driver, FailedConsoleWriteEndsWithStatusOne)
{
    Write("song.PCG", Small);
    const RunResult run = RunProgram(BANKSCRY_EXE, {"song.PCG"}, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write to standard output"), std::string::npos) << run.err;
}
