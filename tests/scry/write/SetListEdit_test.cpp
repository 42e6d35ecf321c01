// scry apply: set lists written back from their texts, byte for byte where nothing was edited,
// and exactly the edits where something was, as scry diff and bankscry's listings see them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <set>

#include "ScrySupport.h"
#include "command/Delivery.h"
#include "TestSupport.h"
#include "model/Compare.h"
#include "model/SetLists.h"
#include "text/CarryText.h"
#include "text/DiffText.h"
#include "text/SetListText.h"
#include "text/Text.h"
#include "text/Words.h"
#include "write/SetListEdit.h"
#include "write/Written.h"

namespace {

// The words of faults or warnings, as scry apply says them.
Texts Words(const scry::Applied& applied, const std::vector<scry::AppliedFault>& faults)
{
    Texts words;
    for (const scry::AppliedFault& fault : faults)
        words.push_back(scry::AppliedFaultLine(applied, fault));
    return words;
}

const scry::FileModel& DemoModel()
{
    static const scry::FileModel model = scry::ReadModelOfBytes("demo.PCG", DemoBytes());
    return model;
}

std::size_t OffsetOf(const scry::FileModel& model, std::size_t n)
{
    return static_cast<std::size_t>(scry::SetListOf(model, n).Offset());
}

std::string Export(std::size_t n, const scry::FileModel& model = DemoModel(), const std::string& bytes = DemoBytes())
{
    return scry::SetListTextOf(
        model, scry::SetListOf(model, n),
        scry::SetListFingerprint(std::string_view(bytes).substr(OffsetOf(model, n), pcgw::SetListSize)));
}

scry::Applied Apply(const std::vector<std::string>& texts, const scry::FileModel& model = DemoModel(),
                    const std::string& bytes = DemoBytes(), bool ignoreFingerprint = false)
{
    std::vector<scry::NamedText> named;
    for (std::size_t i = 0; i < texts.size(); ++i)
        named.push_back({std::string("t") + std::to_string(i) + ".txt", texts[i]});
    return scry::ApplySetLists(model, bytes, named, ignoreFingerprint);
}

// The line of a text that begins with the words, counted from 1.
std::size_t LineNumber(const std::string& text, const std::string& words)
{
    const Texts lines = SplitLines(text);
    const auto at =
        std::find_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(words, 0) == 0; });
    EXPECT_NE(at, lines.end()) << words;
    return static_cast<std::size_t>(at - lines.begin()) + 1;
}

// The line of a text that begins with the quoted name.
std::size_t LineOf(const Texts& lines, const std::string& name)
{
    const auto at = std::find_if(lines.begin(), lines.end(),
                                 [&](const std::string& line) { return line.rfind("\"" + name + "\"", 0) == 0; });
    EXPECT_NE(at, lines.end()) << name;
    return static_cast<std::size_t>(at - lines.begin());
}

