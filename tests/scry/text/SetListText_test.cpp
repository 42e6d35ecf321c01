// scry setlist: the text of a set list, and that text read back line by line.
#include <algorithm>

#include "ScrySupport.h"
#include "text/SetListText.h"

using namespace pcgw;

namespace {

// Small, with an unused slot between used ones and a name that needs escapes.
Small Gaps()
{
    Small small;
    SetSlot(small.setLists, 0, 4, "Say \"Hi\" \\ \xE9t\xE9", PackSlot(2, 15, 3, 0, 7, 43, 255, 0, 15));
    return small;
}

std::string TextOf(const Small& small, std::size_t number)
{
    const scry::FileModel model = small.Model("gig.PCG");
    return scry::SetListTextOf(model, scry::SetListOf(model, number), 0x1234ABCDu);
}

scry::SetListText ReadText(const std::string& text, std::vector<scry::TextFault>& faults)
{
    return scry::ReadSetListText(text, faults);
}

// The fault of a text made of a setlist line and then line.
scry::TextFault FaultOf(const std::string& line)
{
    std::vector<scry::TextFault> faults;
    ReadText("setlist 000 \"Gig\"\n" + line + "\n", faults);
    return faults.empty() ? scry::TextFault{0, "no fault"} : faults.front();
}

constexpr const char* Piano = "\"Piano\"  Prog I-A005  orange  127  3  1  4  0  from 000/000";

}   // namespace

TEST(ScrySetList, WritesEveryPositionUpToTheLastUsedSlotInAlignedColumns)
{
    const Texts lines = SplitLines(TextOf(Gaps(), 0));
    const auto at = std::find(lines.begin(), lines.end(), "file         \"gig.PCG\"");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(Texts(at, at + 3),
              (Texts{"file         \"gig.PCG\"", "setlist      000 \"Friday\"", "fingerprint  1234ABCD"}));
    EXPECT_EQ(Texts(at + 4, lines.end()),
              (Texts{
                  "# name               plays         color   vol  hold  font  tr  kbd",
                  "\"Piano\"              Prog  I-A005  orange  127     3     1   1    0  from 000/000  # Prog 5",
                  "\"Pad\"                Prog  I-A006  green   100     0     0   0    0  from 000/001  # Prog 6",
                  "\"Split\"              Combi I-A000  red      90     0     0   0    0  from 000/002  # Combi Zero",
                  "unused",
                  "\"Say \\\"Hi\\\" \\\\ \xC3\xA9t\xC3\xA9\"  Song  S-043   ochre     0   255     3   7   15  from "
                  "000/004  # song",
              }));
    const std::string text = TextOf(Gaps(), 0);
    // The header says what each column holds in values, never in bit numbers: what transpose and
    // kbd allow together (kbd 9 holds transpose's lowest bit: only odd transposes fit).
    const std::string header = text.substr(0, text.find("\nfile "));
    EXPECT_NE(header.find("tr, its\n# transpose (0 to 7); kbd, its keyboard track (0 to 15). kbd 0 and 8 go with\n# any "
                          "tr; another kbd sets part of tr too, so only some fit (with kbd 9: tr 1, 3, 5 or 7)."),
              std::string::npos)
        << header;
    EXPECT_EQ(header.find("bit"), std::string::npos) << header;
    // A set list with no used slot is its header alone.
    const Texts empty = SplitLines(TextOf(Gaps(), 9));
    EXPECT_EQ(empty.back(), "# name  plays  color  vol  hold  font  tr  kbd");
    // Its first line is a check of the rest: a text nobody edited is known as such.
    EXPECT_TRUE(scry::IsUneditedText(text));
    std::string edited = text;
    edited[edited.find("orange")] = 'O';
    EXPECT_FALSE(scry::IsUneditedText(edited));
    EXPECT_FALSE(scry::IsUneditedText(text.substr(text.find('\n') + 1)));
}

