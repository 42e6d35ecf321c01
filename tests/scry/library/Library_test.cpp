// scry find, dups and history on libraries of small files made by the PCG writer: folders searched
// for *.pcg in any case, each kind of query, groups within and across files, versions, and the
// catalogue (files read again only when they changed, dropped when gone, a damaged one set aside,
// the same lines without one).
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <fstream>

#include <nlohmann/json.hpp>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "ScrySupport.h"
#include "StStrL/StStrL.h"
#include "TestSupport.h"
#include "library/Catalogue.h"
#include "library/Pool.h"
#include "library/Sqlite.h"
#include "summary/SummaryCodec.h"
#include "text/LibraryText.h"

using namespace pcgw;
namespace fs = std::filesystem;

namespace {

// A gig file: set list 0 "Friday" plays Prog I-A005 ("Piano"), Prog I-A006 ("Pad") and Combi
// I-A000 ("Split"); programs "Prog 0" to "Prog 127", sounds by seed.
Small Gig(std::uint32_t seed = 7)
{
    Small gig;
    FillRecords(gig.programs, pcgw::ProgramSize, seed);
    for (std::size_t i = 0; i < 128; ++i)
        SetRecordName(gig.programs, pcgw::ProgramSize, i, "Prog " + std::to_string(i));
    return gig;
}

std::string Record(const std::string& bank, std::size_t i)
{
    return bank.substr(pcgw::ProgramSize * i, pcgw::ProgramSize);
}

void Put(std::string& bank, std::size_t i, const std::string& record)
{
    bank.replace(pcgw::ProgramSize * i, pcgw::ProgramSize, record);
}

// A path under a folder searched, as scry shows it: with the system's separators.
std::string Shown(const std::string& path) { return fs::path(path).make_preferred().string(); }

class Library : public ScryFiles {
protected:
    void SetUp() override
    {
        ScryFiles::SetUp();
        fs::create_directories(Path("lib/backups"));
    }
    // scry with the catalogue of this test, or none.
    ScryRun Scry(std::vector<std::string> args, bool catalogue = true) const
    {
        args.push_back(catalogue ? "--catalogue=cat.sqlite" : "--no-catalogue");
        return Run(args);
    }
};

}   // namespace

TEST_F(Library, FoldersAreSearchedForPcgFilesInAnyCase)
{
    Write("lib/live.PCG", Gig().Bytes());
    Write("lib/backups/old.pcg", Gig().Bytes());
    Write("lib/backups/older.Pcg", Gig().Bytes());
    Write("lib/backups/notes.txt", Gig().Bytes());   // not named .pcg: not searched
    Write("lib/backups/broken.PCG", "not a PCG file at all");
    std::error_code error;
    fs::create_directory_symlink(Path("lib"), Path("lib/backups/loop"), error);   // never followed
    fs::create_symlink(Path("lib/live.PCG"), Path("lib/linked.PCG"), error);      // a file: followed
    const bool linked = !error;   // (where the system lets this process make links)
    const ScryRun run = Scry({"find", "lib", "Prog 17", "--each"});
    EXPECT_EQ(run.status, 0) << run.err;
    Texts lines = SplitLines(run.out);
    if (!linked)
        lines.insert(lines.begin() + 2, Shown("lib/linked.PCG") + "  Prog I-A017  \"Prog 17\"  " +
                                            HexLong(Gig().Model().banks[1].records[17].sound));
    EXPECT_EQ(lines, (Texts{Shown("lib/backups/old.pcg") + "  Prog I-A017  \"Prog 17\"  " +
                                HexLong(Gig().Model().banks[1].records[17].sound),
                            Shown("lib/backups/older.Pcg") + "  Prog I-A017  \"Prog 17\"  " +
                                HexLong(Gig().Model().banks[1].records[17].sound),
                            Shown("lib/linked.PCG") + "  Prog I-A017  \"Prog 17\"  " +
                                HexLong(Gig().Model().banks[1].records[17].sound),
                            Shown("lib/live.PCG") + "  Prog I-A017  \"Prog 17\"  " +
                                HexLong(Gig().Model().banks[1].records[17].sound)}));
    EXPECT_EQ(run.err, "scry: skipped " + Shown("lib/backups/broken.PCG") + ": not a PCG file (no KORG header)\n");
    // Named, a file that is no PCG file is trouble, as in every command; so is a name of nothing.
    const ScryRun named = Scry({"find", "lib/backups/broken.PCG", "lib/live.PCG", "nothing.PCG", "Prog 17"});
    EXPECT_EQ(named.status, 2);
    EXPECT_EQ(named.err, "scry: nothing.PCG: no such file or folder\n"
                         "scry: lib/backups/broken.PCG: not a PCG file (no KORG header)\n");
    EXPECT_EQ(SplitLines(named.out).size(), 1u);
    // The file skipped is still an input: -o never names it.
    const ScryRun over = Scry({"find", "lib", "Prog 17", "-o", "lib/backups/broken.PCG", "--force"});
    EXPECT_EQ(over.status, 2);
    EXPECT_NE(over.err.find("scry: cannot write lib/backups/broken.PCG: it is an input of this command\n"),
              std::string::npos)
        << over.err;
    EXPECT_EQ(Read("lib/backups/broken.PCG"), "not a PCG file at all");
}