std::string Joined(const Texts& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string Replaced(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : std::string(text).replace(at, from.size(), to);
}

Texts DiffLines(const std::string& newBytes, const scry::FileModel& old = DemoModel())
{
    const scry::FileModel after = scry::ReadModelOfBytes("new.PCG", newBytes);
    const scry::Comparison comparison = scry::Compare(old, after);
    Texts lines;
    for (const scry::Difference& difference : comparison.differences)
        lines.push_back(scry::DiffLine(comparison, difference));
    return lines;
}

std::string SlotBytes(const std::string& file, const scry::FileModel& model, std::size_t list, std::size_t slot)
{
    return file.substr(OffsetOf(model, list) + SlotsOffset + slot * SlotSize, SlotSize);
}

// bankscry on the demo and on an edited copy: which of their listing lines differ, by set list
// and slot ("000/004", "000/EQ"), for the report and the CSV alike.
class ApplyEdits : public InMemoryRun {
protected:
    std::set<std::string> ListingChanges(const std::string& newBytes)
    {
        const auto listings = [&](const std::string& bytes) {
            LogOf("demo.PCG", bytes);
            return std::make_pair(SplitLines(Read("demo_out.txt")), SplitLines(Read("demo_out.txt_sets.csv")));
        };
        const auto before = listings(DemoBytes());
        const auto after = listings(newBytes);
        std::set<std::string> keys;
        EXPECT_EQ(before.first.size(), after.first.size());
        EXPECT_EQ(before.second.size(), after.second.size());
        for (std::size_t i = 0; i < std::min(before.first.size(), after.first.size()); ++i) {
            const std::string& line = after.first[i];
            if (line == before.first[i])
                continue;
            const std::size_t slot = line.find("\" Slot ");
            if (line.rfind("SETLIST ", 0) != 0)
                keys.insert("other: " + line);
            else
                keys.insert(line.substr(8, 3) + "/" + (slot == std::string::npos ? "EQ" : line.substr(slot + 7, 3)));
        }
        for (std::size_t i = 0; i < std::min(before.second.size(), after.second.size()); ++i) {
            const std::string& line = after.second[i];
            if (line == before.second[i])
                continue;
            const std::size_t comma = line.find(',');
            keys.insert(line.substr(0, 4) + scry::Pad3(static_cast<unsigned>(std::stoul(line.substr(4, comma - 4)))));
        }
        return keys;
    }
};

// A file with slots that test every bit: bytes after a name's NUL, packed bits that feed no
// setting, bytes after the packed ones, a used slot with no name, type 3 and out-of-table banks.
Small Odd()
{
    Small small;
    std::string& lists = small.setLists;
    // Transpose bits in b1 (5) that b5's kbd bits (15) overlay: it reads as transpose 7.
    pcgw::SetSlot(lists, 0, 3, "Odd", {0xA7, 0xBF, 0xFA, 0x07, 0x08, 0x0F});
    lists[pcgw::SlotOffset(0, 3) + 5] = 'x';                        // after the name's NUL
    lists[pcgw::SlotOffset(0, 3) + PackedSlotOffset + 5] |= 0xE0;   // b5 bits 5-7 feed no setting
    lists[pcgw::SlotOffset(0, 3) + 300] = 'y';
    lists[pcgw::SlotOffset(0, 5) + 541] = 1;   // used, with no name and nothing packed
    pcgw::SetSlot(lists, 2, 0, "Elsewhere", {0x4D, 0xD8, 0x7F, 0x01, 0x02, 0x03});
    pcgw::SetName(lists, 2 * pcgw::SetListSize, "List\x85Two");
    lists[2 * pcgw::SetListSize + 20] = 'z';   // after the set list name's NUL
    return small;
}

std::string WithCrLf(const std::string& text)
{
    std::string crlf;
    for (const char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

}   // namespace

TEST(ScryApply, EveryDemoSetListComesBackByteForByte)
{
    std::vector<std::string> all;
    for (std::size_t n = 0; n < 128; ++n) {
        all.push_back(Export(n));
        const scry::Applied applied = Apply({all.back()});
        EXPECT_TRUE(applied.faults.empty()) << n;
        EXPECT_TRUE(applied.made.Whole() == DemoBytes()) << "set list " << n;
    }
    const scry::Applied applied = Apply(all);
    EXPECT_TRUE(applied.faults.empty());
    EXPECT_TRUE(applied.made.Whole() == DemoBytes());
}

TEST(ScryApply, OddBytesComeBackByteForByteFromLfAndCrLfTexts)
{
    const Small odd = Odd();
    const std::string bytes = odd.Bytes();
    const scry::FileModel model = scry::ReadModelOfBytes("odd.PCG", bytes);
    for (const std::size_t n : {0u, 2u, 9u}) {
        const std::string text = Export(n, model, bytes);
        for (const std::string& each : {text, WithCrLf(text)}) {
            const scry::Applied applied = Apply({each}, model, bytes);
            EXPECT_TRUE(applied.faults.empty()) << n;
            EXPECT_TRUE(applied.made.Whole() == bytes) << "set list " << n;
        }
    }
}

TEST(ScryApply, KeepsEveryBitNoEditTouches)
{
    const Small odd = Odd();
    const std::string bytes = odd.Bytes();
    const scry::FileModel model = scry::ReadModelOfBytes("odd.PCG", bytes);
    // Volume, colour and what it plays: b4, b0 bits 2-5 and 0-1, b1 bits 0-4 and b2.
    const std::string text =
        Replaced(Export(0, model, bytes), "Raw   3:31:250  purple    8", "Combi I-B001     teal    99");
    const scry::Applied applied = Apply({text}, model, bytes);
    ASSERT_TRUE(applied.faults.empty()) << scry::AppliedFaultLine(applied, applied.faults.front());
    const std::string before = SlotBytes(bytes, model, 0, 3), after = SlotBytes(applied.made.Whole(), model, 0, 3);
    std::string expected = before;
    expected[PackedSlotOffset + 0] = static_cast<char>((before[PackedSlotOffset] & 0xC0) | 5 << 2 | 0);
    expected[PackedSlotOffset + 1] = static_cast<char>((before[PackedSlotOffset + 1] & 0xE0) | 1);
    expected[PackedSlotOffset + 2] = 1;
    expected[PackedSlotOffset + 4] = 99;
    EXPECT_TRUE(after == expected);
    // Renamed: the new name fills its field with NULs; the bytes that followed the old one go.
    const scry::Applied renamed = Apply({Replaced(Export(0, model, bytes), "\"Odd\"", "\"Even\"")}, model, bytes);
    EXPECT_EQ(SlotBytes(renamed.made.Whole(), model, 0, 3).substr(0, NameSize),
              std::string("Even") + std::string(20, '\0'));
    EXPECT_TRUE(SlotBytes(renamed.made.Whole(), model, 0, 3).substr(NameSize) == before.substr(NameSize));
}

TEST_F(ApplyEdits, ReorderTwoSlots)
{
    Texts lines = SplitLines(Export(0));
    std::swap(lines[LineOf(lines, "Grand Piano")], lines[LineOf(lines, "Stage EP")]);
    const scry::Applied applied = Apply({Joined(lines)});
    ASSERT_TRUE(applied.faults.empty());
    // Moved slots play what they played: no word of another sound.
    EXPECT_EQ(DiffLines(applied.made.Whole()),
              (Texts{"SLOT 000/001 \"Stage EP\" (Friday Gig): moved from 000/002",
                     "SLOT 000/002 \"Grand Piano\" (Friday Gig): moved from 000/001"}));
    EXPECT_EQ(ListingChanges(applied.made.Whole()), (std::set<std::string>{"000/001", "000/002"}));
    // Whole slots moved: every byte of each.
    EXPECT_TRUE(SlotBytes(applied.made.Whole(), DemoModel(), 0, 1) == SlotBytes(DemoBytes(), DemoModel(), 0, 2));
    EXPECT_TRUE(SlotBytes(applied.made.Whole(), DemoModel(), 0, 2) == SlotBytes(DemoBytes(), DemoModel(), 0, 1));
}

TEST_F(ApplyEdits, RenameASlotAndASetList)
{
    const scry::Applied slot = Apply({Replaced(Export(0), "\"Closing Song\"", "\"Encore \xC3\xA9\"")});
    ASSERT_TRUE(slot.faults.empty());
    EXPECT_EQ(DiffLines(slot.made.Whole()),
              Texts{"SLOT 000/010 \"Encore \xC3\xA9\" (Friday Gig): renamed \"Closing Song\" -> \"Encore \xC3\xA9\""});
    EXPECT_EQ(ListingChanges(slot.made.Whole()), std::set<std::string>{"000/010"});

    const scry::Applied list = Apply({Replaced(Export(0), "\"Friday Gig\"", "\"Saturday Gig\"")});
    ASSERT_TRUE(list.faults.empty());
    EXPECT_EQ(DiffLines(list.made.Whole()), Texts{"SETLIST 000: renamed \"Friday Gig\" -> \"Saturday Gig\""});
    // The set list's name heads every line of it in both listings.
    std::set<std::string> everyLine{"000/EQ"};
    for (unsigned j = 0; j < 128; ++j)
        everyLine.insert("000/" + scry::Pad3(j));
    EXPECT_EQ(ListingChanges(list.made.Whole()), everyLine);
}

TEST_F(ApplyEdits, RetargetASlot)
{
    const scry::Applied applied = Apply({Replaced(Export(0), "Prog  I-C096", "Prog  I-F071")});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.made.Whole()),
              (Texts{"SLOT 000/002 \"Stage EP\" (Friday Gig): plays Prog I-F071 \"Silky Sweep\", was Prog I-C096 \"Big "
                     "Arp Pulse\"",
                     "SLOT 000/002 \"Stage EP\" (Friday Gig): now plays \"Silky Sweep\" (Prog I-F071), was \"Big Arp "
                     "Pulse\" (Prog I-C096)"}));
    EXPECT_EQ(ListingChanges(applied.made.Whole()), std::set<std::string>{"000/002"});

    // From the instrument's own bank to a combination of the file: another kind too.
    const scry::Applied combi = Apply({Replaced(Export(0), "Prog  GM045 ", "Combi I-A007")});
    ASSERT_TRUE(combi.faults.empty());
    EXPECT_EQ(DiffLines(combi.made.Whole()),
              Texts{"SLOT 000/009 \"Choir Aahs\" (Friday Gig): plays Combi I-A007 \"Mellow Sax "
                    "Section Layer\", was Prog GM045 (instrument's own bank)"});
    EXPECT_EQ(ListingChanges(combi.made.Whole()), std::set<std::string>{"000/009"});
}

