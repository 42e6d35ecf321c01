// scry follow and scry copy, end to end: the lines they say, the files they write (read back by
// bankscry's own listings: exactly the records and slots meant differ), what scry diff sees of
// them, and each refusal with nothing written.
#include <algorithm>
#include <set>

#include "PCG_readK/Banks.h"
#include "ScrySupport.h"
#include "model/Copy.h"
#include "model/Follow.h"
#include "text/CarryText.h"
#include "write/Carry.h"
#include "TestSupport.h"

using namespace pcgw;

namespace {

// A file of set lists playing programs of an HD-1 bank I-A and an EXi bank I-B and combinations
// of I-A, with a GM slot and a song slot; bank U-A of programs is there, unplayed.
struct Gig {
    std::string setLists = Records(pcgw::SetListSize);
    std::string programs = Records(pcgw::ProgramSize);   // I-A, HD-1
    std::string exi = Records(pcgw::ProgramSize);        // I-B, EXi
    std::string user = Records(pcgw::ProgramSize);       // U-A, HD-1
    std::string combis = Records(pcgw::CombiSize);
    std::string extra;   // more program banks, after U-A

    Gig()
    {
        SetName(setLists, 0, "Friday");
        SetSlot(setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
        SetSlot(setLists, 0, 1, "Pad", PackSlot(1, 4, 0, 0, 0, 6, 0, 100, 0));
        SetSlot(setLists, 0, 2, "Split", PackSlot(0, 1, 0, 0, 0, 0, 0, 90, 0));
        SetSlot(setLists, 0, 3, "Lead", PackSlot(1, 5, 0, 1, 0, 9, 0, 100, 0));     // I-B009, EXi
        SetSlot(setLists, 0, 4, "Choir", PackSlot(1, 0, 0, 6, 0, 52, 0, 100, 0));   // GM052
        SetSlot(setLists, 0, 5, "Song", PackSlot(2, 0, 0, 0, 0, 3, 0, 100, 0));
        SetName(setLists, pcgw::SetListSize, "Saturday");
        SetSlot(setLists, 1, 0, "Organ", PackSlot(1, 3, 0, 0, 0, 20, 0, 110, 0));   // I-A020
        FillRecords(programs, pcgw::ProgramSize, 31);
        FillRecords(exi, pcgw::ProgramSize, 32);
        FillRecords(user, pcgw::ProgramSize, 33);
        FillRecords(combis, pcgw::CombiSize, 34);
        for (std::size_t i = 0; i < 128; ++i) {
            SetRecordName(programs, pcgw::ProgramSize, i, "Prog " + std::to_string(i));
            SetRecordName(exi, pcgw::ProgramSize, i, "EXi " + std::to_string(i));
            SetRecordName(user, pcgw::ProgramSize, i, "User " + std::to_string(i));
        }
        SetRecordName(combis, pcgw::CombiSize, 0, "Combi Zero");
    }
    std::string Record(const std::string& bank, std::size_t i, std::size_t size = pcgw::ProgramSize) const
    {
        return bank.substr(size * i, size);
    }
    std::string Bytes() const
    {
        return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                       Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs) +
                                         BankChunk("MBK1", 1, pcgw::ProgramSize, exi) +
                                         BankChunk("PBK1", 0x20000, pcgw::ProgramSize, user) + extra) +
                       Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, combis)) + Chunk("GLB1", "global"));
    }
};

void Put(std::string& bank, std::size_t i, const std::string& record)
{
    bank.replace(record.size() * i, record.size(), record);
}

// bankscry's listings of two files, line by line: the report and CSV lines that differ.
std::set<std::string> Changed(const std::string& before, const std::string& after)
{
    const auto listings = [&](const std::string& bytes) {
        ResetReaderState();
        const Listed listed = ListInMemory("x.PCG", bytes);
        return SplitLines(listed.report + listed.csv);
    };
    const Texts a = listings(before), b = listings(after);
    EXPECT_EQ(a.size(), b.size());
    std::set<std::string> changed;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            changed.insert(b[i].substr(0, b[i].rfind(' ')));   // the line but its fingerprint
    return changed;
}

