// Output files written beside their name: the earlier file stays whole until the new one is put
// in place, a discarded one leaves nothing, and the guard refuses what must not be replaced.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "OutFile/OutFile.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

class OutFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("outfile-" + std::to_string(std::random_device{}()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t Entries() const
    {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
            ++count;
        return count;
    }
    fs::path dir;
};

}   // namespace

TEST_F(OutFileTest, EarlierFileStaysUntilTheNewOneIsPutInPlace)
{
    Write("page.html", "earlier");
    OutFile out{Path("page.html"), nullptr, {}};
    CreateOutFile(out);
    WriteOutFile(out, "new text", 8);
    CloseOutFile(out);
    EXPECT_EQ(Read("page.html"), "earlier");
    EXPECT_EQ(Entries(), 2u);
    PutOutFileInPlace(out);
    EXPECT_EQ(Read("page.html"), "new text");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(OutFileTest, DiscardedFileLeavesTheEarlierOneAndNothingElse)
{
    Write("page.html", "earlier");
    OutFile out{Path("page.html"), nullptr, {}};
    CreateOutFile(out);
    WriteOutFile(out, "half", 4);
    DiscardOutFile(out);
    EXPECT_EQ(Read("page.html"), "earlier");
    EXPECT_EQ(Entries(), 1u);
    DiscardOutFile(out);   // twice does no harm
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(OutFileTest, GuardRefusesPcgFilesAndFolders)
{
    Write("gig.PCG", "KORG\x68");
    Write("korg.txt", "KORG whatever the name");
    Write("notes.txt", "KOR");
    fs::create_directory(dir / "folder");
    for (const char* name : {"gig.PCG", "korg.txt"}) {
        try {
            RefuseToReplace(Path(name), nullptr);
            ADD_FAILURE() << name << " was not refused";
        } catch (const std::system_error& error) {
            EXPECT_EQ(std::string(error.what()).find("cannot create " + Path(name) + ": it is a PCG file"), 0u)
                << error.what();
        }
    }
    EXPECT_THROW(RefuseToReplace(Path("folder"), nullptr), std::system_error);
    EXPECT_NO_THROW(RefuseToReplace(Path("notes.txt"), nullptr));
    EXPECT_NO_THROW(RefuseToReplace(Path("nothing yet"), nullptr));
    EXPECT_EQ(Read("gig.PCG"), "KORG\x68");
}

TEST_F(OutFileTest, GuardRefusesTheInputUnderAnyName)
{
    Write("in.PCG", "not even a PCG");
    InputStream* input = OpenInput(Path("in.PCG"));
    EXPECT_THROW(RefuseToReplace(Path("in.PCG"), input), std::system_error);
    EXPECT_THROW(RefuseToReplace((dir / "." / "in.PCG").string(), input), std::system_error);
    EXPECT_NO_THROW(RefuseToReplace(Path("other.txt"), input));
    CloseInput(input);
}

TEST_F(OutFileTest, FolderUnderTheNameIsRefusedAtCreation)
{
    fs::create_directory(dir / "out.txt");
    OutFile out{Path("out.txt"), nullptr, {}};
    EXPECT_THROW(CreateOutFile(out), std::system_error);
    EXPECT_EQ(out.file, nullptr);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(OutFileTest, LinkUnderTheNameIsReplacedNotFollowed)
{
    Write("precious.txt", "keep me");
    std::error_code error;
    fs::create_symlink("precious.txt", dir / "out.txt", error);
    if (error)
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    OutFile out{Path("out.txt"), nullptr, {}};
    CreateOutFile(out);
    WriteOutFile(out, "new", 3);
    CloseOutFile(out);
    PutOutFileInPlace(out);
    EXPECT_EQ(Read("precious.txt"), "keep me");
    EXPECT_FALSE(fs::is_symlink(dir / "out.txt"));
    EXPECT_EQ(Read("out.txt"), "new");
}