TEST_F(ApplyEdits, ChangeVolumeHoldAndColour)
{
    // Colour by name on one slot and by number on another.
    std::string text = Replaced(Export(0), "green    90     0", "red      70     9");
    text = Replaced(text, "brown   100    10", "7       100    10");
    const scry::Applied applied = Apply({text});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.made.Whole()),
              (Texts{"SLOT 000/003 \"Strings, Warm\" (Friday Gig): color 7, was 12",
                     "SLOT 000/008 \"Clav Funk\" (Friday Gig): color 1, was 4; hold 9, was 0; volume 70, was 90"}));
    EXPECT_EQ(ListingChanges(applied.made.Whole()), (std::set<std::string>{"000/003", "000/008"}));
}

TEST_F(ApplyEdits, RemoveASlotOrTheLast)
{
    Texts lines = SplitLines(Export(0));
    lines[LineOf(lines, "Brass Stabs")] = "unused";
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(LineOf(lines, "Encore: Organ")));
    const scry::Applied applied = Apply({Joined(lines)});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.made.Whole()), (Texts{"SLOT 000/004 \"Brass Stabs\" (Friday Gig): removed",
                                                      "SLOT 000/011 \"Encore: Organ\" (Friday Gig): removed"}));
    EXPECT_EQ(ListingChanges(applied.made.Whole()), (std::set<std::string>{"000/004", "000/011"}));
    EXPECT_TRUE(SlotBytes(applied.made.Whole(), DemoModel(), 0, 4) == std::string(SlotSize, '\0'));
}

TEST_F(ApplyEdits, CopyASlotFromAnotherSetList)
{
    const Texts five = SplitLines(Export(5));
    const std::string copied = five[LineOf(five, "Jump Synth")];
    const scry::Applied applied = Apply({Export(0) + copied + "\n"});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.made.Whole()), Texts{"SLOT 000/012 \"Jump Synth\" (Friday Gig): copied from 005/003"});
    EXPECT_EQ(ListingChanges(applied.made.Whole()), std::set<std::string>{"000/012"});
    EXPECT_TRUE(SlotBytes(applied.made.Whole(), DemoModel(), 0, 12) == SlotBytes(DemoBytes(), DemoModel(), 5, 3));
}

TEST(ScryApply, WritesFontTransposeAndKbdWhereTheirBitsAllowAndSaysWhyNot)
{
    const std::string text = Export(0);
    const std::size_t first = LineOf(SplitLines(text), "Opening Pad") + 1;
    // Font 1 -> 2 and transpose 2 -> 3 over kbd 8 can be written; kbd 8 -> 9 over transpose 0 cannot.
    const std::string edited = Replaced(Replaced(text, "1   4    0  from 000/000", "2   4    0  from 000/000"),
                                        "1   2    8  from 000/001", "1   3    8  from 000/001");
    const scry::Applied written = Apply({edited});
    ASSERT_TRUE(written.faults.empty()) << scry::AppliedFaultLine(written, written.faults.front());
    EXPECT_EQ(DiffLines(written.made.Whole()),
              (Texts{"SLOT 000/000 \"Opening Pad\" (Friday Gig): font 2, was 1",
                     "SLOT 000/001 \"Grand Piano\" (Friday Gig): transpose 3, was 2"}));
    const scry::Applied refused =
        Apply({Replaced(edited, "1   0    8  from 000/002", "1   0    9  from 000/002"), text});
    EXPECT_EQ(Words(refused, refused.faults),
              (Texts{"t0.txt:" + std::to_string(first + 2) +
                         ": kbd track 9 cannot be written while transpose is 0 (the two share bits of the slot); "
                         "kbd track can be 0 or 8",
                     "t1.txt:" + std::to_string(LineNumber(text, "setlist")) +
                         ": set list 000 is given twice (also at t0.txt:" +
                         std::to_string(LineNumber(text, "setlist")) + ")"}));
    // The same faults as data, for a front end that points at the slot rather than the line.
    ASSERT_EQ(refused.faults.size(), 2u);
    const scry::TextFault& kbd = refused.faults[0].fault;
    EXPECT_EQ(kbd.kind, scry::ApplyFaultKind::NotWritable);
    EXPECT_EQ(kbd.place.slot, std::optional<std::size_t>(2));
    EXPECT_EQ(kbd.place.field, SlotField::Kbd_Track);
    EXPECT_EQ(kbd.data.wanted.Kbd_Track, 9u);
    const scry::TextFault& twice = refused.faults[1].fault;
    EXPECT_EQ(refused.faults[1].text, 1u);
    EXPECT_EQ(twice.kind, scry::ApplyFaultKind::GivenTwice);
    EXPECT_EQ(twice.data.otherText, "t0.txt");
    EXPECT_EQ(twice.data.otherLine, LineNumber(text, "setlist"));
}

