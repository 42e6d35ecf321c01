// scry apply: set lists written back from their texts, byte for byte where nothing was edited,
// and exactly the edits where something was, as scry diff and bankscry's listings see them.
#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "Apply.h"
#include "Diff.h"
#include "ScrySupport.h"
#include "SetList.h"
#include "TestSupport.h"
#include "Text.h"

namespace {

const scry::FileModel& DemoModel()
{
    static const scry::FileModel model = scry::ReadModelOfBytes("demo.PCG", DemoBytes());
    return model;
}

std::string Export(std::size_t n, const scry::FileModel& model = DemoModel(), const std::string& bytes = DemoBytes())
{
    const auto at = static_cast<std::size_t>(scry::SetListOffset(model, n));
    return scry::SetListTextOf(model, n,
                               scry::SetListFingerprint(std::string_view(bytes).substr(at, pcgw::SetListSize)));
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
    Texts lines;
    for (const scry::Difference& difference :
         scry::Compare(old, scry::ReadModelOfBytes("new.PCG", newBytes)).differences)
        lines.push_back(difference.line);
    return lines;
}

std::string SlotBytes(const std::string& file, const scry::FileModel& model, std::size_t list, std::size_t slot)
{
    return file.substr(static_cast<std::size_t>(scry::SetListOffset(model, list)) + SlotsOffset + slot * SlotSize,
                       SlotSize);
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
        EXPECT_TRUE(applied.bytes == DemoBytes()) << "set list " << n;
    }
    const scry::Applied applied = Apply(all);
    EXPECT_TRUE(applied.faults.empty());
    EXPECT_TRUE(applied.bytes == DemoBytes());
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
            EXPECT_TRUE(applied.bytes == bytes) << "set list " << n;
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
    ASSERT_TRUE(applied.faults.empty()) << applied.faults.front();
    const std::string before = SlotBytes(bytes, model, 0, 3), after = SlotBytes(applied.bytes, model, 0, 3);
    std::string expected = before;
    expected[PackedSlotOffset + 0] = static_cast<char>((before[PackedSlotOffset] & 0xC0) | 5 << 2 | 0);
    expected[PackedSlotOffset + 1] = static_cast<char>((before[PackedSlotOffset + 1] & 0xE0) | 1);
    expected[PackedSlotOffset + 2] = 1;
    expected[PackedSlotOffset + 4] = 99;
    EXPECT_TRUE(after == expected);
    // Renamed: the new name fills its field with NULs; the bytes that followed the old one go.
    const scry::Applied renamed = Apply({Replaced(Export(0, model, bytes), "\"Odd\"", "\"Even\"")}, model, bytes);
    EXPECT_EQ(SlotBytes(renamed.bytes, model, 0, 3).substr(0, NameSize), std::string("Even") + std::string(20, '\0'));
    EXPECT_TRUE(SlotBytes(renamed.bytes, model, 0, 3).substr(NameSize) == before.substr(NameSize));
}

TEST_F(ApplyEdits, ReorderTwoSlots)
{
    Texts lines = SplitLines(Export(0));
    std::swap(lines[LineOf(lines, "Grand Piano")], lines[LineOf(lines, "Stage EP")]);
    const scry::Applied applied = Apply({Joined(lines)});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.bytes),
              (Texts{"SLOT 000/001 \"Stage EP\" (Friday Gig): moved from 000/002",
                     "SLOT 000/002 \"Grand Piano\" (Friday Gig): moved from 000/001",
                     "SLOT 000/001 \"Stage EP\" (Friday Gig): now plays \"Big Arp Pulse\" (Prog I-C096), was \"Bright "
                     "Harp Layer\" (Combi I-A058)",
                     "SLOT 000/002 \"Grand Piano\" (Friday Gig): now plays \"Bright Harp Layer\" (Combi I-A058), was "
                     "\"Big Arp Pulse\" (Prog I-C096)"}));
    EXPECT_EQ(ListingChanges(applied.bytes), (std::set<std::string>{"000/001", "000/002"}));
    // Whole slots moved: every byte of each.
    EXPECT_TRUE(SlotBytes(applied.bytes, DemoModel(), 0, 1) == SlotBytes(DemoBytes(), DemoModel(), 0, 2));
    EXPECT_TRUE(SlotBytes(applied.bytes, DemoModel(), 0, 2) == SlotBytes(DemoBytes(), DemoModel(), 0, 1));
}