TEST(ScrySetList, PlacesThatDoNotReadBackAreWrittenRaw)
{
    Small small;
    SetSlot(small.setLists, 0, 0, "Type 3", PackSlot(3, 0, 0, 2, 0, 9, 0, 0, 0));
    SetSlot(small.setLists, 0, 1, "Bank 31", PackSlot(1, 0, 0, 31, 0, 200, 0, 0, 0));
    SetSlot(small.setLists, 0, 2, "Number 200", PackSlot(1, 0, 0, 0, 0, 200, 0, 0, 0));
    SetSlot(small.setLists, 0, 3, "Song 200", PackSlot(2, 0, 0, 0, 0, 200, 0, 0, 0));
    const std::string text = TextOf(small, 0);
    for (const char* cell : {"Raw   3:2:009", "Raw   1:31:200", "Raw   1:0:200", "Song  S-200"})
        EXPECT_NE(text.find(cell), std::string::npos) << cell;
    std::vector<scry::TextFault> faults;
    const scry::SetListText read = ReadText(text, faults);
    EXPECT_TRUE(faults.empty());
    ASSERT_EQ(read.slots.size(), 4u);
    const scry::FileModel model = small.Model();
    for (std::size_t j = 0; j < 4; ++j) {
        const SlotAttributes& want = model.banks[0].setLists[0].slots[j].fields;
        const SlotAttributes& got = read.slots[j].fields;
        EXPECT_EQ(std::make_tuple(got.SlotType, got.Bank, got.Number),
                  std::make_tuple(want.SlotType, want.Bank, want.Number))
            << j;
    }
}

TEST(ScrySetList, ReadsBackWhatItWrites)
{
    const Small small = Gaps();
    std::vector<scry::TextFault> faults;
    const scry::SetListText read = ReadText(TextOf(small, 0), faults);
    EXPECT_TRUE(faults.empty());
    EXPECT_EQ(read.number, 0u);
    EXPECT_EQ(read.name, "Friday");
    EXPECT_TRUE(read.hasFingerprint);
    EXPECT_EQ(read.fingerprint, 0x1234ABCDu);
    const scry::FileModel model = small.Model();
    const scry::SetList& list = model.banks[0].setLists[0];
    ASSERT_EQ(read.slots.size(), 5u);
    for (std::size_t j = 0; j < 5; ++j) {
        const scry::SlotLine& line = read.slots[j];
        EXPECT_EQ(line.unused, !list.slots[j].used) << j;
        if (line.unused)
            continue;
        EXPECT_EQ(line.fields, list.slots[j].fields) << j;
        EXPECT_EQ(line.name, list.slots[j].name) << j;
        EXPECT_EQ(std::make_pair(line.fromSetList, line.fromSlot), std::make_pair(std::size_t{0}, j));
    }
}

TEST(ScrySetList, ReadsWhatAPersonWrites)
{
    // A byte order mark, CR LF, tabs, comments anywhere, words in any case, colours by number
    // or name, escapes and Latin-1 letters in UTF-8.
    const std::string text = "\xEF\xBB\xBF# my gig\r\n"
                             "SETLIST\t7 \"Caf\xC3\xA9 # not a comment\"   # the name\r\n"
                             "\r\n"
                             "  \"A\\x85\\\\\" prog u-aa127 13 0 0 0 0 0 FROM 1/2\r\n"
                             "unused # later\r\n"
                             "\"Song\" SONG S-000 Forest 5 6 0 0 0 from 127/127";
    std::vector<scry::TextFault> faults;
    const scry::SetListText read = ReadText(text, faults);
    ASSERT_TRUE(faults.empty()) << faults.front().line << ": " << faults.front().reason;
    EXPECT_EQ(read.number, 7u);
    EXPECT_EQ(read.numberLine, 2u);
    EXPECT_EQ(read.name, "Caf\xE9 # not a comment");
    EXPECT_FALSE(read.hasFingerprint);
    ASSERT_EQ(read.slots.size(), 3u);
    EXPECT_EQ(read.slots[0].name, "A\x85\\");
    EXPECT_EQ(read.slots[0].fields.SlotType, 1);
    EXPECT_EQ(read.slots[0].fields.Bank, 24);
    EXPECT_EQ(read.slots[0].fields.Number, 127);
    EXPECT_EQ(read.slots[0].fields.Color, 13);
    EXPECT_EQ(read.slots[0].line, 4u);
    EXPECT_TRUE(read.slots[1].unused);
    EXPECT_EQ(read.slots[2].fields.Color, 13);
    EXPECT_EQ(read.slots[2].fields.Volume, 5);
    EXPECT_EQ(read.slots[2].fields.HoldTime, 6);
    EXPECT_EQ(std::make_pair(read.slots[2].fromSetList, read.slots[2].fromSlot),
              std::make_pair(std::size_t{127}, std::size_t{127}));
}