namespace {

// Transpose reads b1 bits 5-7 ORed with b5 bits 0-2, and kbd track b5 bits 0-3: a transpose can
// be written with a kbd track only where it holds the kbd track's bits 0-2 (worked out from the
// layout by hand, not by the code).
bool Fits(unsigned transpose, unsigned kbd) { return (transpose & (kbd & 7u)) == (kbd & 7u); }

std::string CanBe(const std::vector<unsigned>& values)
{
    std::string text;
    for (std::size_t k = 0; k < values.size(); ++k)
        text += (k == 0 ? "" : k + 1 == values.size() ? " or " : ", ") + std::to_string(values[k]);
    return text;
}

// The reason a line that asks transpose t and kbd k, over a slot that had t0 and k0, is refused.
std::string WhyRefused(unsigned t, unsigned k, unsigned t0)
{
    std::vector<unsigned> values;
    if (t != t0) {
        for (unsigned v = 0; v < 8; ++v)
            if (Fits(v, k))
                values.push_back(v);
        return "transpose " + std::to_string(t) + " cannot be written while kbd track is " + std::to_string(k) +
               " (the two share bits of the slot); transpose can be " + CanBe(values);
    }
    for (unsigned v = 0; v < 16; ++v)
        if (Fits(t, v))
            values.push_back(v);
    return "kbd track " + std::to_string(k) + " cannot be written while transpose is " + std::to_string(t) +
           " (the two share bits of the slot); kbd track can be " + CanBe(values);
}

}   // namespace

// Every combination of the packed bytes' shared bits (b0 bits 6-7, b1 bits 5-7, b5 bits 0-4), a
// slot each, with its other fields varying; every font, transpose and kbd value asked of them:
// each is written and reads back exactly, or is refused with its reason.
TEST(ScryApply, EveryFontTransposeAndKbdOverEveryCombinationOfSharedBits)
{
    std::string lists = pcgw::Records(pcgw::SetListSize);
    pcgw::Random random(2024);
    for (unsigned shared = 0; shared < 1024; ++shared) {
        const std::size_t list = shared / 128, slot = shared % 128;
        pcgw::Packed packed{random.NextByte(), random.NextByte(), random.NextByte(),
                            random.NextByte(), random.NextByte(), random.NextByte()};
        packed[0] = static_cast<std::uint8_t>((packed[0] & 0x3C) | 1u | (shared & 3u) << 6);   // a program slot
        packed[1] =
            static_cast<std::uint8_t>((packed[1] & 0x07) | (shared >> 2 & 7u) << 5);   // bank I-A to I-H... of 0-7
        packed[5] = static_cast<std::uint8_t>((packed[5] & 0xE0) | (shared >> 5 & 0x1Fu));
        pcgw::SetSlot(lists, list, slot, "S" + std::to_string(shared), packed);
    }
    const std::string bytes = pcgw::PcgFile(pcgw::Chunk("SLS1", pcgw::BankChunk("SBK1", 0, pcgw::SetListSize, lists)));
    const scry::FileModel model = scry::ReadModelOfBytes("bits.PCG", bytes);
    std::size_t writtenCount = 0, refusedCount = 0;
    for (std::size_t list = 0; list < 8; ++list) {
        const std::string text = Export(list, model, bytes);
        const Texts lines = SplitLines(text);
        const std::size_t head = LineOf(lines, "S" + std::to_string(list * 128));
        for (unsigned round = 0; round < 12; ++round) {
            // Each line asks its own font, transpose and kbd: over the rounds every value of each.
            Texts asked = lines, kept = lines;
            std::vector<std::pair<bool, std::string>> expected(128);
            for (std::size_t j = 0; j < 128; ++j) {
                const SlotAttributes was = model.banks[0].setLists[list].slots[j].fields;
                const unsigned v = static_cast<unsigned>(j * 5 + round * 43 + list * 11) % 512;
                const unsigned font = v & 3u, t = v >> 2 & 7u, k = v >> 5;
                std::string& line = asked[head + j];
                const std::size_t from = line.find("  from ");
                // The columns before "from": font, tr and kbd are the last three.
                std::size_t at = from;
                for (int column = 0; column < 3; ++column)
                    at = line.find_last_not_of(' ', at - 1), at = line.find_last_of(' ', at);
                line = line.substr(0, at) + " " + std::to_string(font) + " " + std::to_string(t) + " " +
                       std::to_string(k) + line.substr(from);
                const bool fits = Fits(t, k);
                expected[j] = {fits, fits ? "" : WhyRefused(t, k, was.Transpose)};
                if (fits)
                    kept[head + j] = line;
            }
            const scry::Applied refusing = Apply({Joined(asked)}, model, bytes);
            std::map<std::size_t, std::string> faults;
            for (const std::string& fault : Words(refusing, refusing.faults)) {
                const std::size_t colon = fault.find(':', 7);
                faults[std::stoul(fault.substr(7, colon - 7))] = fault.substr(colon + 2);
            }
            for (std::size_t j = 0; j < 128; ++j) {
                const auto found = faults.find(head + j + 1);
                if (expected[j].first) {
                    EXPECT_EQ(found, faults.end()) << asked[head + j] << ": " << found->second;
                } else {
                    ASSERT_NE(found, faults.end()) << asked[head + j];
                    EXPECT_EQ(found->second, expected[j].second) << asked[head + j];
                    ++refusedCount;
                }
            }
            const scry::Applied applied = Apply({Joined(kept)}, model, bytes);
            ASSERT_TRUE(applied.faults.empty()) << scry::AppliedFaultLine(applied, applied.faults.front());
            const scry::FileModel after = scry::ReadModelOfBytes("out.PCG", applied.made.Whole());
            std::vector<scry::TextFault> unused;
            const scry::SetListText read = scry::ReadSetListText(Joined(kept), unused);
            for (std::size_t j = 0; j < 128; ++j) {
                const scry::Slot& was = model.banks[0].setLists[list].slots[j];
                const scry::Slot& now = after.banks[0].setLists[list].slots[j];
                EXPECT_EQ(now.fields, read.slots[j].fields) << kept[head + j];
                EXPECT_EQ(now.hidden, was.hidden);
                EXPECT_EQ(now.packed[5] & 0xE0, was.packed[5] & 0xE0) << "bits no field reads";
                writtenCount += expected[j].first;
            }
        }
    }
    EXPECT_GT(writtenCount, 5000u);
    EXPECT_GT(refusedCount, 2000u);
}

