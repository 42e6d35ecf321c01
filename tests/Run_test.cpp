// Report names by each system's rules, on every platform.
#include <gtest/gtest.h>

#include "app/Run.h"

TEST(WindowsReportName, FollowsTheDirectoryAndDropsTheLastExtension)
{
    EXPECT_EQ(WindowsReportName("D:\\banks\\live.set.PCG", "D:\\banks\\live.set.PCG"), "D:\\banks\\live.set_out.txt");
    EXPECT_EQ(WindowsReportName("D:\\live.PCG", "D:\\live.PCG"), "D:\\live_out.txt");
    EXPECT_EQ(WindowsReportName("\\live.PCG", "\\live.PCG"), "\\live_out.txt");
    EXPECT_EQ(WindowsReportName("D:live.PCG", "D:live.PCG"), "D:\\live_out.txt");
    EXPECT_EQ(WindowsReportName("banks.old\\live", "banks.old\\live"), "banks.old\\live_out.txt");
    EXPECT_EQ(WindowsReportName("banks\\.PCG", "banks\\.PCG"), "banks\\_out.txt");
    EXPECT_EQ(WindowsReportName("song.PCG", "song.PCG"), "song_out.txt");
    // A wildcard match: directory from the pattern, name from the entry.
    EXPECT_EQ(WindowsReportName("D:\\banks\\*.PCG", "A.PCG"), "D:\\banks\\A_out.txt");
    // Folders written with "/": a dot in them is no extension, and no length cut reaches them.
    EXPECT_EQ(WindowsReportName("banks.old/live", "banks.old/live"), "banks.old/live_out.txt");
    EXPECT_EQ(WindowsReportName("a.b/c.d/live.PCG", "a.b/c.d/live.PCG"), "a.b/c.d/live_out.txt");
    const std::string deep = std::string(280, 'd') + "/";
    EXPECT_EQ(WindowsReportName(deep + "x.PCG", deep + "x.PCG"), deep + "x_out.txt");
    EXPECT_EQ(WindowsReportName("sub/D:live.PCG", "sub/D:live.PCG"), "sub/D:\\live_out.txt");
}

// On POSIX only "/" separates folders: ":" and "\\" are bytes of a name.
TEST(PosixReportName, KeepsThePathAndDropsTheLastExtension)
{
    const struct {
        const char* path;
        const char* report;
    } cases[] = {
        {"song.PCG", "song_out.txt"},
        {"banks/live.set.PCG", "banks/live.set_out.txt"},
        {"banks.old/live", "banks.old/live_out.txt"},
        {"Gig 20:00.PCG", "Gig 20:00_out.txt"},
        {"sub/D:live.PCG", "sub/D:live_out.txt"},
        {"a.b\\c", "a.b\\c_out.txt"},   // the dot is followed by a backslash: no extension
        {"a\\b.PCG", "a\\b_out.txt"},
        {".PCG", "_out.txt"},
        {"dir/", "dir/_out.txt"},
        {"/abs/x.y.z", "/abs/x.y_out.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PosixReportName(c.path), c.report) << c.path;
    // Where the two rules meet: paths without ":" and without two backslashes in a row.
    for (const char* path : {"song.PCG", "banks/live.set.PCG", "a.b/c.d/live.PCG", "banks\\x.PCG"})
        EXPECT_EQ(PosixReportName(path), WindowsReportName(path, path)) << path;
}
