// scry's command line in this process: every command's options, -o and exit statuses.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "command/Run.h"
#include "ScrySupport.h"

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace pcgw;
namespace fs = std::filesystem;

namespace {

// The line said of a name that is not there: the system's own words after the name.
void ExpectMissing(const std::string& said, const std::string& head)
{
#if defined(_WIN32)
    // Windows words it in its own language, and wine in other words than Windows.
    EXPECT_EQ(said.rfind(head, 0), 0u) << said;
    EXPECT_GT(said.size(), head.size() + 2) << said;
#else
    EXPECT_EQ(said, head + "No such file or directory\n");
#endif
}

}   // namespace

using ScryOutput = ScryFiles;
using ScryStatus = ScryFiles;
using ScryLine = ScryFiles;

// -o never writes over an input, another PCG file or a folder: each is refused with one line
// naming the file and why, status 2, and every file as it was.
TEST_F(ScryOutput, RefusesInputsPcgFilesAndFolders)
{
    const std::string gig = Small().Bytes();
    Write("gig.PCG", gig);
    Write("other.PCG", gig);
    fs::create_directory(Path("folder"));
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"show", "gig.PCG", "-o", "gig.PCG"}, "scry: cannot write gig.PCG: it is an input of this command\n"},
        {{"csv", "gig.PCG", "-o", "other.PCG"},
         "scry: cannot write other.PCG: it is a PCG file (it begins with KORG); name a new file\n"},
        {{"diff", "other.PCG", "gig.PCG", "-o", "gig.PCG"},
         "scry: cannot write gig.PCG: it is an input of this command\n"},
        {{"json", "gig.PCG", "-o", "./gig.PCG"}, "scry: cannot write ./gig.PCG: it is an input of this command\n"},
        {{"html", "gig.PCG", "-o", "folder"}, "scry: cannot write folder: it is a folder\n"},
        {{"show", "-", "-o", "gig.PCG"},
         "scry: cannot write gig.PCG: it is a PCG file (it begins with KORG); name a new file\n"},
    };
    for (const auto& c : cases) {
        const ScryRun run = Run(c.args, &gig);
        EXPECT_EQ(run.status, 2) << c.args[0];
        EXPECT_EQ(run.err, c.said) << c.args[0];
        EXPECT_EQ(run.out, "") << c.args[0];
    }
    EXPECT_EQ(Read("gig.PCG"), gig);
    EXPECT_EQ(Read("other.PCG"), gig);
    EXPECT_TRUE(fs::is_directory(Path("folder")));
    EXPECT_EQ(Names(), (Texts{"folder", "gig.PCG", "other.PCG"}));
}