TEST(ScryApply, RefusesATextWhoseSetListChangedSinceOrThatHasNoFingerprint)
{
    const std::string text = Export(1);
    const std::string changed = Apply({Replaced(text, "\"Wedding Set\"", "\"Wedding\"")}).made.Whole();
    const scry::FileModel model = scry::ReadModelOfBytes("demo.PCG", changed);
    const scry::Applied stale = Apply({text}, model, changed);
    ASSERT_EQ(stale.faults.size(), 1u);
    EXPECT_NE(Words(stale, stale.faults)[0].find(": set list 001 has changed in demo.PCG since this text was written"),
              std::string::npos);
    const scry::ApplyFaultData& data = stale.faults[0].fault.data;
    EXPECT_EQ(stale.faults[0].fault.kind, scry::ApplyFaultKind::SetListChanged);
    EXPECT_EQ(data.setList, 1u);
    EXPECT_EQ(data.now, scry::SetListFingerprint(changed.substr(OffsetOf(model, 1), SetListSize)));
    EXPECT_NE(data.fingerprint, data.now);
    const scry::Applied anyway = Apply({text}, model, changed, true);
    EXPECT_TRUE(anyway.faults.empty());
    EXPECT_TRUE(anyway.made.Whole() == DemoBytes());
    // Without its fingerprint line a text could undo what changed since: refused all the same.
    Texts lines = SplitLines(text);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(LineNumber(text, "fingerprint") - 1));
    const scry::Applied bare = Apply({Joined(lines)}, model, changed);
    EXPECT_EQ(Words(bare, bare.faults),
              (Texts{"t0.txt:" + std::to_string(LineNumber(text, "setlist")) +
                     ": no fingerprint line; export the set list again, or apply with --ignore-fingerprint"}));
    EXPECT_TRUE(Apply({Joined(lines)}, model, changed, true).faults.empty());
}

TEST(ScryApply, RefusesFromAnUnusedSlotAndWarnsOfAVolumeAbove127)
{
    const std::string text = Export(0);
    const std::size_t line = LineOf(SplitLines(text), "Stage EP") + 1;
    const scry::Applied unused = Apply({Replaced(text, "from 000/002", "from 000/100")});
    EXPECT_EQ(
        Words(unused, unused.faults),
        (Texts{"t0.txt:" + std::to_string(line) + ": from 000/100: that slot is unused, there are no bytes to carry"}));
    const scry::Applied loud = Apply({Replaced(text, "cyan     64", "cyan    200")});
    ASSERT_TRUE(loud.faults.empty()) << scry::AppliedFaultLine(loud, loud.faults.front());
    EXPECT_EQ(Words(loud, loud.warnings),
              (Texts{"t0.txt:" + std::to_string(line) + ": volume 200 is above 127; written as asked"}));
    EXPECT_EQ(unused.faults[0].fault.kind, scry::ApplyFaultKind::FromSlotUnused);
    EXPECT_EQ(unused.faults[0].fault.data.slot, 100u);
    EXPECT_EQ(loud.warnings[0].fault.kind, scry::ApplyFaultKind::VolumeAbove127);
    EXPECT_EQ(loud.warnings[0].fault.data.value, 200u);
    EXPECT_EQ(DiffLines(loud.made.Whole()), (Texts{"SLOT 000/002 \"Stage EP\" (Friday Gig): volume 200, was 64"}));
}

// A line without from is a new song: an unused slot's bytes (all zero) with what the line sets,
// inserted between others (those below move down) or filling an unused slot; one that would be
// all zero is refused, since it would read as unused.
TEST(ScryApply, ANewSongIsAnUnusedSlotWithWhatItsLineSets)
{
    const std::string text = Export(0);
    const scry::SetList& before = DemoModel().banks[0].setLists[0];
    std::size_t used = 0;
    while (used < SlotsPerSetList && before.slots[used].used)
        ++used;
    ASSERT_GT(used, 2u);
    ASSERT_FALSE(before.slots.back().used);
    Texts lines = SplitLines(text);
    const std::size_t second = LineOf(lines, before.slots[1].name);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(second), "\"New Song\"  Prog I-A005  3 100 0 1 0 0");
    lines.push_back("\"Encore\"  Combi I-A001  0 0 0 0 0 0");
    std::string edited;
    for (const std::string& line : lines)
        edited += line + "\n";
    const scry::Applied applied = Apply({edited});
    ASSERT_TRUE(applied.faults.empty()) << scry::AppliedFaultLine(applied, applied.faults.front());
    const scry::FileModel made = scry::ReadModelOfBytes("made.PCG", applied.made.Whole());
    const scry::SetList& after = made.banks[0].setLists[0];
    const scry::Slot& song = after.slots[1];
    EXPECT_TRUE(song.used);
    EXPECT_EQ(song.name, "New Song");
    EXPECT_EQ(scry::SlotPlaysCell(song.fields), "Prog  I-A005");
    EXPECT_EQ(song.fields.Color, 3u);
    EXPECT_EQ(song.fields.Volume, 100u);
    EXPECT_EQ(song.fields.Font, 1u);
    EXPECT_EQ(song.hidden, before.slots.back().hidden) << "the bytes no column sets are an unused slot's";
    // The songs below moved down one place with every byte; the last used one now one further.
    EXPECT_EQ(after.slots[0].fingerprint, before.slots[0].fingerprint);
    for (std::size_t j = 1; j < used; ++j)
        EXPECT_EQ(after.slots[j + 1].fingerprint, before.slots[j].fingerprint) << j;
    EXPECT_EQ(after.slots[used + 1].name, "Encore");
    EXPECT_EQ(scry::SlotPlaysCell(after.slots[used + 1].fields), "Combi I-A001");
    EXPECT_FALSE(scry::WrongInWritten(made, applied.lists));

    // All zero: no name, Combi I-A000 (type 0, bank 0, number 0), every setting 0.
    lines.back() = "\"\"  Combi I-A000  0 0 0 0 0 0";
    edited.clear();
    for (const std::string& line : lines)
        edited += line + "\n";
    const scry::Applied empty = Apply({edited});
    ASSERT_EQ(empty.faults.size(), 1u);
    EXPECT_EQ(empty.faults[0].fault.kind, scry::ApplyFaultKind::NewSlotEmpty);
    EXPECT_EQ(empty.faults[0].fault.place.slot, used + 1);
    EXPECT_NE(Words(empty, empty.faults)[0].find("plays Combi I-A000 with every setting 0 is all zero bytes"),
              std::string::npos)
        << Words(empty, empty.faults)[0];
}