TEST(ScrySetList, SaysWhichLineItCannotTakeAndWhy)
{
    const struct {
        std::string line;
        std::string reason;
    } cases[] = {
        {"\"P\"  Prg I-A005  0 1 2 0 0 0 from 000/000", "unknown kind 'Prg' (Prog, Combi, Song or Raw)"},
        {"\"P\"  Prog I-H005  0 1 2 0 0 0 from 000/000", "unknown place 'I-H005' for Prog"},
        {"\"P\"  Combi GM005  0 1 2 0 0 0 from 000/000", "unknown place 'GM005' for Combi"},
        {"\"P\"  Prog I-A128  0 1 2 0 0 0 from 000/000", "place I-A128 is out of range: a bank holds 000 to 127"},
        {"\"P\"  Raw 4:0:0  0 1 2 0 0 0 from 000/000", "Raw place '4:0:0' is not TYPE:BANK:NUMBER"},
        {"\"P\"  Prog I-A005  16 1 2 0 0 0 from 000/000", "color 16 is out of range (0 to 15)"},
        {"\"P\"  Prog I-A005  mauve 1 2 0 0 0 from 000/000", "color 'mauve' is neither 0 to 15 nor a color"},
        {"\"P\"  Prog I-A005  0 256 2 0 0 0 from 000/000", "volume 256 is out of range (0 to 255)"},
        {"\"P\"  Prog I-A005  0 1 99999999999 0 0 0 from 000/000", "hold 99999999999 is out of range (0 to 255)"},
        {"\"P\"  Prog I-A005  0 -1 2 0 0 0 from 000/000", "volume '-1' is no number"},
        {"\"P\"  Prog I-A005  0 1 2 4 0 0 from 000/000", "font 4 is out of range (0 to 3)"},
        {"\"P\"  Prog I-A005  0 1 2 0 8 0 from 000/000", "transpose 8 is out of range (0 to 7)"},
        {"\"P\"  Prog I-A005  0 1 2 0 0 16 from 000/000", "kbd track 16 is out of range (0 to 15)"},
        {"\"Twenty-five bytes, no less\"  Prog I-A005  0 1 2 0 0 0 from 000/000",
         "name \"Twenty-five bytes, no less\" is 26 bytes long; a name holds 24"},
        {"\"\xE2\x82\xAC 5\"  Prog I-A005  0 1 2 0 0 0 from 000/000",
         "'\xE2\x82\xAC' (U+20AC) cannot be written in a name: names are ISO 8859-1 (Latin-1)"},
        {"\"\xE9t\xE9\"  Prog I-A005  0 1 2 0 0 0 from 000/000", "a name that is not UTF-8 (save the text as UTF-8)"},
        {"\"a\\tb\"  Prog I-A005  0 1 2 0 0 0 from 000/000", "unknown escape '\\t' in a name"},
        {"\"a\\x00\"  Prog I-A005  0 1 2 0 0 0 from 000/000", "a name cannot hold \\x00"},
        {"\"Piano  Prog I-A005  0 1 2 0 0 0 from 000/000", "a name without its closing quote"},
        {"\"P\"  Prog I-A005  0 1 2 0 0 0 from", "10 fields found, 9 or 11 expected"},
        {"\"P\"  Prog I-A005  0 1 2 0 0", "8 fields found, 9 or 11 expected"},
        {"\xE2\x80\x9CPiano\xE2\x80\x9D  Prog I-A005  0 1 2 0 0 0 from 000/000", "curly quotes"},
        {"\"P\"  Prog I-A005  0 1 2 0 0 0 to 000/000", "'from SSS/JJJ' expected after kbd, not 'to'"},
        {"\"P\"  Prog I-A005  0 1 2 0 0 0 from 000/128",
         "from 000/128: no such slot (set lists and slots are 000 to 127)"},
        {"\"P\"  Prog I-A005  0 1 2 0 0 0 from 0-0", "from '0-0' is not SSS/JJJ"},
        {"Piano  Prog I-A005  0 1 2 0 0 0 from 000/000", "unknown line: a slot (a quoted name first)"},
        {"unused 3", "unused takes nothing after it"},
        {"setlist 001 \"Again\"", "a second setlist line (the first is line 1)"},
        {"fingerprint 12345", "fingerprint expects eight hexadecimal digits"},
    };
    for (const auto& each : cases) {
        const scry::TextFault fault = FaultOf(each.line);
        EXPECT_EQ(fault.line, 2u) << each.line;
        EXPECT_NE(fault.reason.find(each.reason), std::string::npos) << each.line << "\n" << fault.reason;
    }
    std::vector<scry::TextFault> faults;
    ReadText(std::string(Piano) + "\n", faults);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].line, 0u);
    EXPECT_EQ(scry::FaultLine("t.txt", faults[0]), "t.txt: no 'setlist N \"name\"' line");
    // A setlist line that cannot be taken says so once, with its line.
    for (const char* number : {"128", "-1"}) {
        faults.clear();
        ReadText("setlist " + std::string(number) + " \"X\"\n", faults);
        ASSERT_EQ(faults.size(), 1u) << number;
        EXPECT_EQ(scry::FaultLine("t.txt", faults[0]),
                  "t.txt:1: set list '" + std::string(number) + "' is out of range (000 to 127)");
    }
}