TEST_F(Library, FindsByNameByPlaceAndBySoundUnderAnyName)
{
    Small live = Gig(), old = Gig(9);
    // Old's I-A040 holds the sound of live's I-A005 under another name.
    Put(old.programs, 40, Record(live.programs, 5));
    SetRecordName(old.programs, pcgw::ProgramSize, 40, "Vintage Rhodes MkI");
    SetName(old.setLists, 0,
            "Saturday St\xFC"
            "dio");
    Write("lib/live.PCG", live.Bytes());
    Write("lib/backups/old.PCG", old.Bytes());
    const std::string sound = HexLong(live.Model().banks[1].records[5].sound);
    // By sound: the record and the slot that plays it, in each file.
    ScryRun run = Scry({"find", "lib", "--sound-of", "lib/live.PCG", "Prog I-A005", "--each"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        SplitLines(run.out),
        (Texts{Shown("lib/backups/old.PCG") + "  Prog I-A040  \"Vintage Rhodes MkI\"  " + sound,
               Shown("lib/live.PCG") + "  SLOT 000/000  \"Piano\"  " +
                   HexLong(live.Model().banks[0].setLists[0].slots[0].fingerprint) + "  plays Prog I-A005 \"Prog 5\"",
               Shown("lib/live.PCG") + "  Prog I-A005  \"Prog 5\"  " + sound}));
    run = Scry({"find", "lib", "--sound-of", "lib/live.PCG", "Prog I-A005", "--kind", "prog"});
    EXPECT_EQ(SplitLines(run.out).size(), 2u);
    // By place: the records there and the slots that play it.
    run = Scry({"find", "lib", "--place", "Prog I-A006", "--kind", "slot", "--each"});
    EXPECT_EQ(SplitLines(run.out).size(), 2u);
    EXPECT_NE(run.out.find(Shown("lib/live.PCG") + "  SLOT 000/001  \"Pad\""), std::string::npos);
    // By name: letters in any case, Latin-1's too, set lists among what is found.
    run = Scry({"find", "lib", "STÜDIO", "--each"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out).size(), 1u);
    EXPECT_EQ(run.out.substr(0, 54), Shown("lib/backups/old.PCG") + "  SETLIST 000  \"Saturday St\xC3\xBC"
                                                                    "dio\"  ");
    EXPECT_NE(run.out.find("  3 slots used"), std::string::npos);
    // Nothing found: status 1, and what was looked for where.
    run = Scry({"find", "lib", "no such sound"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "scry: nothing named \"no such sound\" in 2 files\n");
    // The same hits as one document.
    run = Scry({"find", "lib", "Vintage Rhodes", "--json"});
    const nlohmann::json document = nlohmann::json::parse(run.out);
    ASSERT_EQ(document["hits"].size(), 1u) << run.out;
    EXPECT_EQ(document["hits"][0]["file"], Shown("lib/backups/old.PCG"));
    EXPECT_EQ(document["hits"][0]["kind"], "program");
    EXPECT_EQ(document["hits"][0]["number"], 40);
    EXPECT_EQ(document["hits"][0]["sound"], sound);
    // What cannot be asked.
    EXPECT_EQ(Scry({"find", "lib", "--place", "Q-Z999"}).err,
              "scry: --place Q-Z999: not a place (Prog U-A006, Combi I-B010, I-A000)\n");
    EXPECT_EQ(Scry({"find", "lib", "--sound-of", "lib/live.PCG", "Prog U-G000"}).err,
              "scry: lib/live.PCG holds no program or combination at Prog U-G000\n");
    EXPECT_EQ(Scry({"find", "lib", "--sound-of", "lib/live.PCG", "I-A000"}).err,
              "scry: I-A000 names a program and a combination of lib/live.PCG: say Prog I-A000 or Combi I-A000\n");
    EXPECT_EQ(Scry({"find", "lib", "x", "--kind", "drum"}).status, 2);
    // A name no PCG name can hold is said as it was typed.
    EXPECT_EQ(Scry({"find", "lib", "\xCE\xA9 Pad"}).err,
              "scry: \"\xCE\xA9 Pad\" holds characters no name can hold (names are ISO 8859-1)\n");
    EXPECT_EQ(Run({"history", "lib", "--name", "\xCE\xA9"}).err,
              "scry: \"\xCE\xA9\" holds characters no name can hold (names are ISO 8859-1)\n");
    EXPECT_EQ(Scry({"find", "lib"}).err,
              "scry: find what? paths, then a NAME; or --place PLACE, or --sound-of FILE PLACE\n");
}

// find says a hit once, with the files that hold it the same; --each a line per file.
TEST_F(Library, FindSaysEachHitOnceWithTheFilesThatHoldIt)
{
    Small changed = Gig();
    SetRecordName(changed.programs, pcgw::ProgramSize, 17, "Prog 17 bis");
    for (const char* name : {"lib/a.PCG", "lib/b.PCG", "lib/backups/c.PCG"})
        Write(name, Gig().Bytes());
    Write("lib/backups/d.PCG", changed.Bytes());
    const std::string sound = HexLong(Gig().Model().banks[1].records[17].sound);
    ScryRun run = Scry({"find", "lib", "Prog 17"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out),
              (Texts{"Prog I-A017  \"Prog 17\"  " + sound + "  in 3 files: " + Shown("lib/a.PCG") + ", " +
                         Shown("lib/b.PCG") + ", " + Shown("lib/backups/c.PCG"),
                     "Prog I-A017  \"Prog 17 bis\"  " + sound + "  in " + Shown("lib/backups/d.PCG")}));
    EXPECT_EQ(SplitLines(Scry({"find", "lib", "Prog 17", "--each"}).out).size(), 4u);
    // Slots: the same slot playing the same, once; in place order across files.
    run = Scry({"find", "lib", "--place", "Prog I-A005"});
    EXPECT_EQ(SplitLines(run.out).size(), 2u) << run.out;   // the slot "Piano", and the record
    EXPECT_EQ(run.out.rfind("SLOT 000/000  \"Piano\"", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("in 4 files: "), std::string::npos) << run.out;
    // Many files: eight named, then how many more.
    for (int i = 0; i < 8; ++i)
        Write("lib/more" + std::to_string(i) + ".PCG", Gig().Bytes());
    run = Scry({"find", "lib", "Prog 17"});
    EXPECT_NE(run.out.find("  in 11 files: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(", and 3 more (--each: a line per file)\n"), std::string::npos) << run.out;
}

TEST_F(Library, DupsGroupsSoundsWithinAndAcrossFiles)
{
    Small live = Gig(), old = Gig(9);
    Put(live.programs, 100, Record(live.programs, 5));   // within live
    Put(old.programs, 40, Record(live.programs, 5));     // and in old
    Put(old.programs, 41, Record(live.programs, 7));     // across only
    old.setLists = live.setLists;                        // set list 0 identical
    Write("a.PCG", live.Bytes());
    Write("b.PCG", old.Bytes());
    ScryRun run = Scry({"dups", "a.PCG", "b.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string fiveSound = HexLong(live.Model().banks[1].records[5].sound);
    const std::string sevenSound = HexLong(live.Model().banks[1].records[7].sound);
    const Texts lines = SplitLines(run.out);
    ASSERT_GE(lines.size(), 7u);
    // A line per file, with its places there.
    EXPECT_EQ(Texts(lines.begin(), lines.begin() + 6),
              (Texts{"SOUND " + fiveSound + "  HD-1 program, 3 places in 2 files",
                     "  a.PCG  Prog I-A005  \"Prog 5\", Prog I-A100  \"Prog 5\"", "  b.PCG  Prog I-A040  \"Prog 5\"",
                     "SOUND " + sevenSound + "  HD-1 program, 2 places in 2 files", "  a.PCG  Prog I-A007  \"Prog 7\"",
                     "  b.PCG  Prog I-A041  \"Prog 7\""}));
    EXPECT_NE(run.out.find(
                  "  a.PCG  SETLIST 000  \"Friday\"  3 slots used\n  b.PCG  SETLIST 000  \"Friday\"  3 slots used\n"),
              std::string::npos)
        << run.out;
    // Within one file only: --across leaves it out.
    Write("c.PCG", Gig(11).Bytes());
    Small self = Gig(12);
    Put(self.programs, 9, Record(self.programs, 8));
    Write("d.PCG", self.Bytes());
    run = Scry({"dups", "c.PCG", "d.PCG"});
    EXPECT_NE(run.out.find("2 places in 1 file"), std::string::npos) << run.out;
    run = Scry({"dups", "c.PCG", "d.PCG", "--across"});
    EXPECT_EQ(run.out.find("places in 1 file"), std::string::npos) << run.out;
    // The same groups without the catalogue, and as JSON.
    EXPECT_EQ(Scry({"dups", "a.PCG", "b.PCG"}, false).out, Scry({"dups", "a.PCG", "b.PCG"}).out);
    EXPECT_NE(Scry({"dups", "a.PCG", "b.PCG", "--json"}).out.find("\"sound\": \"" + fiveSound + "\""),
              std::string::npos);
}

TEST_F(Library, HistoryTellsEachVersionAgainstTheOneBefore)
{
    Small v1 = Gig();
    Small v2 = v1;
    SetRecordName(v2.programs, pcgw::ProgramSize, 5, "Rhodes");   // renamed
    Small v3 = v2;
    Put(v3.programs, 50, Record(v2.programs, 5));   // moved from I-A005 to I-A050
    Put(v3.programs, 5, Record(v2.programs, 60));
    v3.setLists.replace(SlotOffset(0, 2), pcgw::SlotSize, std::string(pcgw::SlotSize, '\0'));   // "Split" removed
    Write("v1.PCG", v1.Bytes());
    Write("v2.PCG", v2.Bytes());
    Write("v3.PCG", v3.Bytes());
    ScryRun run = Run({"history", "v1.PCG", "v2.PCG", "v3.PCG"});
    EXPECT_EQ(run.status, 1) << run.err;
    const Texts lines = SplitLines(run.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "== v2.PCG (after v1.PCG)");
    EXPECT_EQ(lines[1], "PROGRAM I-A005: renamed \"Prog 5\" -> \"Rhodes\"");
    EXPECT_NE(run.out.find("== v3.PCG (after v2.PCG)\n"), std::string::npos);
    EXPECT_NE(run.out.find("SLOT 000/002 \"Split\" (Friday): removed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("PROGRAM I-A050: now holds OLD's I-A005 \"Rhodes\""), std::string::npos) << run.out;
    // One thing followed through the versions: by name, then by place.
    run = Run({"history", "v1.PCG", "v2.PCG", "v3.PCG", "--name", "rhodes"});
    Texts followed = SplitLines(run.out);
    ASSERT_GE(followed.size(), 4u) << run.out;
    EXPECT_EQ(Texts(followed.begin(), followed.begin() + 3),
              (Texts{"== v2.PCG (after v1.PCG)", "PROGRAM I-A005: renamed \"Prog 5\" -> \"Rhodes\"",
                     "== v3.PCG (after v2.PCG)"}));
    for (std::size_t i = 3; i < followed.size(); ++i)
        EXPECT_NE(followed[i].find("Rhodes"), std::string::npos) << followed[i];
    run = Run({"history", "v1.PCG", "v2.PCG", "v3.PCG", "--place", "Combi I-A000"});
    followed = SplitLines(run.out);
    ASSERT_EQ(followed.size(), 2u) << run.out;
    EXPECT_EQ(followed[0], "== v3.PCG (after v2.PCG)");
    EXPECT_EQ(followed[1].rfind("SLOT 000/002 \"Split\" (Friday): removed", 0), 0u) << followed[1];
    // --by-time: oldest first, whatever the order given.
    fs::last_write_time(Path("v1.PCG"), fs::file_time_type::clock::now() - std::chrono::hours(3));
    fs::last_write_time(Path("v2.PCG"), fs::file_time_type::clock::now() - std::chrono::hours(2));
    fs::last_write_time(Path("v3.PCG"), fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_EQ(Run({"history", "v3.PCG", "v1.PCG", "v2.PCG", "--by-time"}).out,
              Run({"history", "v1.PCG", "v2.PCG", "v3.PCG"}).out);
    // The same file twice: nothing changed, status 0.
    run = Run({"history", "v1.PCG", "v1.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "== v1.PCG (after v1.PCG)\nno differences\n");
}

// A bank whose records mostly hold other sounds (a bank loaded over another) is one line, --all a
// line each; a file of another origin is said as such and passed over.
TEST_F(Library, HistorySaysABankLoadedOnceAndAFileOfAnotherOrigin)
{
    const Small v1 = Gig();
    Small v2 = Gig(21);   // programs all other sounds, kept names
    SetRecordName(v2.programs, pcgw::ProgramSize, 0, "Bought Zero");
    Small foreign = Gig(33);
    FillRecords(foreign.combis, pcgw::CombiSize, 34);
    Small v3 = v2;
    SetRecordName(v3.programs, pcgw::ProgramSize, 9, "Nine");
    Write("v1.PCG", v1.Bytes());
    Write("v2.PCG", v2.Bytes());
    Write("band.PCG", foreign.Bytes());
    Write("v3.PCG", v3.Bytes());
    ScryRun run = Run({"history", "v1.PCG", "v2.PCG", "band.PCG", "v3.PCG"});
    EXPECT_EQ(run.status, 1) << run.err;
    const Texts lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 10u) << run.out;
    EXPECT_EQ(lines[0], "== v2.PCG (after v1.PCG)");
    // The bank in one line, then what the slots that play its places now play.
    EXPECT_EQ(lines[1], "PROGRAM BANK I-A: 128 of its 128 programs hold another sound (--all: a line each)");
    EXPECT_EQ(lines[2], "SLOT 000/000 \"Piano\" (Friday): now plays \"Prog 5\" (Prog I-A005) with another sound");
    EXPECT_EQ(lines[5], "== band.PCG (after v2.PCG)");
    EXPECT_EQ(lines[6], "not versions of one file: 33% of their programs, combinations and set lists are the same at "
                        "the same place (scry diff compares them all the same); the next is compared with v2.PCG");
    EXPECT_EQ(Texts(lines.begin() + 7, lines.end()),
              (Texts{"== v3.PCG (after v2.PCG)", "PROGRAM I-A009: renamed \"Prog 9\" -> \"Nine\"",
                     "1 difference: 1 renamed, 0 changed, 0 moved, 0 copied, 0 added, 0 removed, 0 slot settings"}));
    // --all: a line for each record.
    run = Run({"history", "v1.PCG", "v2.PCG", "--all"});
    EXPECT_EQ(Occurrences(run.out, "\nPROGRAM I-A"), 128u) << run.out;
    EXPECT_NE(run.out.find("PROGRAM I-A000: renamed \"Prog 0\" -> \"Bought Zero\" and changed"), std::string::npos);
    // Nothing but a file of another origin after the first: status 1, no "next".
    run = Run({"history", "v1.PCG", "band.PCG"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("the next"), std::string::npos) << run.out;
}

// A record whose whole bank is gone from the next version (or comes with a bank the last did not
// hold) is said, followed by name or by place, after its bank's own line.
TEST_F(Library, HistoryFollowsARecordGoneWithItsBank)
{
    const Small gig = Gig();
    const std::string withBank = gig.Bytes();
    const std::string withoutBank = PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, gig.setLists)) +
                                            Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, gig.combis)) +
                                            Chunk("GLB1", gig.global));
    Write("v1.PCG", withBank);
    Write("v2.PCG", withoutBank);
    Write("v3.PCG", withBank);
    ScryRun run = Run({"history", "v1.PCG", "v2.PCG", "v3.PCG", "--name", "prog 12"});
    EXPECT_EQ(run.status, 1) << run.err;
    const Texts lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 22u) << run.out;   // a heading, the bank and "Prog 12" and "Prog 120" to "127", twice
    EXPECT_EQ(lines[0], "== v2.PCG (after v1.PCG)");
    EXPECT_EQ(lines[1].rfind("PROGRAM BANK I-A", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "PROGRAM I-A012 \"Prog 12\": gone with its bank");
    EXPECT_EQ(lines[3], "PROGRAM I-A120 \"Prog 120\": gone with its bank");
    EXPECT_EQ(lines[11], "== v3.PCG (after v2.PCG)");
    EXPECT_EQ(lines[13], "PROGRAM I-A012 \"Prog 12\": came with its bank");
    run = Run({"history", "v1.PCG", "v2.PCG", "--place", "Prog I-A007"});
    EXPECT_EQ(SplitLines(run.out).back(), "PROGRAM I-A007 \"Prog 7\": gone with its bank") << run.out;
}

TEST_F(Library, TheCatalogueReadsAgainOnlyWhatChanged)
{
    Write("lib/a.PCG", Gig().Bytes());
    Write("lib/backups/b.PCG", Gig(9).Bytes());
    EXPECT_EQ(SplitLines(Scry({"find", "lib", "Prog 3", "--each"}).out).size(), 22u);   // "Prog 3", "Prog 30" to "39" in each
    EXPECT_TRUE(Exists("cat.sqlite"));
    // Changed in place: the same size, a name changed, its time set back where it was plus a second.
    const auto time = fs::last_write_time(Path("lib/a.PCG"));
    Small changed = Gig();
    SetRecordName(changed.programs, pcgw::ProgramSize, 3, "Prog three");
    Write("lib/a.PCG", changed.Bytes());
    fs::last_write_time(Path("lib/a.PCG"), time + std::chrono::seconds(1));
    ScryRun run = Scry({"find", "lib", "Prog 3", "--each"});
    EXPECT_EQ(run.out.find(Shown("lib/a.PCG") + "  Prog I-A003"), std::string::npos) << run.out;
    EXPECT_NE(Scry({"find", "lib", "three", "--each"}).out.find(Shown("lib/a.PCG") + "  Prog I-A003  \"Prog three\""),
              std::string::npos);
    // A file unchanged, its time and size as catalogued: what the catalogue holds is taken.
    {
        scry::Database database(Path("cat.sqlite"));
        scry::Statement row(database, "SELECT summary, key FROM files WHERE CAST(key AS TEXT) LIKE '%b.PCG'");
        ASSERT_TRUE(row.Step());
        const scry::StoredFile stored = scry::DecodeFile(row.Bytes(0), row.Bytes(1));
        row.Reset();
        ASSERT_EQ(stored.summary.banks.front().name, "I-A");
        scry::Statement rows(database, "SELECT rows FROM rows WHERE id = ?1");
        rows.Bind(1, stored.bankRows.front());
        ASSERT_TRUE(rows.Step());
        scry::BankRows programs = scry::DecodeRows(rows.Bytes(0));
        rows.Reset();
        programs.records[1].name = "Marked";
        scry::Statement(database, "UPDATE rows SET rows = ?1 WHERE id = ?2")
            .Bind(1, scry::EncodeRows(programs))
            .Bind(2, stored.bankRows.front())
            .Run();
    }
    EXPECT_NE(Scry({"find", "lib", "marked", "--each"}).out.find(Shown("lib/backups/b.PCG") + "  Prog I-A001  \"Marked\""),
              std::string::npos);
    // Gone: dropped from the catalogue, and the rows no other file holds with it.
    fs::remove(Path("lib/backups/b.PCG"));
    EXPECT_EQ(Scry({"find", "lib", "marked"}).status, 1);
    scry::Database database(Path("cat.sqlite"));
    EXPECT_EQ(database.Number("SELECT count(*) FROM files"), 1);
    EXPECT_EQ(database.Number("SELECT count(*) FROM rows"), 3);   // a.PCG's programs, combinations, set lists
    EXPECT_EQ(database.Number("SELECT count(*) FROM rows WHERE id NOT IN (SELECT rows FROM holds)"), 0);
}

// Backups hold the same banks: the catalogue keeps each bank's rows once, and every file that
// holds them is found as if it had its own.
TEST_F(Library, RowsAFileSharesWithOthersAreKeptOnceAndFoundInEach)
{
    Small changed = Gig();
    SetRecordName(changed.programs, pcgw::ProgramSize, 3, "Prog three");
    Write("lib/a.PCG", Gig().Bytes());
    Write("lib/b.PCG", Gig().Bytes());
    Write("lib/c.PCG", changed.Bytes());
    const std::string without = Scry({"find", "lib", "Prog 1", "--each"}, false).out;
    EXPECT_EQ(Scry({"find", "lib", "Prog 1", "--each"}).out, without);
    EXPECT_EQ(Scry({"find", "lib", "Prog 1", "--each"}).out, without);   // the second from the catalogue alone
    EXPECT_EQ(SplitLines(without).size(), 3u * 39u);           // Prog 1, 10 to 19, 100 to 127
    scry::Database database(Path("cat.sqlite"));
    // a and b share all three; c its combinations and set lists, not its programs.
    EXPECT_EQ(database.Number("SELECT count(*) FROM rows"), 4);
    EXPECT_EQ(database.Number("SELECT count(*) FROM holds"), 9);
    EXPECT_EQ(Scry({"dups", "lib"}).out, Scry({"dups", "lib"}, false).out);
    EXPECT_EQ(Scry({"find", "lib", "--sound-of", "lib/a.PCG", "Prog I-A005"}).out,
              Scry({"find", "lib", "--sound-of", "lib/a.PCG", "Prog I-A005"}, false).out);
    EXPECT_EQ(Scry({"find", "lib", "--place", "Prog I-A005"}).out,
              Scry({"find", "lib", "--place", "Prog I-A005"}, false).out);
    // One of them changed: its old rows stay while another file holds them.
    Write("lib/b.PCG", changed.Bytes());
    EXPECT_EQ(Scry({"find", "lib", "three", "--each"}).out, Shown("lib/b.PCG") + "  Prog I-A003  \"Prog three\"  " +
                                                      HexLong(changed.Model().banks[1].records[3].sound) + "\n" +
                                                      Shown("lib/c.PCG") + "  Prog I-A003  \"Prog three\"  " +
                                                      HexLong(changed.Model().banks[1].records[3].sound) + "\n");
    EXPECT_EQ(database.Number("SELECT count(*) FROM rows"), 4);
    fs::remove(Path("lib/a.PCG"));
    Scry({"find", "lib", "three"});
    EXPECT_EQ(database.Number("SELECT count(*) FROM rows"), 3);
}

// Two processes share a catalogue: rows that one of them still knows, and that the other dropped
// with the last file that held them, are stored again when a file holds them anew.
TEST_F(Library, RowsAnotherProcessDroppedAreStoredAgain)
{
    const scry::FileSummary summary = scry::SummaryOf(Gig().Model());
    scry::Catalogue one(Path("cat.sqlite")), two(Path("cat.sqlite"));
    const FileIdentity identity{1000, 2000, 3000};
    const std::int64_t first = one.Store("/lib/f.PCG", identity, summary);
    const std::optional<scry::FileSummary> loaded = two.Load(first);   // two knows its rows now
    ASSERT_TRUE(loaded);
    one.Drop({first});   // the last file that held them: the rows go with it
    EXPECT_EQ(scry::Database(Path("cat.sqlite")).Number("SELECT count(*) FROM rows"), 0);
    const std::int64_t again = two.Store("/lib/g.PCG", identity, *loaded);
    const std::optional<scry::FileSummary> back = one.Load(again);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->banks.size(), summary.banks.size());
    EXPECT_TRUE(*back->banks[1].rows == *summary.banks[1].rows);
    EXPECT_TRUE(*back->setLists == *summary.setLists);
}

// An id the catalogue gave is never given again: rows one process knows by their id are not
// taken for other rows that another process stored after dropping them.
TEST_F(Library, RowsStoredAfterOthersWereDroppedNeverTakeTheirIds)
{
    const scry::FileSummary summary = scry::SummaryOf(Gig().Model());
    scry::FileSummary other = summary;
    for (scry::LibraryBank& bank : other.banks) {
        ASSERT_TRUE(bank.rows != nullptr && !bank.rows->records.empty());
        auto rows = std::make_shared<scry::BankRows>(*bank.rows);
        rows->records.front().name = "Another";
        bank.rows = rows;
    }
    ASSERT_TRUE(other.setLists != nullptr && !other.setLists->setLists.empty());
    auto lists = std::make_shared<scry::BankRows>(*other.setLists);
    lists->setLists.front().name = "Another";
    other.setLists = lists;
    scry::Catalogue one(Path("cat.sqlite")), two(Path("cat.sqlite"));
    const FileIdentity identity{1000, 2000, 3000};
    const std::int64_t first = one.Store("/lib/f.PCG", identity, summary);
    const std::optional<scry::FileSummary> loaded = two.Load(first);   // two knows its rows' ids now
    ASSERT_TRUE(loaded);
    one.Drop({first});
    const std::int64_t replaced = one.Store("/lib/f.PCG", identity, other);
    EXPECT_NE(replaced, first);
    const std::int64_t again = two.Store("/lib/g.PCG", identity, *loaded);
    for (const std::int64_t id : {again, replaced}) {
        const std::optional<scry::FileSummary> back = scry::Catalogue(Path("cat.sqlite")).Load(id);
        const scry::FileSummary& meant = id == again ? summary : other;
        ASSERT_TRUE(back);
        ASSERT_EQ(back->banks.size(), meant.banks.size());
        for (std::size_t b = 0; b < meant.banks.size(); ++b)
            EXPECT_TRUE(*back->banks[b].rows == *meant.banks[b].rows) << "bank " << b << " of file " << id;
        EXPECT_TRUE(*back->setLists == *meant.setLists) << "file " << id;
    }
    // A file that another process dropped after this one read the entries: nothing, no damage.
    scry::Catalogue three(Path("cat.sqlite"));
    ASSERT_EQ(three.Entries().count("/lib/f.PCG"), 1u);
    one.Drop({replaced});   // the last file that held its rows
    EXPECT_FALSE(three.Load(replaced));
    EXPECT_TRUE(three.Load(again));
}

TEST_F(Library, ACatalogueThatCannotBeUsedIsSetAsideAndBuiltAnew)
{
    Write("lib/a.PCG", Gig().Bytes());
    const std::string lines = Scry({"find", "lib", "Prog 1"}, false).out;
    // A file that is no database is someone's: refused, left as it was.
    Write("cat.sqlite", std::string(4096, 'x'));
    ScryRun run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "scry: cannot keep the catalogue in cat.sqlite: it is a file that is not a catalogue of scry's; "
                       "--catalogue names a new file, or one scry made\n");
    EXPECT_EQ(Read("cat.sqlite"), std::string(4096, 'x'));
    // A catalogue of scry's whose first page is damaged: set aside, and a new one works.
    fs::remove(Path("cat.sqlite"));
    Scry({"find", "lib", "Prog 1"});
    {
        std::string bytes = Read("cat.sqlite");
        ASSERT_GT(bytes.size(), 100u);
        bytes.replace(16, 8, std::string(8, '\xFF'));   // page size and format bytes
        Write("cat.sqlite", bytes);
    }
    run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, lines);
    EXPECT_EQ(run.err, "scry: catalogue cat.sqlite cannot be used (file is not a database); set aside as "
                       "cat.sqlite.set-aside, and built anew\n");
    EXPECT_TRUE(Exists("cat.sqlite.set-aside"));
    EXPECT_EQ(Scry({"find", "lib", "Prog 1"}).err, "");   // the new one works
    // Another schema version of scry's.
    fs::remove(Path("cat.sqlite"));
    {
        scry::Database other(Path("cat.sqlite"));
        other.Execute("PRAGMA user_version = 99; CREATE TABLE files (x)");
    }
    run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.out, lines);
    EXPECT_EQ(run.err, "scry: catalogue cat.sqlite cannot be used (its schema is version 99, not " +
                           std::to_string(scry::CatalogueVersion()) +
                           "); set aside as cat.sqlite.set-aside-2, and built anew\n");
    // A folder where the catalogue should be: left alone, every file read.
    fs::remove(Path("cat.sqlite"));
    fs::create_directory(Path("cat.sqlite"));
    run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.out, lines);
    EXPECT_NE(run.err.find("; every file is read afresh\n"), std::string::npos) << run.err;
    // A row damaged: set aside, the search as without.
    fs::remove(Path("cat.sqlite"));
    Scry({"find", "lib", "Prog 1"});
    {
        scry::Database database(Path("cat.sqlite"));
        database.Execute("UPDATE files SET summary = x'53464C3301'");
    }
    run = Scry({"find", "lib", "Piano"});
    EXPECT_EQ(run.out, Scry({"find", "lib", "Piano"}, false).out);
    EXPECT_EQ(run.err, "scry: catalogue cat.sqlite cannot be used (a file's summary is damaged: the blob ends early); "
                       "set aside as cat.sqlite.set-aside-3, and built anew\n");
    // One file's summary under another's key: said once, set aside, every file read again.
    Write("lib/b.PCG", Gig(9).Bytes());
    Scry({"find", "lib", "Prog 1"});
    {
        scry::Database database(Path("cat.sqlite"));
        database.Execute("UPDATE files SET summary = (SELECT summary FROM files WHERE CAST(key AS TEXT) LIKE "
                         "'%b.PCG') WHERE CAST(key AS TEXT) LIKE '%a.PCG'");
    }
    run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.out, Scry({"find", "lib", "Prog 1"}, false).out);
    EXPECT_EQ(run.err, "scry: catalogue cat.sqlite cannot be used (a file's summary is damaged: it is stored under "
                       "another file's name); set aside as cat.sqlite.set-aside-4, and built anew\n");
    EXPECT_EQ(Scry({"find", "lib", "Prog 1"}).err, "");
}

#if !defined(_WIN32)
// A catalogue that is another user's (in a folder both share) is read as it stands: searches
// answer as without it, nothing is stored in it, no -wal or -shm is made beside it, and damage
// is said without the catalogue ever being set aside.
TEST_F(Library, AnotherUsersCatalogueIsReadNeverWritten)
{
    Write("lib/a.PCG", Gig().Bytes());
    ASSERT_EQ(Scry({"find", "lib", "Prog 1"}).err, "");
    // Another user's: given away where this test may (as root), else made read-only.
    if (::geteuid() == 0)
        ASSERT_EQ(::chown(Path("cat.sqlite").c_str(), 1, 1), 0);
    else
        fs::permissions(Path("cat.sqlite"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string note = "scry: note: catalogue cat.sqlite is another user's, or not yours to write: it is read, "
                             "and nothing is kept in it\n";
    Write("lib/b.PCG", Gig(9).Bytes());
    ScryRun run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Scry({"find", "lib", "Prog 1"}, false).out);
    EXPECT_EQ(run.err, note);
    EXPECT_FALSE(Exists("cat.sqlite-wal"));
    EXPECT_FALSE(Exists("cat.sqlite-shm"));
    {
        scry::Database read(Path("cat.sqlite"), true);
        EXPECT_EQ(read.Number("SELECT count(*) FROM files"), 1);
    }
    // Damaged: said, every file read, the catalogue left where it is.
    {
        std::string bytes = Read("cat.sqlite");
        bytes.replace(16, 8, std::string(8, '\xFF'));
        fs::permissions(Path("cat.sqlite"), fs::perms::owner_write, fs::perm_options::add);
        std::ofstream(Path("cat.sqlite"), std::ios::binary | std::ios::in | std::ios::out).write(bytes.data(), 100);
        fs::permissions(Path("cat.sqlite"), fs::perms::owner_write, fs::perm_options::remove);
    }
    run = Scry({"find", "lib", "Prog 1"});
    EXPECT_EQ(run.out, Scry({"find", "lib", "Prog 1"}, false).out);
    EXPECT_NE(run.err.find("cannot be used"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("; every file is read afresh\n"), std::string::npos) << run.err;
    EXPECT_TRUE(Exists("cat.sqlite"));
    EXPECT_FALSE(Exists("cat.sqlite.set-aside"));
}
#endif

TEST_F(Library, TheSameLinesWithAndWithoutTheCatalogueDamagedFilesAmongThem)
{
    // The demo, cut in three places, a file of zero padding, a bank that cannot be loaded, and
    // small files: every query form, cold, warm and without a catalogue.
    const std::string& demo = DemoBytes();
    Write("lib/demo.PCG", demo);
    Write("lib/cut/one.PCG", demo.substr(0, demo.size() / 3));
    Write("lib/cut/two.PCG", demo.substr(0, demo.size() / 2 + 17));
    Write("lib/cut/three.PCG", demo.substr(0, demo.size() - 100));
    Small padded = Gig();
    padded.extra = std::string(64, '\0');
    Write("lib/padded.PCG", padded.Bytes());
    Small refused = Gig();
    refused.extra = Chunk("PRG1", Chunk("PBK1", BankHead(128, pcgw::ProgramSize, 0x20000) + "short"));
    Write("lib/refused.PCG", refused.Bytes());
    Write("lib/small.PCG", Gig(3).Bytes());
    for (const std::vector<std::string>& asked : std::vector<std::vector<std::string>>{
             {"find", "lib", "a"},
             {"find", "lib", "--place", "I-A000"},
             {"find", "lib", "--sound-of", "lib/demo.PCG", "Prog I-A088"},
             {"find", "lib", "piano", "--json", "--kind", "slot", "--kind", "setlist"},
             {"dups", "lib"},
             {"dups", "lib", "--across", "--json"}}) {
        const ScryRun without = Scry(asked, false);
        fs::remove(Path("cat.sqlite"));
        const ScryRun cold = Scry(asked);
        const ScryRun warm = Scry(asked);
        EXPECT_EQ(without.status, 3) << asked[2];
        EXPECT_EQ(cold.out, without.out) << asked[2];
        EXPECT_EQ(warm.out, without.out) << asked[2];
        EXPECT_EQ(cold.err, without.err) << asked[2];
        EXPECT_EQ(warm.err, without.err) << asked[2];
        EXPECT_EQ(warm.status, without.status) << asked[2];
    }
    const std::string said = Scry({"find", "lib", "a"}).err;
    EXPECT_NE(said.find("scry: warning: " + Shown("lib/cut/one.PCG") + " is damaged: "), std::string::npos) << said;
}

namespace {

void SetVariable(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

}   // namespace

TEST(CataloguePath, TheUsersCacheFolder)
{
    const auto saved = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    const std::optional<std::string> cache = saved("XDG_CACHE_HOME"), home = saved("HOME"),
                                     local = saved("LOCALAPPDATA");
    if (PosixSystem) {
        SetVariable("XDG_CACHE_HOME", "/tmp/cache");
        EXPECT_EQ(scry::DefaultCataloguePath(), "/tmp/cache/scry/library.sqlite");
        SetVariable("XDG_CACHE_HOME", nullptr);
        SetVariable("HOME", "/home/player");
        EXPECT_EQ(scry::DefaultCataloguePath(), "/home/player/.cache/scry/library.sqlite");
        SetVariable("HOME", nullptr);
        EXPECT_EQ(scry::DefaultCataloguePath(), "");
    } else {
        SetVariable("LOCALAPPDATA", "C:\\Users\\player\\AppData\\Local");
        EXPECT_EQ(scry::DefaultCataloguePath(), "C:\\Users\\player\\AppData\\Local\\scry\\library.sqlite");
    }
    SetVariable("XDG_CACHE_HOME", cache ? cache->c_str() : nullptr);
    SetVariable("HOME", home ? home->c_str() : nullptr);
    SetVariable("LOCALAPPDATA", local ? local->c_str() : nullptr);
}

TEST(SummaryCodec, ReadsBackWhatItWroteAndRefusesAnythingElse)
{
    Small gig = Gig();
    gig.extra = std::string(32, '\0');   // a problem too
    const scry::FileSummary summary = scry::SummaryOf(gig.Model());
    ASSERT_FALSE(summary.problems.empty());
    ASSERT_EQ(summary.banks.size(), 2u);
    const std::string key = "/lib/gig.PCG";
    const std::string blob = scry::EncodeFile(summary, key, {7, 0}, 9);
    const scry::StoredFile back = scry::DecodeFile(blob, key);
    EXPECT_EQ(scry::EncodeFile(back.summary, key, back.bankRows, back.setListRows), blob);
    EXPECT_EQ(back.bankRows, (std::vector<std::int64_t>{7, 0}));
    EXPECT_EQ(back.setListRows, 9);
    EXPECT_EQ(back.summary.banks[1].name, "I-A");
    EXPECT_EQ(back.summary.problems.front().kind, scry::ProblemKind::ZeroPadding);
    const std::string rows = scry::EncodeRows(*summary.setLists);
    EXPECT_TRUE(scry::DecodeRows(rows) == *summary.setLists);
    EXPECT_TRUE(scry::DecodeRows(scry::EncodeRows(*summary.banks[1].rows)) == *summary.banks[1].rows);
    EXPECT_EQ(scry::SlotOf(summary, summary.setLists->slots[0]).playsName, "Prog 5");
    // Every blob cut short, a count beyond its end, a value out of range, bytes after it.
    for (std::size_t cut = 0; cut < blob.size(); cut += 7)
        EXPECT_THROW(scry::DecodeFile(blob.substr(0, cut), key), scry::DamagedSummary) << cut;
    for (std::size_t cut = 0; cut < rows.size(); cut += 7)
        EXPECT_THROW(scry::DecodeRows(rows.substr(0, cut)), scry::DamagedSummary) << cut;
    const std::size_t head = 4 + 4 + key.size() + 1;   // mark, key, format code
    std::string counted = blob;
    counted[head + 3] = '\x7F';   // the high byte of the count of problems
    EXPECT_THROW(scry::DecodeFile(counted, key), scry::DamagedSummary);
    EXPECT_THROW(scry::DecodeFile(blob + "x", key), scry::DamagedSummary);
    EXPECT_THROW(scry::DecodeRows(rows + "x"), scry::DamagedSummary);
    std::string kind = blob;
    kind[head + 4] = static_cast<char>(static_cast<int>(scry::LastProblemKind) + 1);   // the first problem's kind
    EXPECT_THROW(scry::DecodeFile(kind, key), scry::DamagedSummary);
    EXPECT_THROW(scry::DecodeFile(rows, key), scry::DamagedSummary);   // rows are no file's blob
    // One file's summary under another's key.
    EXPECT_THROW(scry::DecodeFile(blob, "/lib/other.PCG"), scry::DamagedSummary);
}

// Rows edited by hand to hold what no file can: each is damage, never printed as fact.
TEST(SummaryCodec, RowsOutsideWhatTheFormatAllowsAreDamaged)
{
    const scry::FileSummary summary = scry::SummaryOf(Gig().Model());
    const scry::BankRows& truthful = *summary.setLists;
    ASSERT_FALSE(truthful.slots.empty());
    EXPECT_TRUE(scry::DecodeRows(scry::EncodeRows(truthful)) == truthful);
    const std::vector<std::function<void(scry::BankRows&)>> lies = {
        [](scry::BankRows& rows) { rows.setLists[0].number = 9999; },
        [](scry::BankRows& rows) { rows.slots[0].slot = 4000000000u; },
        [](scry::BankRows& rows) { rows.slots[0].setList = 128; },
        [](scry::BankRows& rows) { rows.slots[0].name = std::string(100000, 'n'); },
        [](scry::BankRows& rows) { rows.setLists[1].name = std::string(25, 'n'); },
        [](scry::BankRows& rows) { rows.setLists[0].used += 1; },
        [](scry::BankRows& rows) { rows.slots[0].target.bank = 32; },
        [](scry::BankRows& rows) { std::swap(rows.setLists[0], rows.setLists[1]); },
        [](scry::BankRows& rows) { rows.slots.push_back(rows.slots.back()); },
    };
    for (std::size_t k = 0; k < lies.size(); ++k) {
        scry::BankRows lying = truthful;
        lies[k](lying);
        EXPECT_THROW(scry::DecodeRows(scry::EncodeRows(lying)), scry::DamagedSummary) << "lie " << k;
    }
    scry::BankRows records = *summary.banks[0].rows;
    records.records[3].name = std::string(100000, 'n');
    EXPECT_THROW(scry::DecodeRows(scry::EncodeRows(records)), scry::DamagedSummary);
    records = *summary.banks[0].rows;
    records.records.push_back(records.records[0]);   // a 129th record
    EXPECT_THROW(scry::DecodeRows(scry::EncodeRows(records)), scry::DamagedSummary);
}

TEST(ProgressText, FilesAndGigabytes)
{
    EXPECT_EQ(scry::ProgressText({312, 1000, 4123456789u, true}), "reading 312/1000 files, 4.1 GB");
    EXPECT_EQ(scry::ProgressText({0, 3, 0, true}), "reading 0/3 files, 0.0 GB");
}

TEST(InOrder, ResultsComeInOrderWhateverThreadDoesThem)
{
    std::vector<std::size_t> taken;
    scry::InOrder<std::size_t>(
        100, 4,
        [](std::size_t i) {
            std::this_thread::sleep_for(std::chrono::microseconds((i * 37) % 11 * 100));
            return i * i;
        },
        [&](std::size_t i, std::size_t&& square) {
            EXPECT_EQ(square, i * i);
            taken.push_back(i);
        },
        [] {});
    ASSERT_EQ(taken.size(), 100u);
    for (std::size_t i = 0; i < taken.size(); ++i)
        EXPECT_EQ(taken[i], i);
    // What take raises ends the work, every thread joined, and comes out.
    EXPECT_THROW(scry::InOrder<int>(
                     50, 3, [](std::size_t) { return 1; },
                     [](std::size_t i, int&&) {
                         if (i == 7)
                             throw std::runtime_error("stop");
                     },
                     [] {}),
                 std::runtime_error);
}