// The checks of a new file: every byte outside the edited set lists as in the source (the
// operation's check, in memory), the bytes written and read back, and each edited set list as its
// text says.
TEST_F(ScryFiles, TheReadBackFindsWhatIsNotAsMeant)
{
    const scry::Applied applied = Apply({Replaced(Export(0), "\"Closing Song\"", "\"Encore\"")});
    EXPECT_FALSE(scry::ChangedOutside(applied.made.Whole(), DemoBytes(), applied.edited));
    EXPECT_FALSE(scry::WrongInWritten(scry::ReadModelOfBytes("out.PCG", applied.made.Whole()), applied));
    // An editor that erred outside what it set out to change, in bytes no model shows and in a record.
    const std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> demo(
        OpenMemoryInput(DemoBytes().data(), DemoBytes().size(), "demo.PCG"), &CloseInput);
    const auto check = [&](const scry::FileModel& written) { return scry::WrongInWritten(written, applied); };
    const std::size_t sdb1 = DemoBytes().find("SDB1") + 100;
    for (const std::size_t at : {sdb1, OffsetOf(DemoModel(), 3) + SlotsOffset + 16,
                                 static_cast<std::size_t>(DemoModel().banks.back().offset) + 100, std::size_t{10}}) {
        std::string wrong = applied.made.Whole();
        wrong[at] ^= 1;
        const std::string said =
            "byte " + std::to_string(at) + " differs from the file it was made from, outside what was to change";
        const scry::ReadBackFault outside = scry::ChangedOutside(wrong, DemoBytes(), applied.edited);
        EXPECT_EQ(outside.kind, scry::ReadBackFault::Kind::ByteOutside);
        EXPECT_EQ(outside.at, static_cast<std::int64_t>(at));
        EXPECT_EQ(scry::ReadBackText(outside), said);
        scry::NewFile erred = applied.made;
        erred.Bytes(static_cast<std::int64_t>(at), 1)[0] ^= 1;
        EXPECT_EQ(scry::ReadBackText(scry::ChangedOutside(erred, applied.edited)), said);
    }
    // What the texts meant, written and read back: the file is put in place, as the texts say.
    scry::WriteReadBack(Path("out.PCG"), *demo, applied.made, check);
    EXPECT_TRUE(Read("out.PCG") == applied.made.Whole());
    // A check that finds the file read back wrong leaves nothing.
    std::remove(Path("out.PCG").c_str());
    EXPECT_THROW(scry::WriteReadBack(Path("out.PCG"), *demo, applied.made,
                                     [](const scry::FileModel&) {
                                         return scry::ReadBackFault{scry::ReadBackFault::Kind::SetListNotAsText};
                                     }),
                 scry::NotWritten);
    EXPECT_EQ(Names(), Texts{});
    std::string slot = applied.made.Whole();
    slot[OffsetOf(DemoModel(), 0) + SlotsOffset + 10 * SlotSize + PackedSlotOffset + 4] ^= 1;
    const scry::ReadBackFault wrongSlot = scry::WrongInWritten(scry::ReadModelOfBytes("out.PCG", slot), applied);
    EXPECT_EQ(wrongSlot.kind, scry::ReadBackFault::Kind::SlotNotAsLine);
    EXPECT_EQ(wrongSlot.slot, (scry::SlotAt{0, 0, 10}));
    EXPECT_EQ(scry::ReadBackText(wrongSlot), "slot 000/010 does not read back as its line says");
    const scry::ReadBackFault cut = scry::WrongInWritten(
        scry::ReadModelOfBytes("out.PCG", applied.made.Whole().substr(0, applied.made.Whole().size() - 1000)), applied);
    EXPECT_EQ(cut.kind, scry::ReadBackFault::Kind::Damaged);
    EXPECT_EQ(scry::ReadBackText(cut).substr(0, 19), "it reads as damaged");
}