// What is no text says what it is, once: a PDF, an image, UTF-16 (with its mark or without).
TEST(ScrySetList, NoTextSaysWhatItIs)
{
    const std::string utf16 = std::string("s\0e\0t\0l\0i\0s\0t\0", 14);
    const struct {
        std::string bytes;
        std::string said;
    } cases[] = {
        {"%PDF-1.7\n%\xE2\xE3\xCF\xD3\n", "this is a PDF file, not the text of a set list"},
        {"\x89PNG\r\n\x1A\n", "this is an image, not the text of a set list"},
        {"\xFF\xFE" + utf16, "this is UTF-16 text, not the text of a set list"},
        {utf16, "this is UTF-16 text, not the text of a set list"},
        {std::string("setlist 0 \"a\"\n\0\x01\x02", 17), "this is binary bytes, not the text of a set list"},
        // Plain text of which no line is a set list's: one fault for the whole, not one a line.
        {"Dear band,\nsee you on Friday at eight.\n\nBring the spare cable\n",
         "no line of it is a line of a set list's text; scry setlist writes one"},
        {"", "no line of it is a line of a set list's text"},
    };
    for (const auto& each : cases) {
        std::vector<scry::TextFault> faults;
        ReadText(each.bytes, faults);
        ASSERT_EQ(faults.size(), 1u) << each.said;
        EXPECT_EQ(faults[0].line, 0u);
        EXPECT_TRUE(faults[0].wholeText);
        EXPECT_EQ(faults[0].reason.rfind(each.said, 0), 0u) << faults[0].reason;
    }
    // A text with one line that is a set list's says what is wrong line by line, as ever.
    std::vector<scry::TextFault> faults;
    ReadText("Dear band,\n\"Piano\"  Prog I-A000\n", faults);
    ASSERT_FALSE(faults.empty());
    EXPECT_FALSE(faults[0].wholeText);
    EXPECT_EQ(faults[0].line, 1u);
}

// A word of a hundred thousand bytes is quoted by its start, with its length where it is a name;
// a text whose lines end in CR alone is read as lines.
TEST(ScrySetList, LongWordsAreCutAndCrOnlyLinesAreRead)
{
    const std::string longName(100000, 'N');
    const scry::TextFault name = FaultOf("\"" + longName + "\"  Prog I-A005  0 1 2 0 0 0 from 000/000");
    EXPECT_EQ(name.reason, "name \"" + longName.substr(0, 40) + "\"... is 100000 bytes long; a name holds 24");
    const scry::TextFault colour = FaultOf("\"P\"  Prog I-A005  " + std::string(5000, 'c') + " 1 2 0 0 0 from 000/000");
    EXPECT_EQ(colour.reason.rfind("color '" + std::string(40, 'c') + "...' is neither", 0), 0u) << colour.reason;
    EXPECT_LT(colour.reason.size(), 200u);
    std::vector<scry::TextFault> faults;
    const scry::SetListText read =
        ReadText("setlist 3 \"Old Mac\"\r" + std::string(Piano) + "\runused\r" + std::string(Piano) + "\r", faults);
    ASSERT_TRUE(faults.empty()) << faults.front().line << ": " << faults.front().reason;
    EXPECT_EQ(read.number, 3u);
    ASSERT_EQ(read.slots.size(), 3u);
    EXPECT_TRUE(read.slots[1].unused);
    EXPECT_EQ(read.slots[2].line, 4u);
}

TEST(ScrySetList, HoldsNoMoreThan128Slots)
{
    std::string text = "setlist 000 \"Gig\"\n";
    for (int j = 0; j < 128; ++j)
        text += (j % 2 == 0 ? std::string(Piano) : std::string("unused")) + "\n";
    std::vector<scry::TextFault> faults;
    EXPECT_EQ(ReadText(text, faults).slots.size(), 128u);
    EXPECT_TRUE(faults.empty());
    ReadText(text + "unused\n", faults);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(scry::FaultLine("t.txt", faults[0]), "t.txt:130: more than 128 slots: a set list holds 128");
}
