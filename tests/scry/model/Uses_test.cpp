// scry uses: the slots that play a record, found by its place or by its name.
#include "ScrySupport.h"
#include "model/Uses.h"

using namespace pcgw;

namespace {

// Small, with slot 3 of set list 1 "Gig Two" playing I-A005 too, one slot in GM, and a program
// with a Latin-1 name.
Small Uses()
{
    Small small;
    SetRecordName(small.setLists, pcgw::SetListSize, 1, "Gig Two");
    SetSlot(small.setLists, 1, 3, "Piano Again", PackSlot(1, 0, 0, 0, 0, 5, 0, 100, 0));
    SetSlot(small.setLists, 1, 4, "Choir", PackSlot(1, 0, 0, 6, 0, 52, 0, 100, 0));
    SetRecordName(small.programs, pcgw::ProgramSize, 40,
                  "Caf\xE9 Stra\xDF"
                  "e");
    SetSlot(small.setLists, 1, 5, "Song Two", PackSlot(1, 0, 0, 0, 0, 40, 0, 100, 0));
    return small;
}

using Hits = std::vector<std::pair<std::size_t, std::size_t>>;

Hits HitsOf(const scry::FileModel& model, const std::string& what)
{
    Hits hits;
    for (const scry::SlotHit& hit : scry::SlotsThatPlay(model, scry::QueryOf(what)))
        hits.emplace_back(hit.at.setList, hit.at.slot);
    return hits;
}

}   // namespace

TEST(ScryUses, ByPlaceByNameAndAsShowWritesIt)
{
    const scry::FileModel model = Uses().Model();
    for (const char* what : {"I-A005", "i-a005", "Prog I-A005", "prog i-a005", "Prog 5", "PROG 5"})
        EXPECT_EQ(HitsOf(model, what), (Hits{{0, 0}, {1, 3}})) << what;
    EXPECT_EQ(HitsOf(model, "I-A000"), (Hits{{0, 2}}));   // the combination bank I-A: a combination slot
    EXPECT_EQ(HitsOf(model, "Combi I-A000"), (Hits{{0, 2}}));
    EXPECT_EQ(HitsOf(model, "Prog I-A000"), Hits{});   // a program place only
    EXPECT_EQ(HitsOf(model, "GM052"), (Hits{{1, 4}}));
    for (const char* what : {"Prog 55", "I-A099", "U-GG127", "X-A001", "Song I-A005", "rog 5"})
        EXPECT_EQ(HitsOf(model, what), Hits{}) << what;
    // A name by its words, each the start of a word of it, in any order: "prog" is in every "Prog N".
    EXPECT_EQ(HitsOf(model, "Prog"), (Hits{{0, 0}, {0, 1}, {1, 3}}));
    EXPECT_EQ(HitsOf(model, "6 PROG"), (Hits{{0, 1}}));
    // Latin-1 letters in any case and with or without their accents: É is é and e, ß is ss; a
    // character no name can hold finds nothing.
    for (const char* what : {"caf\xC3\xA9 stra\xC3\x9F"
                             "e",
                             "CAF\xC3\x89 STRA\xC3\x9F"
                             "E"})
        EXPECT_EQ(HitsOf(model, what), (Hits{{1, 5}})) << what;
    EXPECT_EQ(HitsOf(model, "CAF\xC3\x89 STRASSE"), (Hits{{1, 5}}));
    EXPECT_EQ(HitsOf(model, "cafe stra"), (Hits{{1, 5}}));
    EXPECT_FALSE(scry::QueryOf("\xE2\x82\xAC").nameCanBe);
    // The records a query names, for saying that no slot plays them.
    const std::vector<scry::RecordHit> named = scry::RecordsNamedBy(model, scry::QueryOf("prog 12"));
    ASSERT_EQ(named.size(), 9u);   // "Prog 12" and "Prog 120" to "Prog 127"
    EXPECT_EQ(named[0].number, 12u);
    EXPECT_EQ(scry::RecordsNamedBy(model, scry::QueryOf("I-A007")).size(), 2u);   // the program and the combination
}

TEST_F(ScryFiles, UsesSaysWhatItFoundOrWhyNot)
{
    Write("gig.PCG", Uses().Bytes());
    ScryRun run = Run({"uses", "gig.PCG", "Prog 6"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SETLIST 000 \"Friday\"  SLOT 001 \"Pad\"  Prog I-A006 \"Prog 6\"\n");
    run = Run({"uses", "gig.PCG", "Prog I-A005"});
    EXPECT_EQ(SplitLines(run.out),
              (Texts{"SETLIST 000 \"Friday\"  SLOT 000 \"Piano\"  Prog I-A005 \"Prog 5\"",
                     "SETLIST 001 \"Gig Two\"  SLOT 003 \"Piano Again\"  Prog I-A005 \"Prog 5\""}));
    run = Run({"uses", "gig.PCG", "prog 8"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "scry: no slot plays \"prog 8\"; Prog I-A008 \"Prog 8\", Prog I-A080 \"Prog 80\", Prog I-A081 "
                       "\"Prog 81\", Prog I-A082 \"Prog 82\", Prog I-A083 \"Prog 83\" and 6 more are in gig.PCG\n");
    run = Run({"uses", "gig.PCG", "zer"});   // the start of a word
    EXPECT_EQ(run.out, "SETLIST 000 \"Friday\"  SLOT 002 \"Split\"  Combi I-A000 \"Combi Zero\"\n");
    run = Run({"uses", "gig.PCG", "I-A009"});
    EXPECT_EQ(run.err, "scry: no slot plays I-A009; Prog I-A009 \"Prog 9\", Combi I-A009 \"\" are in gig.PCG\n");
    run = Run({"uses", "gig.PCG", "Nothing Like It"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "scry: no slot plays \"Nothing Like It\"; no record of that name is in gig.PCG\n");
    // A near miss gets the nearest names of the file.
    run = Run({"uses", "gig.PCG", "Cafe Strase"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "scry: no slot plays \"Cafe Strase\"; no record of that name is in gig.PCG; did you mean "
                       "\"Caf\xC3\xA9 Stra\xC3\x9F"
                       "e\"?\n");
    run = Run({"uses", "gig.PCG", "Prog 2OO"});
    EXPECT_EQ(run.err, "scry: no slot plays \"Prog 2OO\"; no record of that name is in gig.PCG; did you mean "
                       "\"Prog 2\", \"Prog 20\", \"Prog 21\"?\n");
    EXPECT_EQ(Run({"uses", "missing.PCG", "x"}).status, 2);
}
