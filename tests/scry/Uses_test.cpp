// scry uses: the slots that play a record, found by its place or by its name.
#include "ScrySupport.h"
#include "Uses.h"

using namespace pcgw;

namespace {

// Small, with slot 3 of set list 1 "Gig Two" playing I-A005 too, and one slot in GM.
Small Uses()
{
    Small small;
    SetRecordName(small.setLists, pcgw::SetListSize, 1, "Gig Two");
    SetSlot(small.setLists, 1, 3, "Piano Again", PackSlot(1, 0, 0, 0, 0, 5, 0, 100, 0));
    SetSlot(small.setLists, 1, 4, "Choir", PackSlot(1, 0, 0, 6, 0, 52, 0, 100, 0));
    return small;
}

}   // namespace

TEST(ScryUses, ByPlaceAndByName)
{
    const scry::FileModel model = Uses().Model();
    const Texts both{"SETLIST 000 \"Friday\"  SLOT 000 \"Piano\"  Prog I-A005 \"Prog 5\"",
                     "SETLIST 001 \"Gig Two\"  SLOT 003 \"Piano Again\"  Prog I-A005 \"Prog 5\""};
    for (const char* what : {"I-A005", "i-a005", "Prog 5", "PROG 5"}) {
        std::string out;
        EXPECT_EQ(scry::WriteUses(out, model, what), 2u) << what;
        EXPECT_EQ(SplitLines(out), both) << what;
    }
    std::string combi;
    EXPECT_EQ(scry::WriteUses(combi, model, "I-A000"), 1u);   // the combination bank I-A: a combination slot
    EXPECT_EQ(SplitLines(combi), Texts{"SETLIST 000 \"Friday\"  SLOT 002 \"Split\"  Combi I-A000 \"Combi Zero\""});
    std::string gm;
    EXPECT_EQ(scry::WriteUses(gm, model, "GM052"), 1u);
    EXPECT_EQ(SplitLines(gm), Texts{"SETLIST 001 \"Gig Two\"  SLOT 004 \"Choir\"  Prog GM052 (instrument's own bank)"});
    std::string none;
    for (const char* what : {"Prog 55", "I-A099", "U-GG127", "X-A001", "Prog"})
        EXPECT_EQ(scry::WriteUses(none, model, what), 0u) << what;
    EXPECT_EQ(none, "");
}

TEST_F(ScryFiles, UsesSaysFoundOrNotByItsStatus)
{
    Write("gig.PCG", Uses().Bytes());
    ScryRun run = Run({"uses", "gig.PCG", "Prog 6"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SETLIST 000 \"Friday\"  SLOT 001 \"Pad\"  Prog I-A006 \"Prog 6\"\n");
    run = Run({"uses", "gig.PCG", "Nothing Like It"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Run({"uses", "missing.PCG", "x"}).status, 2);
}