TEST_F(ScryOutput, WrittenBesideAndPutInPlace)
{
    Write("gig.PCG", Small().Bytes());
    Write("list.txt", "earlier");
    ScryRun run = Run({"show", "gig.PCG", "-o", "list.txt", "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Read("list.txt").rfind("FILE gig.PCG  ", 0), 0u);
    EXPECT_EQ(Names(), (Texts{"gig.PCG", "list.txt"}));
    // -o - is standard output.
    run = Run({"show", "gig.PCG", "-o", "-"});
    EXPECT_EQ(run.out, Read("list.txt"));
    EXPECT_FALSE(Exists("-"));
    // A missing folder gives the reason.
    run = Run({"show", "gig.PCG", "-o", "nodir/x.txt"});
    EXPECT_EQ(run.status, 2);
    ExpectMissing(run.err, "scry: cannot write nodir/x.txt: ");
}

// An existing file is replaced only with --force, by every command that writes, but for a page of
// scry and a set-list text that scry wrote and nobody edited; refused, it is as it was.
TEST_F(ScryOutput, AnExistingFileIsReplacedOnlyWithForce)
{
    Write("gig.PCG", Small().Bytes());
    const std::vector<std::vector<std::string>> commands{
        {"show", "gig.PCG"},           {"csv", "gig.PCG"},          {"json", "gig.PCG"}, {"diff", "gig.PCG", "gig.PCG"},
        {"uses", "gig.PCG", "Prog 5"}, {"setlist", "gig.PCG", "0"}, {"html", "gig.PCG"}, {"gig", "gig.PCG", "0"}};
    for (const std::vector<std::string>& command : commands) {
        Write("mine.txt", "my notes");
        std::vector<std::string> args = command;
        args.insert(args.end(), {"-o", "mine.txt"});
        ScryRun run = Run(args);
        EXPECT_EQ(run.status, 2) << command[0];
        EXPECT_EQ(run.err, "scry: mine.txt exists; --force replaces it\n") << command[0];
        EXPECT_EQ(Read("mine.txt"), "my notes") << command[0];
        args.push_back("--force");
        run = Run(args);
        EXPECT_NE(run.status, 2) << command[0] << ": " << run.err;
        EXPECT_NE(Read("mine.txt"), "my notes") << command[0];
    }
    // A set-list text scry wrote is written over while nobody edited it, and only then.
    ASSERT_EQ(Run({"setlist", "gig.PCG", "0", "-o", "gig.txt"}).status, 0);
    const std::string exported = Read("gig.txt");
    Small renamed;
    SetName(renamed.setLists, 0, "Saturday");
    Write("gig.PCG", renamed.Bytes());
    EXPECT_EQ(Run({"setlist", "gig.PCG", "0", "-o", "gig.txt"}).status, 0);
    EXPECT_NE(Read("gig.txt").find("setlist      000 \"Saturday\""), std::string::npos);
    const std::string edited = Read("gig.txt") + "# tonight: start with the pad\n";
    Write("gig.txt", edited);
    const ScryRun refused = Run({"setlist", "gig.PCG", "0", "-o", "gig.txt"});
    EXPECT_EQ(refused.err, "scry: gig.txt exists; --force replaces it\n");
    EXPECT_EQ(Read("gig.txt"), edited);
    EXPECT_NE(exported, edited);
    // A page of scry is written over as before; -o - and a FIFO stay streams.
    ASSERT_EQ(Run({"html", "gig.PCG", "-o", "page.html"}).status, 0);
    EXPECT_EQ(Run({"html", "gig.PCG", "-o", "page.html"}).status, 0);
    EXPECT_EQ(Run({"show", "gig.PCG", "-o", "-"}).status, 0);
}

TEST_F(ScryOutput, LinkIsReplacedNeverFollowed)
{
    Write("gig.PCG", Small().Bytes());
    Write("precious.txt", "keep me");
    std::error_code error;
    fs::create_symlink("precious.txt", Path("out.txt"), error);
    if (error)
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    EXPECT_EQ(Run({"csv", "gig.PCG", "-o", "out.txt"}).status, 2);   // it exists
    EXPECT_EQ(Run({"csv", "gig.PCG", "-o", "out.txt", "--force"}).status, 0);
    EXPECT_EQ(Read("precious.txt"), "keep me");
    EXPECT_FALSE(fs::is_symlink(Path("out.txt")));
    EXPECT_EQ(Read("out.txt").rfind("file,set_list,", 0), 0u);
}

#if !defined(_WIN32)
// A write that fails midway (a disk that fills up) leaves the earlier file whole and nothing else.
TEST_F(ScryOutput, FailedWriteLeavesTheEarlierFileWhole)
{
    Write("gig.PCG", DemoBytes());
    Write("list.txt", "earlier");
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{20000, was.rlim_max};   // the demo's listing is longer
    ::setrlimit(RLIMIT_FSIZE, &small);
    const ScryRun run = Run({"show", "gig.PCG", "-o", "list.txt", "--force"});
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: cannot write list.txt: File too large\n");
    EXPECT_EQ(Read("list.txt"), "earlier");
    EXPECT_EQ(Names(), (Texts{"gig.PCG", "list.txt"}));
}

// A FIFO the user names is written as a stream, not replaced.
TEST_F(ScryOutput, NamedFifoIsWrittenAsAStream)
{
    Write("gig.PCG", Small().Bytes());
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0644), 0);
    std::string got;
    std::thread reader([&] {
        std::ifstream in(Path("pipe"), std::ios::binary);
        got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    const ScryRun run = Run({"show", "gig.PCG", "-o", "pipe"});
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(got.rfind("FILE gig.PCG", 0), 0u);
    struct stat info {};
    ASSERT_EQ(::lstat(Path("pipe").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}
#endif

// Exit status 3: the output was written, but an input is damaged; it outranks diff's 1, and
// trouble (2) outranks it.
TEST_F(ScryStatus, DamagedInputsGiveThreeForEachCommand)
{
    const std::string whole = Small().Bytes();
    Write("good.PCG", whole);
    const std::size_t cuts[] = {whole.find("PRG1"), whole.find("CMB1") + 100, whole.size() - 3, 64 + 70000};
    for (const std::size_t cut : cuts) {
        Write("cut.PCG", whole.substr(0, cut));
        for (const std::vector<std::string>& args : {std::vector<std::string>{"show", "cut.PCG"},
                                                     {"csv", "cut.PCG"},
                                                     {"csv", "--records", "cut.PCG"},
                                                     {"json", "cut.PCG"},
                                                     {"diff", "good.PCG", "cut.PCG"},
                                                     {"html", "cut.PCG", "-o", "cut.html"}}) {
            const ScryRun run = Run(args);
            EXPECT_EQ(run.status, 3) << args[0] << ", cut at " << cut << ": " << run.err;
            EXPECT_EQ(run.err.rfind("scry: warning: cut.PCG is damaged: ", 0), 0u) << args[0] << ": " << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), args[0] == "html" ? 2 : 1) << run.err;
        }
        // The summary names the damaged side.
        const ScryRun diff = Run({"diff", "good.PCG", "cut.PCG"});
        EXPECT_NE(diff.out.find("; NEW is damaged\n"), std::string::npos) << diff.out;
        // Nothing is taken for removed: the word stands only in the summary's "0 removed".
        EXPECT_EQ(diff.out.find("removed"), diff.out.find("0 removed") + 2) << diff.out;
        EXPECT_EQ(diff.out.find("only in OLD"), std::string::npos) << diff.out;
    }
    EXPECT_EQ(Run({"diff", "good.PCG", "good.PCG"}).status, 0);
    EXPECT_EQ(Run({"textconv", "cut.PCG"}).status, 0);
}

// Several files: the good files' rows still come, one error line per bad file, status 2.
TEST_F(ScryStatus, BadFileAmongGoodOnes)
{
    Write("a.PCG", Small().Bytes());
    Write("bad", "no pcg");
    Write("b.PCG", Small().Bytes());
    for (const char* command : {"csv", "json", "show"}) {
        const ScryRun run = Run({command, "a.PCG", "bad", "missing.PCG", "b.PCG"});
        EXPECT_EQ(run.status, 2) << command;
        ExpectMissing(run.err, "scry: bad: not a PCG file (no KORG header)\nscry: missing.PCG: ");
        EXPECT_NE(run.out.find("a.PCG"), std::string::npos) << command;
        EXPECT_NE(run.out.find("b.PCG"), std::string::npos) << command;
    }
    EXPECT_EQ(SplitLines(Run({"csv", "a.PCG", "bad", "b.PCG"}).out).size(), 1u + 3u + 3u);
}

TEST_F(ScryStatus, StandardInputOnceAndEmptyFiles)
{
    const std::string gig = Small().Bytes();
    ScryRun run = Run({"diff", "-", "-"}, &gig);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: standard input can be read only once\n");
    run = Run({"show", "-"}, &gig);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("FILE -  ", 0), 0u);
    const std::string zeros(1 << 20, '\0');
    run = Run({"show", "-"}, &zeros);
    EXPECT_EQ(run.err, "scry: standard input: not a PCG file (no KORG header)\n");
    Write("empty.PCG", "");
    run = Run({"show", "empty.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: empty.PCG: empty file\n");
}

TEST_F(ScryLine, HelpVersionAndUnknownCommands)
{
    ScryRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"show", "textconv", "diff", "csv", "json", "html"})
        EXPECT_NE(run.out.find(command), std::string::npos) << command;
    EXPECT_NE(run.out.find("Exit status: 0 success; 1 what a command looks for is not there, or differs"),
              std::string::npos);
    EXPECT_NE(run.out.find("3 the output was written, but an input is damaged"), std::string::npos);
    // Each command's own statuses, in its own terms; usage lines as a reader writes them.
    const struct {
        const char* command;
        const char* usage;
        const char* says;
        const char* never;
    } helps[] = {
        {"find", "Usage: scry find [OPTIONS] PATH... [NAME]\n", "1 nothing found;", "differ"},
        {"diff", "Usage: scry diff [OPTIONS] OLD NEW\n", "1 the files differ;", "nothing found"},
        {"copy", "Usage: scry copy [OPTIONS] SRC DEST\n", "a copy refused", "; 1 "},
        {"apply", "Usage: scry apply [OPTIONS] FILE TEXT...\n", "a fault in a text", "; 1 "},
        {"gig", "Usage: scry gig [OPTIONS] FILE N\n", "1 the set list has no used slot", "differ"},
        {"textconv", "Usage: scry textconv [OPTIONS] FILE\n", "0 whatever the file holds", "; 1 "},
    };
    for (const auto& help : helps) {
        run = Run({help.command, "--help"});
        const std::string flat = [&] {
            std::string text = run.out;
            std::replace(text.begin(), text.end(), '\n', ' ');
            return text;
        }();
        EXPECT_NE(run.out.find(help.usage), std::string::npos) << run.out;
        EXPECT_NE(flat.find(help.says), std::string::npos) << run.out;
        EXPECT_EQ(flat.find(help.never), std::string::npos) << run.out;
        for (const char* odd : {" x 2", "REQUIRED", "(2x)"})
            EXPECT_EQ(run.out.find(odd), std::string::npos) << help.command << ": " << odd;
    }
    run = Run({"html", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Write the page to FILE"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("OLD and NEW"), std::string::npos) << run.out;
    run = Run({"diff", "--help"});
    EXPECT_NE(run.out.find("OLD NEW"), std::string::npos) << run.out;
    run = Run({"--version"});
    EXPECT_EQ(run.out, "scry " BANKSCRY_VERSION "\n");
    run = Run({"shwo", "x.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: unknown command 'shwo'; did you mean 'show'?\n");
    EXPECT_EQ(Run({"frobnicate"}).err, "scry: unknown command 'frobnicate'; scry --help lists the commands\n");
    EXPECT_EQ(Run({}).status, 2);
    EXPECT_EQ(Run({"show"}).status, 2);
    EXPECT_EQ(Run({"show", "--bogus", "x"}).status, 2);
}

// A file whose name begins with '-' is taken for an option: said so, with the way to name it. A
// PCG file where the text of a set list belongs is said as such at any size, and a letter given
// as the text in one line.
TEST_F(ScryLine, FilesNamedLikeOptionsOrInTheWrongPlace)
{
    Write("-good.PCG", Small().Bytes());
    ScryRun run = Run({"show", "-good.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: -good.PCG is read as an option; to name a file that begins with -, put -- before it: "
                       "scry show ... -- -good.PCG\n");
    run = Run({"show", "--", "-good.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // An option that names no file is CLI11's to say, as before.
    EXPECT_EQ(Run({"show", "--bogus", "x"}).err.find("-- before it"), std::string::npos);

    Small large;
    large.extra = Chunk("XTRA", std::string(std::size_t{3} << 20, 'x'));
    Write("small.PCG", Small().Bytes());
    Write("large.PCG", large.Bytes());
    Write("letter.txt", "Dear band,\nsee you on Friday.\n");
    for (const char* pcg : {"small.PCG", "large.PCG"}) {
        run = Run({"apply", "small.PCG", pcg, "-o", "out.PCG"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "scry: " + std::string(pcg) +
                               ": a PCG file, not the text of a set list; the text comes second (scry setlist "
                               "writes one)\n");
    }
    run = Run({"apply", "small.PCG", "letter.txt", "-o", "out.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: letter.txt: no line of it is a line of a set list's text; scry setlist writes one; "
                       "nothing written\n");
    EXPECT_FALSE(fs::exists(Path("out.PCG")));
}

TEST_F(ScryLine, PageNameBesideTheInputOnlyOverAPageOfScry)
{
    Write("gig.PCG", Small().Bytes());
    ScryRun run = Run({"html", "gig.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "scry: wrote gig.html\n");
    EXPECT_EQ(Run({"html", "gig.PCG"}).status, 0);   // a page of scry is written over
    Write("notes.html", "my notes");
    Write("notes.PCG", Small().Bytes());
    run = Run({"html", "notes.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: notes.html: exists and is not a page written by scry; name the page with -o\n");
    EXPECT_EQ(Read("notes.html"), "my notes");
    // Named with -o, it is replaced only with --force, and the replacement is said.
    run = Run({"html", "notes.PCG", "-o", "notes.html"});
    EXPECT_EQ(run.err, "scry: notes.html exists; --force replaces it\n");
    run = Run({"html", "notes.PCG", "-o", "notes.html", "--force"});
    EXPECT_EQ(run.err, "scry: wrote notes.html, in place of a file that was no page of scry\n");
#if !defined(_WIN32)
    // A FIFO at the page's name is no page of scry: refused at once, never opened.
    Write("live.PCG", Small().Bytes());
    ASSERT_EQ(::mkfifo(Path("live.html").c_str(), 0644), 0);
    run = Run({"html", "live.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: live.html: exists and is not a page written by scry; name the page with -o\n");
#endif
}

// A UTF-8 file name is shown as itself by every command, never converted a second time.
TEST_F(ScryLine, Utf8FileNamesStayAsTheyAre)
{
#if defined(_WIN32)
    GTEST_SKIP() << "file names reach the Windows API as bytes of the ANSI code page, where UTF-8 is none";
#endif
    const std::string name = "Caf\xC3\xA9 M\xC3\xBCller.PCG";
    Write(name, Small().Bytes());
    EXPECT_EQ(Run({"show", name}).out.rfind("FILE " + name + "  ", 0), 0u);
    EXPECT_NE(Run({"csv", name}).out.find("\r\n" + name + ",0,Friday,0,Piano,"), std::string::npos);
    EXPECT_NE(Run({"json", name}).out.find("\"name\": \"" + name + "\""), std::string::npos);
    EXPECT_NE(Run({"html", name, "-o", "-"}).out.find("<h1>" + name + "</h1>"), std::string::npos);
    EXPECT_NE(Run({"diff", "--brief", name, name}).status, 2);
}

// A file with two set-list banks: every command that takes set list N, and uses, reads the first
// and says once that the other is not read.
TEST_F(ScryLine, SetListNIsOfTheFirstSetListBank)
{
    Small first;
    std::string second = pcgw::Records(pcgw::SetListSize);
    SetName(second, 0, "Second Bank");
    SetSlot(second, 0, 0, "Elsewhere", PackSlot(1, 0, 0, 0, 0, 5, 0, 100, 0));
    Write("two.PCG", PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, first.setLists) +
                                               BankChunk("SBK1", 0, pcgw::SetListSize, second)) +
                             Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, first.programs))));
    const std::string note = "scry: note: two.PCG holds 2 set-list banks; set lists are read from the first, the "
                             "others are not read\n";
    ScryRun run = Run({"show", "two.PCG", "--setlist", "0"});
    EXPECT_EQ(run.err, note);
    EXPECT_NE(run.out.find("\"Friday\""), std::string::npos);
    EXPECT_EQ(run.out.find("Second Bank"), std::string::npos);
    run = Run({"setlist", "two.PCG", "0"});
    EXPECT_EQ(run.err, note);
    EXPECT_NE(run.out.find("setlist      000 \"Friday\""), std::string::npos);
    Write("friday.txt", run.out);
    run = Run({"gig", "two.PCG", "0", "-o", "-"});
    EXPECT_EQ(run.err, note + "scry: wrote the page to standard output\n");
    EXPECT_NE(run.out.find("Set list 000: Friday"), std::string::npos);
    run = Run({"uses", "two.PCG", "Prog 5"});
    EXPECT_EQ(run.err, note);
    EXPECT_EQ(run.out, "SETLIST 000 (set-list bank 1 of 2) \"Friday\"  SLOT 000 \"Piano\"  Prog I-A005 \"Prog 5\"\n");
    run = Run({"apply", "two.PCG", "friday.txt", "-o", "new.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, note + "scry: wrote new.PCG\n");
    EXPECT_TRUE(Read("new.PCG") == Read("two.PCG"));
}

// A set list with no used slot is said, with the set lists that have slots, status 1; the page of
// stage and gig is written all the same. A slot asked for alone that is unused says so, never
// what its zero bytes would play.
TEST_F(ScryLine, EmptySetListsAndUnusedSlotsAreSaid)
{
    Small small;
    SetName(small.setLists, 9 * pcgw::SetListSize, "Spare");
    Write("gig.PCG", small.Bytes());
    const std::string said =
        "scry: set list 009 \"Spare\" of gig.PCG has no used slot; set lists with slots: 000 \"Friday\"\n";
    ScryRun run = Run({"show", "gig.PCG", "--setlist", "9"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, said);
    EXPECT_NE(run.out.find("SETLIST 009 \"Spare\""), std::string::npos);
    for (const char* command : {"stage", "gig"}) {
        run = Run({command, "gig.PCG", "9", "-o", "page.html"});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.err, said + "scry: wrote page.html\n") << command;
        EXPECT_TRUE(Exists("page.html")) << command;
        fs::remove(Path("page.html"));
    }
    run = Run({"show", "gig.PCG", "--setlist", "0", "--slot", "5"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(SplitLines(run.out).back(), "000/005  unused");
    EXPECT_EQ(Run({"show", "gig.PCG", "--setlist", "0"}).err, "");
    // A file none of whose set lists has a used slot says so.
    Small blank;
    blank.setLists = pcgw::Records(pcgw::SetListSize);
    Write("blank.PCG", blank.Bytes());
    EXPECT_EQ(Run({"show", "blank.PCG", "--setlist", "0"}).err,
              "scry: set list 000 \"\" of blank.PCG has no used slot; no set list of it has a used slot\n");
}