// Random edits of random set lists: diff names exactly the slots whose bytes the edits changed.
TEST(ScryApply, RandomEditsAreExactlyWhatDiffFinds)
{
    struct Entry {
        bool unused;
        std::string name;
        std::string plays;   // "Raw T:B:N" or a place
        SlotAttributes fields;
        std::size_t fromList, fromSlot;
    };
    const std::pair<const char*, std::array<int, 3>> places[] = {
        {"Prog I-A000", {1, 0, 0}},   {"Combi U-G127", {0, 13, 127}}, {"Prog U-AA005", {1, 24, 5}},
        {"Prog GMd010", {1, 16, 10}}, {"Song S-199", {2, 0, 199}},    {"Raw 3:31:255", {3, 31, 255}}};
    std::mt19937 random(20261208);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 60; ++round) {
        const std::size_t n = pick(8) == 0 ? pick(128) : pick(8);   // mostly the used ones
        std::vector<scry::TextFault> faults;
        const scry::SetListText read = scry::ReadSetListText(Export(n), faults);
        std::vector<Entry> entries;
        for (const scry::SlotLine& line : read.slots) {
            const SlotAttributes& f = line.fields;
            entries.push_back(
                {line.unused, line.name,
                 "Raw " + std::to_string(f.SlotType) + ":" + std::to_string(f.Bank) + ":" + std::to_string(f.Number), f,
                 line.fromSetList, line.fromSlot});
        }
        std::string listName = read.name;
        for (int edit = 0, edits = 1 + static_cast<int>(pick(5)); edit < edits; ++edit) {
            const std::size_t at = entries.empty() ? 0 : pick(entries.size());
            switch (entries.empty() ? 6 : pick(8)) {
            case 0: {
                if (entries[at].unused)
                    break;
                std::string name;
                for (std::size_t k = pick(25); k > 0; --k)
                    name += static_cast<char>(pick(2) == 0 ? 0x20 + pick(0x5F) : 0xA0 + pick(0x60));
                entries[at].name = name;
                break;
            }
            case 1: {
                const auto& [place, bits] = places[pick(std::size(places))];
                entries[at].plays = place;
                entries[at].fields.SlotType = static_cast<std::uint8_t>(bits[0]);
                entries[at].fields.Bank = static_cast<std::uint8_t>(bits[1]);
                entries[at].fields.Number = static_cast<std::uint8_t>(bits[2]);
                break;
            }
            case 2: entries[at].fields.Color = static_cast<std::uint8_t>(pick(16)); break;
            case 3:
                entries[at].fields.Volume = static_cast<std::uint8_t>(pick(256));
                entries[at].fields.HoldTime = static_cast<std::uint8_t>(pick(256));
                break;
            case 4: std::swap(entries[at], entries[pick(entries.size())]); break;
            case 5: entries[at].unused = true; break;
            case 6: {   // a slot of another set list, at the end
                if (entries.size() == 128)
                    break;
                const std::size_t list = pick(6);
                std::size_t slot = pick(4);
                while (!DemoModel().banks[0].setLists[list].slots[slot].used)
                    slot = pick(128);
                const scry::Slot& from = DemoModel().banks[0].setLists[list].slots[slot];
                entries.push_back({false, from.name,
                                   "Raw " + std::to_string(from.fields.SlotType) + ":" +
                                       std::to_string(from.fields.Bank) + ":" + std::to_string(from.fields.Number),
                                   from.fields, list, slot});
                break;
            }
            default: listName = "Round " + std::to_string(round); break;
            }
        }
        // The text, and the bytes it means, slot by slot: those of the from slot, with the name
        // and the packed bits of what it plays, its colour, hold and volume as the line says.
        std::string text = "setlist " + std::to_string(n) + " " + scry::Quoted(listName) + "\n";
        std::set<std::size_t> expected;
        for (std::size_t p = 0; p < 128; ++p) {
            const Entry* entry = p < entries.size() ? &entries[p] : nullptr;
            std::string bytes(SlotSize, '\0');
            if (entry != nullptr && entry->unused)
                text += "unused\n";
            if (entry != nullptr && !entry->unused) {
                const SlotAttributes& f = entry->fields;
                text += scry::Quoted(entry->name) + " " + entry->plays + " " + std::to_string(f.Color) + " " +
                        std::to_string(f.Volume) + " " + std::to_string(f.HoldTime) + " " + std::to_string(f.Font) +
                        " " + std::to_string(f.Transpose) + " " + std::to_string(f.Kbd_Track) + " from " +
                        scry::SlotKey(entry->fromList, entry->fromSlot) + "\n";
                bytes = SlotBytes(DemoBytes(), DemoModel(), entry->fromList, entry->fromSlot);
                if (entry->name != DemoModel().banks[0].setLists[entry->fromList].slots[entry->fromSlot].name)
                    bytes.replace(0, NameSize, entry->name + std::string(NameSize - entry->name.size(), '\0'));
                char* packed = bytes.data() + PackedSlotOffset;
                packed[0] = static_cast<char>((packed[0] & 0xC0) | f.Color << 2 | f.SlotType);
                packed[1] = static_cast<char>((packed[1] & 0xE0) | f.Bank);
                packed[2] = static_cast<char>(f.Number);
                packed[3] = static_cast<char>(f.HoldTime);
                packed[4] = static_cast<char>(f.Volume);
            }
            if (bytes != SlotBytes(DemoBytes(), DemoModel(), n, p))
                expected.insert(p);
        }
        const scry::SetList& before = DemoModel().banks[0].setLists[n];
        const scry::Applied applied = Apply({text}, DemoModel(), DemoBytes(), true);
        ASSERT_TRUE(applied.faults.empty()) << scry::AppliedFaultLine(applied, applied.faults.front()) << "\n" << text;
        const scry::FileModel after = scry::ReadModelOfBytes("new.PCG", applied.made.Whole());
        // Every slot whose bytes changed is named at its place, where it stands now or stood.
        std::set<std::size_t> found;
        bool renamed = false;
        const scry::Comparison comparison = scry::Compare(DemoModel(), after);
        for (const scry::Difference& difference : comparison.differences) {
            ASSERT_TRUE(difference.subject == scry::Subject::Slot || difference.subject == scry::Subject::SetList)
                << scry::DiffLine(comparison, difference);
            for (const bool old : {false, true}) {
                if (!(old ? difference.inOld : difference.inNew))
                    continue;
                const scry::Place& place = old ? difference.oldAt : difference.newAt;
                const scry::SlotAt at = difference.subject == scry::Subject::Slot
                                            ? std::get<scry::SlotAt>(place)
                                            : scry::SlotAt{std::get<scry::SetListAt>(place).setListBank,
                                                           std::get<scry::SetListAt>(place).setList, 0};
                // A copy may come from any set list; what changed is in set list n alone.
                if (!old || !difference.Has(scry::Change::Copied)) {
                    EXPECT_EQ(at.setList, n) << scry::DiffLine(comparison, difference);
                }
                // A slot that moved away left its old place changed too.
                if (difference.subject == scry::Subject::Slot && !difference.Has(scry::Change::Impact) &&
                    (!old || !difference.inNew || difference.Has(scry::Change::Moved)))
                    found.insert(at.slot);
            }
            renamed = renamed || difference.subject == scry::Subject::SetList;
        }
        EXPECT_EQ(found, expected) << "round " << round << "\n" << text;
        EXPECT_EQ(renamed, listName != before.name) << "round " << round;
        EXPECT_FALSE(scry::WrongInWritten(after, applied));
    }
}