using CarryFiles = ScryFiles;

}   // namespace

TEST_F(CarryFiles, FollowRetargetsSlotsWhoseSoundsMovedWithinABank)
{
    const Gig before;
    Gig after = before;
    Put(after.programs, 5, before.Record(before.programs, 6));
    Put(after.programs, 6, before.Record(before.programs, 5));
    Write("old.PCG", before.Bytes());
    Write("new.PCG", after.Bytes());
    ScryRun run = Run({"follow", "old.PCG", "new.PCG", "-o", "out.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out), (Texts{"SLOT 000/000 \"Piano\" (Friday): Prog I-A005 -> Prog I-A006 \"Prog 5\"",
                                          "SLOT 000/001 \"Pad\" (Friday): Prog I-A006 -> Prog I-A005 \"Prog 6\"",
                                          "2 slots retargeted, 0 lost"}));
    EXPECT_NE(run.err.find("note: combinations name the programs"), std::string::npos);
    // Exactly those two slots differ from NEW, in bankscry's report and CSV alike.
    const std::set<std::string> changed = Changed(Read("new.PCG"), Read("out.PCG"));
    EXPECT_EQ(changed.size(), 4u);
    for (const std::string& line : changed)
        EXPECT_TRUE(line.rfind("SETLIST 000 \"                  Friday\" Slot 00", 0) == 0 ||
                    line.rfind("000/", 0) == 0)
            << line;
    // What diff sees: the two slots and what they play, nothing else.
    run = Run({"diff", "new.PCG", "out.PCG"});
    EXPECT_EQ(
        SplitLines(run.out).back(),
        "2 differences: 0 renamed, 0 changed, 0 moved, 0 copied, 0 added, 0 removed, 2 slot settings; 2 slots play "
        "another sound");
    // And against OLD, the gig plays what it played.
    EXPECT_EQ(Run({"diff", "--brief", "old.PCG", "out.PCG"}).out, "Files old.PCG and out.PCG differ\n");
    // --dry-run says the same and writes nothing.
    run = Run({"follow", "old.PCG", "new.PCG", "--dry-run"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(SplitLines(run.out).size(), 3u);
    EXPECT_EQ(Names(), (Texts{"new.PCG", "old.PCG", "out.PCG"}));
}

TEST_F(CarryFiles, FollowFindsABankMovedAndSaysWhatIsLost)
{
    const Gig before;
    // I-A moved to U-A whole, and I-A loaded with other sounds: every slot of it follows to U-A.
    Gig moved = before;
    moved.user = before.programs;
    FillRecords(moved.programs, pcgw::ProgramSize, 77);
    Write("old.PCG", before.Bytes());
    Write("moved.PCG", moved.Bytes());
    ScryRun run = Run({"follow", "old.PCG", "moved.PCG", "-o", "out.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out), (Texts{"SLOT 000/000 \"Piano\" (Friday): Prog I-A005 -> Prog U-A005 \"Prog 5\"",
                                          "SLOT 000/001 \"Pad\" (Friday): Prog I-A006 -> Prog U-A006 \"Prog 6\"",
                                          "SLOT 001/000 \"Organ\" (Saturday): Prog I-A020 -> Prog U-A020 \"Prog 20\"",
                                          "3 slots retargeted, 0 lost"}));
    // A bank loaded over a used one, its sounds nowhere else: lost, the slots as they were, status 1.
    Gig loaded = before;
    FillRecords(loaded.programs, pcgw::ProgramSize, 78);
    Write("loaded.PCG", loaded.Bytes());
    run = Run({"follow", "old.PCG", "loaded.PCG", "-o", "lost.PCG"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.out),
              (Texts{"SLOT 000/000 \"Piano\" (Friday): lost, \"Prog 5\" (Prog I-A005 in OLD) is not in NEW",
                     "SLOT 000/001 \"Pad\" (Friday): lost, \"Prog 6\" (Prog I-A006 in OLD) is not in NEW",
                     "SLOT 001/000 \"Organ\" (Saturday): lost, \"Prog 20\" (Prog I-A020 in OLD) is not in NEW",
                     "0 slots retargeted, 3 lost"}));
    EXPECT_TRUE(Read("lost.PCG") == Read("loaded.PCG"));   // nothing to follow: NEW, byte for byte
    // The sounds in NEW only behind a later bank of their place: lost, and said where.
    Gig hidden = loaded;
    hidden.user = before.programs;
    std::string other = Records(pcgw::ProgramSize);
    FillRecords(other, pcgw::ProgramSize, 79);
    hidden.extra = BankChunk("PBK1", 0x20000, pcgw::ProgramSize, other);
    Write("hidden.PCG", hidden.Bytes());
    run = Run({"follow", "old.PCG", "hidden.PCG", "--dry-run"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.out).front(),
              "SLOT 000/000 \"Piano\" (Friday): lost, \"Prog 5\" (Prog I-A005 in OLD) is in NEW only at Prog U-A005 in "
              "the 1st U-A bank, which a later U-A bank hides from every slot");
}