TEST_F(ApplyEdits, RenameASlotAndASetList)
{
    const scry::Applied slot = Apply({Replaced(Export(0), "\"Closing Song\"", "\"Encore \xC3\xA9\"")});
    ASSERT_TRUE(slot.faults.empty());
    EXPECT_EQ(DiffLines(slot.bytes),
              Texts{"SLOT 000/010 \"Encore \xC3\xA9\" (Friday Gig): renamed \"Closing Song\" -> \"Encore \xC3\xA9\""});
    EXPECT_EQ(ListingChanges(slot.bytes), std::set<std::string>{"000/010"});

    const scry::Applied list = Apply({Replaced(Export(0), "\"Friday Gig\"", "\"Saturday Gig\"")});
    ASSERT_TRUE(list.faults.empty());
    EXPECT_EQ(DiffLines(list.bytes), Texts{"SETLIST 000: renamed \"Friday Gig\" -> \"Saturday Gig\""});
    // The set list's name heads every line of it in both listings.
    std::set<std::string> everyLine{"000/EQ"};
    for (unsigned j = 0; j < 128; ++j)
        everyLine.insert("000/" + scry::Pad3(j));
    EXPECT_EQ(ListingChanges(list.bytes), everyLine);
}

TEST_F(ApplyEdits, RetargetASlot)
{
    const scry::Applied applied = Apply({Replaced(Export(0), "Prog  I-C096", "Prog  I-F071")});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.bytes),
              (Texts{"SLOT 000/002 \"Stage EP\" (Friday Gig): plays Prog I-F071 \"Silky Sweep\", was Prog I-C096 \"Big "
                     "Arp Pulse\"",
                     "SLOT 000/002 \"Stage EP\" (Friday Gig): now plays \"Silky Sweep\" (Prog I-F071), was \"Big Arp "
                     "Pulse\" (Prog I-C096)"}));
    EXPECT_EQ(ListingChanges(applied.bytes), std::set<std::string>{"000/002"});

    // From the instrument's own bank to a combination of the file: another kind too.
    const scry::Applied combi = Apply({Replaced(Export(0), "Prog  GM045 ", "Combi I-A007")});
    ASSERT_TRUE(combi.faults.empty());
    EXPECT_EQ(DiffLines(combi.bytes), Texts{"SLOT 000/009 \"Choir Aahs\" (Friday Gig): plays Combi I-A007 \"Mellow Sax "
                                            "Section Layer\", was Prog GM045 (instrument's own bank)"});
    EXPECT_EQ(ListingChanges(combi.bytes), std::set<std::string>{"000/009"});
}

TEST_F(ApplyEdits, ChangeVolumeHoldAndColour)
{
    // Colour by name on one slot and by number on another.
    std::string text = Replaced(Export(0), "green    90     0", "red      70     9");
    text = Replaced(text, "brown   100    10", "7       100    10");
    const scry::Applied applied = Apply({text});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.bytes),
              (Texts{"SLOT 000/003 \"Strings, Warm\" (Friday Gig): color 7, was 12",
                     "SLOT 000/008 \"Clav Funk\" (Friday Gig): color 1, was 4; hold 9, was 0; volume 70, was 90"}));
    EXPECT_EQ(ListingChanges(applied.bytes), (std::set<std::string>{"000/003", "000/008"}));
}

TEST_F(ApplyEdits, RemoveASlotOrTheLast)
{
    Texts lines = SplitLines(Export(0));
    lines[LineOf(lines, "Brass Stabs")] = "unused";
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(LineOf(lines, "Encore: Organ")));
    const scry::Applied applied = Apply({Joined(lines)});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.bytes), (Texts{"SLOT 000/004 \"Brass Stabs\" (Friday Gig): removed",
                                               "SLOT 000/011 \"Encore: Organ\" (Friday Gig): removed"}));
    EXPECT_EQ(ListingChanges(applied.bytes), (std::set<std::string>{"000/004", "000/011"}));
    EXPECT_TRUE(SlotBytes(applied.bytes, DemoModel(), 0, 4) == std::string(SlotSize, '\0'));
}

TEST_F(ApplyEdits, CopyASlotFromAnotherSetList)
{
    const Texts five = SplitLines(Export(5));
    const std::string copied = five[LineOf(five, "Jump Synth")];
    const scry::Applied applied = Apply({Export(0) + copied + "\n"});
    ASSERT_TRUE(applied.faults.empty());
    EXPECT_EQ(DiffLines(applied.bytes),
              Texts{"SLOT 000/012 \"Jump Synth\" (Friday Gig): added, plays Prog I-C051 \"Dirty Wobble\""});
    EXPECT_EQ(ListingChanges(applied.bytes), std::set<std::string>{"000/012"});
    EXPECT_TRUE(SlotBytes(applied.bytes, DemoModel(), 0, 12) == SlotBytes(DemoBytes(), DemoModel(), 5, 3));
}

