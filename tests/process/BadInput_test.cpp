// Hostile input that needs real files: a sparse giant beyond 4 GiB, names that are not
// readable files.
#include <chrono>
#include <cstdint>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PcgWriter.h"
#include "RunSupport.h"

using namespace pcgw;

namespace {

const std::string Closing = ClosingLines("f_out.txt");

struct Timed {
    RunResult run;
    double seconds;
};

class BadInput : public ScratchDir {
protected:
    Timed TimedRun(const std::vector<std::string>& args) const
    {
        const auto start = std::chrono::steady_clock::now();
        RunResult run = Run(args);
        return {std::move(run), std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    }
};

}   // namespace

// A sparse file: a skipped chunk carries the walk past 2^31 - 1, where a GLB1 header stands.
TEST_F(BadInput, PositionBeyondTwoToTheThirtyFirstIsARangeError)
{
    const std::uint32_t hole = 0x7FFFFFF0u;
    Write("f.PCG", PcgFile(ChunkHead("XYZ1", hole)));
    {
        std::fstream file(Path("f.PCG"), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(std::streamoff{40} + hole);
        const std::string glb1 = Chunk("GLB1", "z");
        file.write(glb1.data(), static_cast<std::streamsize>(glb1.size()));
        ASSERT_TRUE(file.good());
    }
    const RunResult run = Run({"f.PCG"});
    EXPECT_TRUE(EndsWith(
        run.out, Lines({"   Name: XYZ1  Size: 2147483632 (0x7FFFFFF0)", "L2: Skipping over XYZ1 chunk. ",
                        "Seeking  2147483632 (7FFFFFF0) bytes --  Next:  GLB1 ", "Enter Parse_Chunk with GLB1"}) +
                     Closing + Lines({"Could not open f.PCG"})))
        << run.out;
}

// A sparse file beyond 4 GiB whose chunk sizes carry the walk past 2^31 - 1: a range error as
// soon as a position no longer fits, never a wrapped seek; beyond the landing it is all holes.
TEST_F(BadInput, SparseGiantIsARangeError)
{
    const std::string head = PcgFile(ChunkHead("DKT1", 0x7FFFFF00u));
    Write("big.PCG", head);
    std::filesystem::resize_file(Path("big.PCG"), (std::uintmax_t{1} << 32) + 4096);
    const int fd = ::open(Path("big.PCG").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    // Where the first skip lands, a second chunk carries on past 2^31; there a combination chunk.
    const std::string next = ChunkHead("DKT1", 0x7FFFFF00u);
    const off_t first = static_cast<off_t>(head.size()) + 0x7FFFFF00;
    ASSERT_EQ(::pwrite(fd, next.data(), next.size(), first), static_cast<ssize_t>(next.size()));
    const std::string combis = ChunkHead("CMB1", 100);
    const off_t second = first + static_cast<off_t>(next.size()) + 0x7FFFFF00;
    ASSERT_EQ(::pwrite(fd, combis.data(), combis.size(), second), static_cast<ssize_t>(combis.size()));
    ::close(fd);
    const RunResult run = Run({"big.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Opened big.PCG  Size: 4294971392\r\n"), std::string::npos);
    EXPECT_EQ(Occurrences(run.out, "Other type Parse_chunk - DKT1"), 2u);
    EXPECT_TRUE(EndsWith(run.out, "Enter Parse_Chunk with CMB1\r\nClosing: big_out.txt\r\n"
                                  "Closing: big_out.txt_sets.csv\r\nCould not open big.PCG\r\n"))
        << run.out.substr(0, 2000);
}

TEST_F(BadInput, NamesThatAreNotReadableFiles)
{
    ASSERT_EQ(::mkfifo(Path("pipe.PCG").c_str(), 0644), 0);
    Timed timed = TimedRun({"pipe.PCG"});
    EXPECT_EQ(timed.run.out, Lines({"Could not open pipe.PCG"}));
    EXPECT_LT(timed.seconds, 1.0);
    EXPECT_FALSE(Exists("pipe_out.txt"));

    const std::string tooLong(300, 'n');
    EXPECT_EQ(Run({tooLong + ".PCG"}).out, Lines({"Could not open " + tooLong + ".PCG"}));
    // A path of 300 characters in folders of fine length is read, its report beside it.
    std::string deep;
    while (deep.size() < 300)
        deep += std::string(40, 'd') + "/";
    Write(deep + "live.PCG", PcgFile(Chunk("GLB1", "")));
    const RunResult run = Run({deep + "live.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(EndsWith(run.out, "Closing: " + deep + "live_out.txt_sets.csv\r\n")) << run.out;
    EXPECT_TRUE(Exists(deep + "live_out.txt"));

    Write("secret.PCG", PcgFile(Chunk("GLB1", "")));
    ::chmod(Path("secret.PCG").c_str(), 0);
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, who reads any file: the unreadable case needs another user";
    EXPECT_EQ(Run({"secret.PCG"}).out, Lines({"Could not open secret.PCG"}));
}