TEST_F(CarryFiles, FollowChoosesByNameThenPlaceAndKeepsEnginesApart)
{
    const Gig before;
    Gig after = before;
    // Prog 5's sound at I-A050 under another name and at I-A060 under its own: the name wins.
    std::string other = before.Record(before.programs, 5);
    Put(after.programs, 50, other);
    SetRecordName(after.programs, pcgw::ProgramSize, 50, "Another Name");
    Put(after.programs, 60, other);
    FillRecords(after.programs, pcgw::ProgramSize, 5);   // everything else, I-A005 included, another sound
    Put(after.programs, 50, other);
    SetRecordName(after.programs, pcgw::ProgramSize, 50, "Another Name");
    Put(after.programs, 60, other);
    // The EXi slot's sound only in an HD-1 bank now: not followed there.
    Put(after.user, 9, before.Record(before.exi, 9));
    FillRecords(after.exi, pcgw::ProgramSize, 6);
    Write("old.PCG", before.Bytes());
    Write("new.PCG", after.Bytes());
    const ScryRun run = Run({"follow", "old.PCG", "new.PCG", "--dry-run"});
    EXPECT_EQ(run.status, 1);
    const Texts lines = SplitLines(run.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "SLOT 000/000 \"Piano\" (Friday): Prog I-A005 -> Prog I-A060 \"Prog 5\" (chosen among 2 places "
                        "that hold that sound)");
    EXPECT_NE(run.out.find("SLOT 000/003 \"Lead\" (Friday): lost, \"EXi 9\" (Prog I-B009 in OLD) is not in NEW"),
              std::string::npos);
    // The GM slot, the song and the combination slot are no steps.
    EXPECT_EQ(run.out.find("Choir"), std::string::npos);
    EXPECT_EQ(run.out.find("\"Song\""), std::string::npos);
    EXPECT_EQ(run.out.find("Split"), std::string::npos);
}