TEST(ScryApply, RefusesSettingsItCannotWriteAndAGivenSetListTwice)
{
    const std::string text = Export(0);
    const scry::Applied refused =
        Apply({Replaced(Replaced(Replaced(text, "1   4    0  from 000/000", "2   4    0  from 000/000"),
                                 "1   2    8  from 000/001", "1   3    8  from 000/001"),
                        "1   0    8  from 000/002", "1   0    9  from 000/002"),
               text});
    const std::size_t first = LineOf(SplitLines(text), "Opening Pad") + 1;
    EXPECT_EQ(refused.faults,
              (Texts{"t0.txt:" + std::to_string(first) +
                         ": font 2 cannot be written (its bit 0 is also read from the byte that holds kbd); from "
                         "000/000 has 1",
                     "t0.txt:" + std::to_string(first + 1) +
                         ": transpose 3 cannot be written (its bits are also read from the byte that holds kbd); "
                         "from 000/001 has 2",
                     "t0.txt:" + std::to_string(first + 2) +
                         ": kbd 9 cannot be written (it reads bits that transpose reads too); from 000/002 has 8",
                     "t1.txt:" + std::to_string(LineNumber(text, "setlist")) +
                         ": set list 000 is given twice (also at t0.txt:" +
                         std::to_string(LineNumber(text, "setlist")) + ")"}));
}

TEST(ScryApply, RefusesATextWhoseSetListChangedSince)
{
    const std::string text = Export(1);
    const scry::Applied changed = Apply({Replaced(text, "\"Wedding Set\"", "\"Wedding\"")});
    const scry::FileModel model = scry::ReadModelOfBytes("demo.PCG", changed.bytes);
    const scry::Applied stale = Apply({text}, model, changed.bytes);
    ASSERT_EQ(stale.faults.size(), 1u);
    EXPECT_NE(stale.faults[0].find(": set list 001 has changed in demo.PCG since this text was written"),
              std::string::npos);
    const scry::Applied anyway = Apply({text}, model, changed.bytes, true);
    EXPECT_TRUE(anyway.faults.empty());
    EXPECT_TRUE(anyway.bytes == DemoBytes());
}

TEST(ScryApply, TheReadBackFindsWhatIsNotAsMeant)
{
    const scry::Applied applied = Apply({Replaced(Export(0), "\"Closing Song\"", "\"Encore\"")});
    const auto check = [&](const std::string& bytes) {
        return scry::WrongInWritten(DemoModel(), scry::ReadModelOfBytes("out.PCG", bytes), applied);
    };
    EXPECT_EQ(check(applied.bytes), "");
    std::string other = applied.bytes;
    other[static_cast<std::size_t>(scry::SetListOffset(DemoModel(), 3)) + SlotsOffset + 16] ^= 1;
    EXPECT_EQ(check(other), "set list 003 differs, though no text edits it");
    std::string slot = applied.bytes;
    slot[static_cast<std::size_t>(scry::SetListOffset(DemoModel(), 0)) + SlotsOffset + 10 * SlotSize +
         PackedSlotOffset + 4] ^= 1;
    EXPECT_EQ(check(slot), "slot 000/010 does not read back as its line says");
    std::string record = applied.bytes;
    record[static_cast<std::size_t>(DemoModel().banks.back().offset) + 100] ^= 1;
    EXPECT_NE(check(record).find("differs"), std::string::npos);
    EXPECT_EQ(check(applied.bytes.substr(0, applied.bytes.size() - 1000)).substr(0, 19), "it reads as damaged");
}