TEST_F(ScryFiles, ApplyWritesANewFileNeverOverAPcgFile)
{
    Write("demo.PCG", DemoBytes());
    ASSERT_EQ(Run({"setlist", "demo.PCG", "0", "-o", "gig.txt"}).status, 0);
    EXPECT_EQ(Run({"setlist", "demo.PCG", "0", "-o", "demo.PCG"}).status, 2);   // never over a PCG file
    ScryRun run = Run({"apply", "demo.PCG", "gig.txt", "-o", "new.PCG"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SETLIST 000 \"Friday Gig\": 12 lines, no slot changed\n");
    EXPECT_EQ(run.err, "scry: wrote new.PCG\n");
    EXPECT_TRUE(Read("new.PCG") == DemoBytes());

    const std::string renamed = Replaced(Read("gig.txt"), "\"Opening Pad\"", "\"Opener\"");
    Write("gig.txt", renamed);
    // A PCG file is never written over: refused without --force; with it, the earlier one is kept
    // under a numbered backup's name (one more than the highest there), its bytes whole.
    run = Run({"apply", "demo.PCG", "gig.txt", "-o", "new.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: cannot write new.PCG: it is a PCG file (it begins with KORG); name a new file, or "
                       "--force keeps it as a numbered backup beside the new one\n");
    EXPECT_TRUE(Read("new.PCG") == DemoBytes());
    Write("new.PCG.~3~", "an older backup");
    run = Run({"apply", "demo.PCG", "gig.txt", "-o", "new.PCG", "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "scry: wrote new.PCG; the earlier one is kept as new.PCG.~4~\n");
    EXPECT_TRUE(Read("new.PCG.~4~") == DemoBytes());
    EXPECT_EQ(Read("new.PCG.~3~"), "an older backup");
    EXPECT_NE(Read("new.PCG").find("Opener"), std::string::npos);   // the edit, in the new file
    Write("notes.PCG", "not a PCG file yet");
    run = Run({"apply", "demo.PCG", "gig.txt", "-o", "notes.PCG"});
    EXPECT_EQ(run.err, "scry: notes.PCG exists; --force replaces it\n");
    run = Run({"apply", "demo.PCG", "gig.txt", "-o", "notes.PCG", "--force"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SETLIST 000 \"Friday Gig\": 12 lines, 1 slot changed\n");
    EXPECT_EQ(Run({"diff", "demo.PCG", "notes.PCG"}).out.substr(0, 41), "SLOT 000/000 \"Opener\" (Friday Gig): renam");

    // Never over an input, even with --force; never to a stream or a folder.
    for (const char* out : {"demo.PCG", "gig.txt"}) {
        run = Run({"apply", "demo.PCG", "gig.txt", "-o", out, "--force"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, std::string("scry: cannot write ") + out + ": it is an input of this command\n");
    }
    EXPECT_TRUE(Read("demo.PCG") == DemoBytes());
    EXPECT_EQ(Read("gig.txt"), renamed);
    EXPECT_EQ(Run({"apply", "demo.PCG", "gig.txt", "-o", "-"}).status, 2);
    EXPECT_EQ(Run({"apply", "demo.PCG", "gig.txt", "-o", "."}).status, 2);
    EXPECT_EQ(Run({"apply", "demo.PCG", "gig.txt"}).status, 2);   // -o is required

    run = Run({"apply", "-", "-", "-o", "twice.PCG"}, &renamed);
    EXPECT_EQ(run.err, "scry: standard input can be read only once\n");

    // The text from standard input.
    run = Run({"apply", "demo.PCG", "-", "-o", "piped.PCG"}, &renamed);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Read("piped.PCG") == Read("notes.PCG"));
    EXPECT_EQ(Names(),
              (Texts{"demo.PCG", "gig.txt", "new.PCG", "new.PCG.~3~", "new.PCG.~4~", "notes.PCG", "piped.PCG"}));
}

TEST_F(ScryFiles, ApplyRefusesWithTheLineAndWritesNothing)
{
    Write("demo.PCG", DemoBytes());
    const std::string text = Export(0);
    const std::size_t line = LineOf(SplitLines(text), "Stage EP") + 1;
    Write("bad.txt", Replaced(text, "Prog  I-C096", "Prog  I-Z096"));
    ScryRun run = Run({"apply", "demo.PCG", "bad.txt", "-o", "new.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: bad.txt:" + std::to_string(line) +
                           ": unknown place 'I-Z096' for Prog (I-A000 to I-F127, U-A000 to U-G127, U-AA000 to U-GG127, "
                           "GM, GMd)\nscry: nothing written\n");

    // A set list changed since its text was written: refused, --force does not help, and
    // --ignore-fingerprint applies it all the same.
    Write("first.txt", Replaced(text, "\"Friday Gig\"", "\"Friday\""));
    ASSERT_EQ(Run({"apply", "demo.PCG", "first.txt", "-o", "changed.PCG"}).status, 0);
    Write("late.txt", Replaced(text, "\"Stage EP\"", "\"EP\""));
    const std::size_t fingerprint = LineNumber(text, "fingerprint");
    run = Run({"apply", "changed.PCG", "late.txt", "-o", "new.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.find("scry: late.txt:" + std::to_string(fingerprint) +
                           ": set list 000 has changed in changed.PCG since this text was written"),
              0u);
    EXPECT_FALSE(Exists("new.PCG"));
    // The text names the file it was written from: said where it is applied to another.
    EXPECT_NE(run.err.find("; its file line (line " + std::to_string(LineNumber(text, "file")) +
                           ") names \"demo.PCG\", not changed.PCG; export it again"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Run({"apply", "changed.PCG", "late.txt", "-o", "new.PCG", "--ignore-fingerprint"}).status, 0);
    EXPECT_EQ(Run({"diff", "demo.PCG", "new.PCG"}).out.substr(0, 53),
              "SLOT 000/002 \"EP\" (Friday Gig): renamed \"Stage EP\" ->");

    // A damaged file is not copied.
    Write("cut.PCG", DemoBytes().substr(0, DemoBytes().size() / 2));
    run = Run({"apply", "cut.PCG", "late.txt", "-o", "fromcut.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("cut.PCG is damaged: apply writes a copy only of a file that reads whole"),
              std::string::npos);
    EXPECT_FALSE(Exists("fromcut.PCG"));
    EXPECT_FALSE(Exists("bad.PCG"));

    // A thousand faults: the first ten and how many more, never a screenful.
    std::string many = text.substr(0, text.find("\n\"")) + "\n";
    for (int k = 0; k < 1000; ++k)
        many += "\"P\"  Prog I-Z005  0 1 2 0 0 0 from 000/000\n";
    Write("many.txt", many);
    run = Run({"apply", "demo.PCG", "many.txt", "-o", "many.PCG"});
    EXPECT_EQ(run.status, 2);
    const Texts said = SplitLines(run.err);
    ASSERT_EQ(said.size(), 12u) << run.err;
    EXPECT_EQ(said[10], "scry: and 990 more faults like these");
    EXPECT_EQ(said[11], "scry: nothing written");
    EXPECT_FALSE(Exists("many.PCG"));
}