TEST_F(CarryFiles, CopyRecordsARangeAndAWholeBank)
{
    Gig dest;
    for (std::size_t i = 10; i <= 12; ++i)   // places that hold nothing
        Put(dest.user, i, std::string(pcgw::ProgramSize, '\0'));
    Gig src;
    FillRecords(src.programs, pcgw::ProgramSize, 90);
    for (std::size_t i = 0; i < 128; ++i)
        SetRecordName(src.programs, pcgw::ProgramSize, i, "Bought " + std::to_string(i));
    Write("src.PCG", src.Bytes());
    Write("dest.PCG", dest.Bytes());
    ScryRun run = Run({"copy", "src.PCG", "dest.PCG", "-o", "out.PCG", "--prog", "I-A000..I-A002=U-A010"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out),
              (Texts{"PROGRAM U-A010 \"Bought 0\": copied from SRC's I-A000, was \"\"",
                     "PROGRAM U-A011 \"Bought 1\": copied from SRC's I-A001, was \"\"",
                     "PROGRAM U-A012 \"Bought 2\": copied from SRC's I-A002, was \"\"",
                     "3 records copied, 0 set lists copied, 0 slots retargeted, 0 sounds copied in for them"}));
    EXPECT_NE(run.err.find("note: combinations name the programs their timbres play by place"), std::string::npos);
    EXPECT_EQ(Changed(Read("dest.PCG"), Read("out.PCG")),
              (std::set<std::string>{"PROGRAM  U-A010 \"                Bought 0\"",
                                     "PROGRAM  U-A011 \"                Bought 1\"",
                                     "PROGRAM  U-A012 \"                Bought 2\""}));
    // diff of DEST and the copy: the records copied, nothing else.
    run = Run({"diff", "dest.PCG", "out.PCG"});
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(SplitLines(run.out).back(),
              "3 differences: 3 renamed, 3 changed, 0 moved, 0 copied, 0 added, 0 removed, 0 slot settings");
    // A whole bank: it writes over the last copy of 125 sounds, refused with a line each; with
    // --force written, each said as a warning.
    run = Run({"copy", "src.PCG", "dest.PCG", "-o", "bank.PCG", "--prog", "I-A=U-A"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Occurrences(run.err, "which is in no other place (--force writes over it all the same)\n"), 125u);
    EXPECT_NE(run.err.find("scry: --prog I-A=U-A: writes over Prog U-A127 \"User 127\", which is in no other place"),
              std::string::npos);
    EXPECT_FALSE(Exists("bank.PCG"));
    run = Run({"copy", "src.PCG", "dest.PCG", "-o", "bank.PCG", "--prog", "I-A=U-A", "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Occurrences(run.err, "scry: warning: --prog I-A=U-A: writes over Prog U-A"), 125u);
    EXPECT_NE(run.err.find("scry: warning: --prog I-A=U-A: writes over Prog U-A000 \"User 0\", which is in no other "
                           "place: the copy no longer holds its sound\n"),
              std::string::npos);
    EXPECT_EQ(Changed(Read("dest.PCG"), Read("bank.PCG")).size(), 128u);
}

TEST_F(CarryFiles, CopyASetListWithTheSoundsItNeeds)
{
    // SRC's set list 0 plays I-A005 and I-A006 (DEST holds Prog 5's sound at U-A030, not Prog 6's),
    // I-B009 (EXi), a combination, GM and a song.
    const Gig src;
    Gig dest;
    FillRecords(dest.programs, pcgw::ProgramSize, 50);
    Put(dest.user, 30, src.Record(src.programs, 5));
    FillRecords(dest.exi, pcgw::ProgramSize, 51);
    dest.exi.replace(0, pcgw::ProgramSize * 40, src.exi.substr(0, pcgw::ProgramSize * 40));   // I-B009 is there
    Put(dest.user, 2, dest.Record(dest.user, 0));   // U-A000's sound is at U-A002 too: U-A000 is free
    Write("src.PCG", src.Bytes());
    Write("dest.PCG", dest.Bytes());
    // Without --to: refused, naming the sound missing.
    ScryRun run = Run({"copy", "src.PCG", "dest.PCG", "-o", "out.PCG", "--setlist", "0=7"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: the set lists copied play sounds DEST does not hold; --to BANK copies them in:\n"
                       "scry:   Prog I-A006 \"Prog 6\"\n"
                       "scry: nothing written\n");
    EXPECT_FALSE(Exists("out.PCG"));
    // With --to U-A: Prog 6 copied to the first free place of U-A that no slot of DEST plays.
    run = Run({"copy", "src.PCG", "dest.PCG", "-o", "out.PCG", "--setlist", "0=7", "--to", "U-A"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        SplitLines(run.out),
        (Texts{"PROGRAM U-A000 \"Prog 6\": copied from SRC's I-A006, a sound a set list copied plays, was \"User 0\"",
               "SETLIST 007 \"Friday\": copied from SRC's set list 000, was \"\"",
               "SLOT 007/000 \"Piano\" (Friday): Prog I-A005 -> Prog U-A030 \"Prog 5\"",
               "SLOT 007/001 \"Pad\" (Friday): Prog I-A006 -> Prog U-A000 \"Prog 6\"",
               "1 record copied, 1 set list copied, 2 slots retargeted, 1 sound copied in for them"}));
    // bankscry sees set list 7 and U-A000 changed, nothing else.
    for (const std::string& line : Changed(Read("dest.PCG"), Read("out.PCG")))
        EXPECT_TRUE(line.rfind("SETLIST 007", 0) == 0 || line.rfind("007/", 0) == 0 ||
                    line.rfind("PROGRAM  U-A000", 0) == 0)
            << line;
    // Every slot of the copy plays what it plays in SRC.
    run = Run({"show", "out.PCG", "--setlist", "7"});
    for (const char* plays :
         {"\"Piano\"  Prog U-A030 \"Prog 5\"", "\"Pad\"  Prog U-A000 \"Prog 6\"", "\"Lead\"  Prog I-B009 \"EXi 9\"",
          "\"Split\"  Combi I-A000 \"Combi Zero\"", "\"Choir\"  Prog GM052", "\"Song\"  Song S-003"})
        EXPECT_NE(run.out.find(plays), std::string::npos) << plays;
}

TEST_F(CarryFiles, CopyRefusesWithOneLineEachAndWritesNothing)
{
    const Gig gig;
    Write("src.PCG", gig.Bytes());
    Write("dest.PCG", gig.Bytes());
    const struct {
        std::vector<std::string> what;
        std::string said;
    } cases[] = {
        {{"--prog", "I-A120..I-A130=U-A000"},
         "scry: --prog I-A120..I-A130=U-A000: runs past the end of its bank (000 to 127)\n"},
        {{"--prog", "I-A000=U-A127", "--prog", "I-A001..I-A002=U-A127"},
         "scry: --prog I-A001..I-A002=U-A127: runs past the end of its bank (000 to 127)\n"},
        {{"--prog", "I-C000=U-A000"}, "scry: --prog I-C000=U-A000: SRC holds no such bank\n"},
        {{"--prog", "I-A000=U-G000"}, "scry: --prog I-A000=U-G000: DEST holds no such bank\n"},
        {{"--prog", "I-B000=U-A000"},
         "scry: --prog I-B000=U-A000: a bank of EXi programs into a bank of HD-1 programs\n"},
        {{"--prog", "I-A000..I-A009=U-A000", "--prog", "I-A050=U-A005"},
         "scry: --prog I-A050=U-A005: writes places that --prog I-A000..I-A009=U-A000 writes too\n"},
        {{"--prog", "U-A000=I-A005"},
         "scry: --prog U-A000=I-A005: writes over Prog I-A005 \"Prog 5\", which slots of DEST play (--force writes it "
         "all "
         "the same):\nscry:   SLOT 000/000 \"Piano\" (Friday) would then play \"User 0\"\n"},
        {{"--setlist", "1=2", "--setlist", "3=2"},
         "scry: --setlist 3=2: writes places that --setlist 1=2 writes too\n"},
        {{"--setlist", "200=1"},
         "scry: --setlist 200=1: not N=M, set lists 0 to 127 (5=12: SRC's set list 5 into DEST's set list 12)\n"},
        {{"--prog", "I-A005-U-A000"},
         "scry: --prog I-A005-U-A000: not PLACE=PLACE, FIRST..LAST=PLACE or BANK=BANK (I-A000..I-A015=U-G000, "
         "I-A=U-G), or those without =PLACE for the free places of --to's bank\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"copy", "src.PCG", "dest.PCG", "-o", "out.PCG"};
        args.insert(args.end(), c.what.begin(), c.what.end());
        const ScryRun run = Run(args);
        EXPECT_EQ(run.status, 2) << c.what[1];
        EXPECT_EQ(run.err.substr(0, c.said.size()), c.said) << c.what[1];
        EXPECT_FALSE(Exists("out.PCG")) << c.what[1];
    }
    // Places slots play, with --force: written, and diff says what the gig now plays.
    EXPECT_EQ(Run({"copy", "src.PCG", "dest.PCG", "-o", "out.PCG", "--prog", "U-A000=I-A005", "--force"}).status, 0);
    EXPECT_NE(Run({"diff", "dest.PCG", "out.PCG"}).out.find("SLOT 000/000 \"Piano\" (Friday): now plays \"User 0\""),
              std::string::npos);
    // OUT is never an input or a PCG file; copy asks for something.
    EXPECT_EQ(Run({"copy", "src.PCG", "dest.PCG", "-o", "dest.PCG", "--prog", "I-A000=U-A000"}).err,
              "scry: cannot write dest.PCG: it is an input of this command\n");
    EXPECT_EQ(Run({"copy", "src.PCG", "dest.PCG", "-o", "out.PCG", "--prog", "I-A000=U-A000"}).err,
              "scry: cannot write out.PCG: it is a PCG file (it begins with KORG); name a new file, or --force keeps "
              "it as a numbered backup beside the new one\n");
    {
        // With --force, the earlier output is kept as a numbered backup, its bytes whole.
        const std::string earlier = Read("out.PCG");
        const ScryRun run = Run({"copy", "src.PCG", "dest.PCG", "-o", "out.PCG", "--prog", "I-A000=U-A000", "--force"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("scry: wrote out.PCG; the earlier one is kept as out.PCG.~1~\n"), std::string::npos)
            << run.err;
        EXPECT_TRUE(Read("out.PCG.~1~") == earlier);
        EXPECT_FALSE(Read("out.PCG") == earlier);
    }
    EXPECT_EQ(Run({"copy", "src.PCG", "dest.PCG", "-o", "more.PCG"}).status, 2);
    // Nothing asked that changes anything: DEST byte for byte.
    EXPECT_EQ(
        Run({"copy", "src.PCG", "dest.PCG", "-o", "same.PCG", "--prog", "I-A000..I-A009=I-A000", "--force"}).status, 0);
    EXPECT_TRUE(Read("same.PCG") == Read("dest.PCG"));
}

// The last copy of a sound is written over only with --force, said either way; --to takes the
// places whose sound the copy holds elsewhere, or that hold nothing, first.
TEST_F(CarryFiles, CopyNeverDropsTheLastCopyOfASoundUnlessForced)
{
    const Gig src;
    Gig dest;
    Put(dest.user, 9, dest.Record(dest.user, 3));              // "User 3" at U-A003 and U-A009
    Put(dest.user, 6, std::string(pcgw::ProgramSize, '\0'));   // U-A006 holds nothing
    Write("src.PCG", src.Bytes());
    Write("dest.PCG", dest.Bytes());
    // Two records into --to's bank: the duplicate first, then the empty place, in order.
    ScryRun run = Run({"copy", "src.PCG", "dest.PCG", "--prog", "I-A010..I-A011", "--to", "U-A", "-o", "two.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out),
              (Texts{"PROGRAM U-A003 \"Prog 10\": copied from SRC's I-A010, was \"User 3\"",
                     "PROGRAM U-A006 \"Prog 11\": copied from SRC's I-A011, was \"\"",
                     "2 records copied, 0 set lists copied, 0 slots retargeted, 0 sounds copied in for them"}));
    EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
    EXPECT_EQ(Changed(Read("dest.PCG"), Read("two.PCG")),
              (std::set<std::string>{"PROGRAM  U-A003 \"                 Prog 10\"",
                                     "PROGRAM  U-A006 \"                 Prog 11\""}));
    // Four: once U-A003 is written, U-A009 holds the last copy of its sound; no free place is left,
    // so the other two would write over U-A000 and U-A001, the last of theirs: refused, a line each.
    const std::vector<std::string> four{"copy", "src.PCG", "dest.PCG", "--prog",  "I-A010..I-A013",
                                        "--to", "U-A",     "-o",       "four.PCG"};
    run = Run(four);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: --prog I-A010..I-A013: writes over Prog U-A000 \"User 0\", which is in no other place "
                       "(--force writes over it all the same)\n"
                       "scry: --prog I-A010..I-A013: writes over Prog U-A001 \"User 1\", which is in no other place "
                       "(--force writes over it all the same)\n"
                       "scry: nothing written\n");
    EXPECT_FALSE(Exists("four.PCG"));
    // --dry-run says the same, and writes nothing either way.
    std::vector<std::string> dry = four;
    dry.push_back("--dry-run");
    EXPECT_EQ(Run(dry).err, run.err);
    dry.push_back("--force");
    run = Run(dry);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(run.out).size(), 5u);
    EXPECT_FALSE(Exists("four.PCG"));
    // With --force: written, each last copy said as a warning.
    std::vector<std::string> forced = four;
    forced.push_back("--force");
    run = Run(forced);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("scry: warning: --prog I-A010..I-A013: writes over Prog U-A000 \"User 0\", which is in no "
                           "other place: the copy no longer holds its sound\n"
                           "scry: warning: --prog I-A010..I-A013: writes over Prog U-A001 \"User 1\", which is in no "
                           "other place: the copy no longer holds its sound\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Changed(Read("dest.PCG"), Read("four.PCG")).size(), 4u);
    // A place named: its last copy refused the same way; one whose sound is elsewhere too is written.
    run = Run({"copy", "src.PCG", "dest.PCG", "--prog", "I-A010=U-A020", "-o", "named.PCG"});
    EXPECT_EQ(run.err, "scry: --prog I-A010=U-A020: writes over Prog U-A020 \"User 20\", which is in no other place "
                       "(--force writes over it all the same)\nscry: nothing written\n");
    EXPECT_EQ(Run({"copy", "src.PCG", "dest.PCG", "--prog", "I-A010=U-A009", "-o", "named.PCG"}).status, 0);
    // A place named of neither kind, without --to.
    run = Run({"copy", "src.PCG", "dest.PCG", "--prog", "I-A010", "-o", "none.PCG"});
    EXPECT_EQ(run.err, "scry: --prog I-A010: names no place of DEST: =PLACE names one, or --to BANK puts them in the "
                       "free places of a bank\nscry: nothing written\n");
    // A copy that moves a sound within the file keeps it: U-A003's sound lives on at U-A009 and
    // U-A020's at U-A003.
    EXPECT_EQ(Run({"copy", "dest.PCG", "dest.PCG", "--prog", "U-A020=U-A003", "-o", "moved.PCG"}).status, 0);
}

// A set list copied with --to: a sound copied in never lands where another slot of that set list
// finds its own sound in DEST.
TEST_F(CarryFiles, SoundsCopiedInNeverLandWhereACopiedSlotFindsItsOwn)
{
    Gig src;
    SetName(src.setLists, 2 * pcgw::SetListSize, "Sunday");
    SetSlot(src.setLists, 2, 0, "Keys", PackSlot(1, 1, 0, 0, 0, 7, 0, 100, 0));     // I-A007: DEST lacks its sound
    SetSlot(src.setLists, 2, 1, "Bells", PackSlot(1, 1, 0, 17, 0, 0, 0, 100, 0));   // U-A000: DEST holds it there
    Gig dest = src;
    FillRecords(dest.programs, pcgw::ProgramSize, 77);   // another I-A: none of SRC's I-A sounds
    SetName(dest.setLists, 2 * pcgw::SetListSize, "");
    Put(dest.user, 5, dest.Record(dest.user, 1));   // U-A001 is free: its sound is at U-A005 too
    Write("src.PCG", src.Bytes());
    Write("dest.PCG", dest.Bytes());
    ScryRun run = Run({"copy", "src.PCG", "dest.PCG", "--setlist", "2=2", "--to", "U-A", "-o", "out.PCG"});
    EXPECT_EQ(run.status, 0) << run.err;
    const Texts lines = SplitLines(run.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "PROGRAM U-A001 \"Prog 7\": copied from SRC's I-A007, a sound a set list copied plays, was "
                        "\"User 1\""),
              lines.end())
        << run.out;
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "SLOT 002/000 \"Keys\" (Sunday): Prog I-A007 -> Prog U-A001 \"Prog 7\""),
        lines.end())
        << run.out;
    // Bells plays U-A000 still, and its sound is SRC's.
    run = Run({"show", "out.PCG", "--setlist", "2"});
    EXPECT_NE(run.out.find("002/001  \"Bells\"  Prog U-A000 \"User 0\""), std::string::npos) << run.out;
}

// The checks a file passes as it reads back: the file meant passes, and one a step short fails.
TEST(CarryReadBack, TheChecksTellTheFileMeantFromOneAStepShort)
{
    const Gig before;
    Gig after = before;
    Put(after.programs, 5, before.Record(before.programs, 6));
    Put(after.programs, 6, before.Record(before.programs, 5));
    const scry::FileModel oldFile = scry::ReadModelOfBytes("old.PCG", before.Bytes());
    const scry::FileModel newFile = scry::ReadModelOfBytes("new.PCG", after.Bytes());
    const std::vector<scry::FollowStep> steps = scry::PlanFollow(oldFile, newFile);
    ASSERT_EQ(steps.size(), 2u);
    const std::string beforeBytes = before.Bytes(), afterBytes = after.Bytes();   // the new files' sources
    const scry::Carried followed = scry::Followed(newFile, afterBytes, steps);
    EXPECT_FALSE(scry::WrongInFollowed(scry::ReadModelOfBytes("out.PCG", followed.made.Whole()), oldFile, steps));
    EXPECT_EQ(scry::ReadBackText(scry::WrongInFollowed(newFile, oldFile, steps)),
              "slot 000/000 does not play the sound it played");
    EXPECT_EQ(followed.changed.size(), 2u);

    scry::CopyAsk ask;
    ask.setLists.push_back({0, 7, "0=7"});
    ask.records.push_back({Kind::PRG1, 0, 0, 0x20000, 3, 2, "I-A000..I-A001=U-A003"});
    ask.force = true;   // U-A003 and U-A004 hold the last copies of their sounds
    const scry::CopyPlan plan = scry::PlanCopy(oldFile, newFile, ask);
    ASSERT_TRUE(plan.refusals.empty());
    const scry::Carried copied = scry::Copied(beforeBytes, oldFile, afterBytes, newFile, plan);
    EXPECT_FALSE(scry::WrongInCopied(scry::ReadModelOfBytes("out.PCG", copied.made.Whole()), oldFile, plan));
    const scry::ReadBackFault notCopied = scry::WrongInCopied(newFile, oldFile, plan);
    EXPECT_EQ(notCopied.kind, scry::ReadBackFault::Kind::RecordNotCopied);
    EXPECT_EQ(notCopied.place, (scry::RecordPlace{Kind::PRG1, 0x20000, 3}));
    EXPECT_EQ(scry::ReadBackText(notCopied), "Prog U-A003 does not hold what it was to");
    std::string slotShort = copied.made.Whole();
    slotShort.replace(static_cast<std::size_t>(copied.changed.back().from), 4,
                      after.Bytes().substr(static_cast<std::size_t>(copied.changed.back().from), 4));
    EXPECT_TRUE(scry::WrongInCopied(scry::ReadModelOfBytes("out.PCG", slotShort), oldFile, plan));
}