// Random edits of random set lists: diff names exactly the slots whose bytes the edits changed.
TEST(ScryApply, RandomEditsAreExactlyWhatDiffFinds)
{
    struct Entry {
        bool unused;
        std::string name;
        std::string plays;   // "Raw T:B:N" or a place
        scry::SlotFields fields;
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
            const scry::SlotFields& f = line.fields;
            entries.push_back({line.unused, line.name,
                               "Raw " + std::to_string(static_cast<int>(f.type)) + ":" + std::to_string(f.bank) + ":" +
                                   std::to_string(f.number),
                               f, line.fromSetList, line.fromSlot});
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
                entries[at].fields.type = static_cast<SlotType>(bits[0]);
                entries[at].fields.bank = static_cast<std::uint8_t>(bits[1]);
                entries[at].fields.number = static_cast<std::uint8_t>(bits[2]);
                break;
            }
            case 2: entries[at].fields.color = static_cast<std::uint8_t>(pick(16)); break;
            case 3:
                entries[at].fields.volume = static_cast<std::uint8_t>(pick(256));
                entries[at].fields.holdTime = static_cast<std::uint8_t>(pick(256));
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
                                   "Raw " + std::to_string(static_cast<int>(from.fields.type)) + ":" +
                                       std::to_string(from.fields.bank) + ":" + std::to_string(from.fields.number),
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
                const scry::SlotFields& f = entry->fields;
                text += scry::Quoted(entry->name) + " " + entry->plays + " " + std::to_string(f.color) + " " +
                        std::to_string(f.volume) + " " + std::to_string(f.holdTime) + " " + std::to_string(f.font) +
                        " " + std::to_string(f.transpose) + " " + std::to_string(f.kbdTrack) + " from " +
                        scry::SlotKey(entry->fromList, entry->fromSlot) + "\n";
                bytes = SlotBytes(DemoBytes(), DemoModel(), entry->fromList, entry->fromSlot);
                if (entry->name != DemoModel().banks[0].setLists[entry->fromList].slots[entry->fromSlot].name)
                    bytes.replace(0, NameSize, entry->name + std::string(NameSize - entry->name.size(), '\0'));
                char* packed = bytes.data() + PackedSlotOffset;
                packed[0] = static_cast<char>((packed[0] & 0xC0) | f.color << 2 | static_cast<int>(f.type));
                packed[1] = static_cast<char>((packed[1] & 0xE0) | f.bank);
                packed[2] = static_cast<char>(f.number);
                packed[3] = static_cast<char>(f.holdTime);
                packed[4] = static_cast<char>(f.volume);
            }
            if (bytes != SlotBytes(DemoBytes(), DemoModel(), n, p))
                expected.insert(p);
        }
        const scry::SetList& before = DemoModel().banks[0].setLists[n];
        const scry::Applied applied = Apply({text});
        ASSERT_TRUE(applied.faults.empty()) << applied.faults.front() << "\n" << text;
        const scry::FileModel after = scry::ReadModelOfBytes("new.PCG", applied.bytes);
        std::set<std::size_t> found;
        bool renamed = false;
        for (const scry::Difference& difference : scry::Compare(DemoModel(), after).differences) {
            ASSERT_TRUE(difference.place == scry::Place::Slot || difference.place == scry::Place::SetList)
                << difference.line;
            EXPECT_EQ(difference.setList, n) << difference.line;
            if (difference.place == scry::Place::Slot)
                found.insert(difference.slot);
            renamed = renamed || difference.place == scry::Place::SetList;
        }
        EXPECT_EQ(found, expected) << "round " << round << "\n" << text;
        EXPECT_EQ(renamed, listName != before.name) << "round " << round;
        EXPECT_EQ(scry::WrongInWritten(DemoModel(), after, applied), "");
    }
}

TEST_F(ScryFiles, ApplyWritesANewFileAndReplacesOneOnlyWithForce)
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
    run = Run({"apply", "demo.PCG", "gig.txt", "-o", "new.PCG"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "scry: cannot write new.PCG: it exists; --force replaces it\n");
    EXPECT_TRUE(Read("new.PCG") == DemoBytes());
    run = Run({"apply", "demo.PCG", "gig.txt", "-o", "new.PCG", "--force"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SETLIST 000 \"Friday Gig\": 12 lines, 1 slot changed\n");
    EXPECT_EQ(Run({"diff", "demo.PCG", "new.PCG"}).out.substr(0, 41), "SLOT 000/000 \"Opener\" (Friday Gig): renam");

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
    EXPECT_TRUE(Read("piped.PCG") == Read("new.PCG"));
    EXPECT_EQ(Names(), (Texts{"demo.PCG", "gig.txt", "new.PCG", "piped.PCG"}));
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
    for (const bool force : {false, true}) {
        std::vector<std::string> args{"apply", "changed.PCG", "late.txt", "-o", "new.PCG"};
        if (force)
            args.push_back("--force");
        run = Run(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.find("scry: late.txt:" + std::to_string(fingerprint) +
                               ": set list 000 has changed in changed.PCG since this text was written"),
                  0u);
    }
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
}
