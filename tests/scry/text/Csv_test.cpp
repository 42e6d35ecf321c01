// scry csv: fields a spreadsheet reads as they stand, and never runs.
#include "text/Csv.h"
#include "ScrySupport.h"

using namespace pcgw;

TEST(ScryCsv, FieldsAreQuotedWhereTheyMustBe)
{
    EXPECT_EQ(scry::CsvField("Strings, \"Warm\""), "\"Strings, \"\"Warm\"\"\"");
    EXPECT_EQ(scry::CsvField("plain"), "plain");
    EXPECT_EQ(scry::CsvField(" padded"), "\" padded\"");
    EXPECT_EQ(scry::CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(scry::CsvField(""), "");
}

// A name that a spreadsheet would run as a formula is written as text; --raw writes it exactly.
TEST(ScryCsv, FormulasAreWrittenAsText)
{
    const struct {
        const char* text;
        const char* guarded;
    } cases[] = {
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1+1", "'+1+1"},
        {"-2", "'-2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tTab", "'\tTab"},
        {"\rReturn", "\"'\rReturn\""},
        {"a=b", "a=b"},
        {"Piano - Bright", "Piano - Bright"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scry::CsvField(c.text), c.guarded) << c.text;
        EXPECT_EQ(scry::CsvField(c.text, true), c.text[0] == '\r' ? "\"" + std::string(c.text) + "\"" : c.text)
            << c.text;
    }
}

TEST(ScryCsv, SlotRowsWithTheirSettings)
{
    Small small;
    SetSlot(small.setLists, 0, 3, "=HYPERLINK(\"x\")", PackSlot(1, 5, 2, 0, 3, 4, 20, 99, 0));
    std::string out;
    scry::WriteSlotsCsv(out, {small.Model("My Set, Café.PCG")}, false);
    const Texts lines = SplitLines(out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "file,set_list,set_list_name,slot,slot_name,type,bank,number,plays,color,font,transpose,"
                        "hold_time,volume,kbd_track,fingerprint");
    EXPECT_EQ(lines[1].rfind("\"My Set, Café.PCG\",0,Friday,0,Piano,Prog,I-A,5,Prog 5,2,1,1,3,127,0,", 0), 0u)
        << lines[1];
    EXPECT_EQ(lines[4].rfind(
                  "\"My Set, Café.PCG\",0,Friday,3,\"'=HYPERLINK(\"\"x\"\")\",Prog,I-A,4,Prog 4,5,2,3,20,99,0,", 0),
              0u)
        << lines[4];
    std::string raw;
    scry::WriteSlotsCsv(raw, {small.Model()}, false, true);
    EXPECT_NE(raw.find(",3,\"=HYPERLINK(\"\"x\"\")\",Prog,"), std::string::npos);
}

TEST(ScryCsv, RecordRows)
{
    std::string out;
    scry::WriteRecordsCsv(out, {Small().Model()});
    const Texts lines = SplitLines(out);
    ASSERT_EQ(lines.size(), 1u + 256u);
    EXPECT_EQ(lines[0], "file,kind,bank,number,name,fingerprint,sound_fingerprint");
    EXPECT_EQ(lines[2].rfind("small.PCG,program,I-A,1,Prog 1,", 0), 0u) << lines[2];
    EXPECT_EQ(lines[129].rfind("small.PCG,combination,I-A,0,Combi Zero,", 0), 0u) << lines[129];
}
