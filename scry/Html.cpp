// scry html: one self-contained page of a file, or of two files compared. Everything is in the
// HTML itself; the script only adds search and the gig-sheet buttons.
#include "Html.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "Diff.h"
#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PageAssets.h"
#include "StStrL/StStrL.h"
#include "Text.h"
#include "Vocabulary.h"

namespace scry {

std::string HtmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

namespace {

// A record name (bytes of ISO 8859-1) for the page.
std::string HtmlName(std::string_view latin1) { return HtmlText(Utf8(latin1)); }

std::string Thousands(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-')
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

// "holdTime" as a data- attribute: "hold-time".
std::string DataAttribute(const char* key)
{
    std::string name;
    for (const char* c = key; *c != '\0'; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            name += '-';
            name += static_cast<char>(*c - 'A' + 'a');
        } else {
            name += *c;
        }
    }
    return name;
}

// Where each difference stands, by what it marks.
struct Marks {
    std::map<std::tuple<std::size_t, std::size_t, std::size_t>, std::vector<const Difference*>> slots;   // bank, list, slot
    std::map<std::pair<std::size_t, std::size_t>, std::vector<const Difference*>> setLists;   // bank, list
    std::map<std::pair<std::size_t, std::size_t>, const Difference*> records;               // bank index, number
    std::map<std::size_t, const Difference*> banks;                                          // bank index
    std::map<std::size_t, const Difference*> chunks;                                         // chunk index
};

std::string Mark(Change change)
{
    const ChangeKind& kind = ChangeKindOf(change);
    return std::string("<mark class=\"") + kind.style + "\">" + kind.symbol + " " + kind.word + "</mark>";
}

std::string Mark(const Difference* difference) { return difference == nullptr ? std::string() : Mark(difference->change); }

// The page's id of a set list: sl000 in the first set-list bank, sl2-000 in a second.
std::string SetListId(std::size_t ordinal, std::size_t number)
{
    return "sl" + (ordinal == 0 ? std::string() : std::to_string(ordinal + 1) + "-") + Pad3(static_cast<unsigned>(number));
}

struct Page {
    std::string out;
    const FileModel& file;
    const FileModel* oldFile;   // the comparison's OLD; null for the page of one file
    const Marks& marks;

    bool Comparing() const { return oldFile != nullptr; }
    const char* SameClass(bool marked) const { return Comparing() && !marked ? " same" : ""; }
};

// What a slot plays, for its tile: "Prog I-B084 Clean Trumpet", or why it names no record.
std::string PlaysOnTile(const Plays& plays)
{
    return std::string(SlotTypeText(plays.type)) + " " + Utf8(plays.place) + " " +
           (plays.record != nullptr ? Utf8(plays.record->name) : "(" + std::string(ResolutionNote(plays.resolution)) + ")");
}

const std::vector<const Difference*> NoMarks;

// A used slot's tile: its number, marks, name in its colour and size, what it plays, its settings;
// on a comparison, what it played and the settings it had, where they were other.
void WriteTile(Page& page, std::size_t j, const Slot& slot, const Slot* oldSlot, const std::vector<const Difference*>& marks)
{
    std::string& out = page.out;
    const bool removed = !slot.used;   // drawn as it was, struck through
    const Slot& shown = removed ? *oldSlot : slot;
    const SlotFields& fields = shown.fields;
    const std::string what = PlaysOnTile(WhatSlotPlays(removed ? *page.oldFile : page.file, fields));
    const bool compared = !removed && oldSlot != nullptr && oldSlot->used && page.oldFile != nullptr;
    out += "<li class=\"t c" + std::to_string(fields.color & 15u) + " f" + std::to_string(fields.font & 3u) +
           page.SameClass(!marks.empty()) + (removed ? " removed" : "") + "\"";
    for (const SlotSetting& setting : SlotSettings)
        if (setting.onGigSheet)
            out += " data-" + DataAttribute(setting.key) + "=\"" + std::to_string(fields.*setting.field) + "\"";
    if (!marks.empty()) {
        out += " title=\"";
        for (std::size_t k = 0; k < marks.size(); ++k)
            out += (k == 0 ? "" : "\n") + HtmlText(marks[k]->line);
        out += "\"";
    }
    out += "><var>" + Pad3(static_cast<unsigned>(j)) + "</var>";
    for (const Difference* mark : marks)
        out += Mark(mark);
    out += "<b>" + HtmlName(shown.name) + "</b><i>" + HtmlText(what) + "</i>";
    // What it played, where that is other: written out, for a touch screen and for paper.
    if (compared) {
        const std::string then = PlaysOnTile(WhatSlotPlays(*page.oldFile, oldSlot->fields));
        const bool soundMarked = std::any_of(marks.begin(), marks.end(),
                                             [](const Difference* mark) { return mark->change == Change::Impact; });
        if (then != what || soundMarked)
            out += "<s class=\"was\">was " + HtmlText(then) + "</s>";
    }
    out += "<small>";
    bool first = true;
    for (const SlotSetting& setting : SlotSettings) {
        const unsigned now = fields.*setting.field;
        const bool other = compared && oldSlot->fields.*setting.field != now;
        if (setting.tile == nullptr && !other)
            continue;
        out += (first ? "" : " \xC2\xB7 ") + std::string(setting.tile != nullptr ? setting.tile : setting.word) + " " +
               std::to_string(now);
        if (other)
            out += " <em>(was " + std::to_string(oldSlot->fields.*setting.field) + ")</em>";
        first = false;
    }
    out += "</small></li>";
}

bool AnyUsed(const SetList& list)
{
    return std::any_of(list.slots.begin(), list.slots.end(), [](const Slot& slot) { return slot.used; });
}

// The OLD set list at the same place, on a comparison page.
const SetList* OldSetList(const Page& page, std::size_t ordinal, std::size_t number)
{
    if (page.oldFile == nullptr)
        return nullptr;
    const SetList* found = nullptr;
    ForEachSetList(*page.oldFile, [&](const Bank&, std::size_t b, std::size_t i, const SetList& list) {
        if (b == ordinal && i == number)
            found = &list;
    });
    return found;
}

// A set list's slots as one grid: a tile per used slot (and per slot a comparison marks), one
// line per run of unused slots, and the instrument's page of 16 named before the first tile of
// each page.
void WriteSlots(Page& page, std::size_t ordinal, std::size_t i, const SetList& list, const SetList* oldList)
{
    std::string& out = page.out;
    const auto marksOf = [&](std::size_t j) -> const std::vector<const Difference*>& {
        const auto found = page.marks.slots.find({ordinal, i, j});
        return found == page.marks.slots.end() ? NoMarks : found->second;
    };
    const auto drawn = [&](std::size_t j) { return list.slots[j].used || !marksOf(j).empty(); };
    out += "<ol class=\"slots\">";
    std::size_t labelled = SIZE_MAX;   // the page of 16 last named
    for (std::size_t j = 0; j < list.slots.size();) {
        if (!drawn(j)) {
            std::size_t last = j;
            while (last + 1 < list.slots.size() && !drawn(last + 1))
                ++last;
            out += "<li class=\"run" + std::string(page.SameClass(false)) + "\">" +
                   (last == j ? "slot " + Pad3(static_cast<unsigned>(j)) + " unused"
                              : "slots " + Pad3(static_cast<unsigned>(j)) + " to " + Pad3(static_cast<unsigned>(last)) +
                                    " unused") +
                   "</li>";
            j = last + 1;
            continue;
        }
        const std::size_t pageNumber = j / 16;
        if (pageNumber != labelled) {
            bool marked = false;
            for (std::size_t k = pageNumber * 16; k < pageNumber * 16 + 16 && k < list.slots.size(); ++k)
                marked = marked || !marksOf(k).empty();
            out += "<li class=\"pg" + std::string(page.SameClass(marked)) + "\">Page " + std::to_string(pageNumber + 1) +
                   " \xC2\xB7 slots " + Pad3(static_cast<unsigned>(pageNumber * 16)) + " to " +
                   Pad3(static_cast<unsigned>(pageNumber * 16 + 15)) + "</li>";
            labelled = pageNumber;
        }
        const Slot* oldSlot = oldList != nullptr ? &oldList->slots[j] : nullptr;
        if (list.slots[j].used || (oldSlot != nullptr && oldSlot->used))
            WriteTile(page, j, list.slots[j], oldSlot, marksOf(j));
        ++j;
    }
    out += "</ol>";
}

void WriteSetList(Page& page, std::size_t ordinal, std::size_t i, const SetList& list, std::vector<std::string>& unused)
{
    std::string& out = page.out;
    const SetList* oldList = OldSetList(page, ordinal, i);
    const auto headMarks = page.marks.setLists.find({ordinal, i});
    bool differs = headMarks != page.marks.setLists.end();
    for (std::size_t j = 0; j < list.slots.size() && !differs; ++j)
        differs = page.marks.slots.count({ordinal, i, j}) != 0;
    if (!AnyUsed(list) && !(oldList != nullptr && AnyUsed(*oldList)) && !differs) {
        unused.push_back("<li><var>" + Pad3(static_cast<unsigned>(i)) + "</var><b>" + HtmlName(list.name) + "</b></li>");
        return;
    }
    const std::string id = SetListId(ordinal, i);
    out += "<section class=\"setlist" + std::string(page.SameClass(differs)) + "\" id=\"" + id + "\" data-n=\"" +
           HtmlName(list.name) + "\"><h3>Set list " + Pad3(static_cast<unsigned>(i)) + ": " + HtmlName(list.name) + " ";
    if (headMarks != page.marks.setLists.end())
        for (const Difference* difference : headMarks->second)
            out += "<span title=\"" + HtmlText(difference->line) + "\">" + Mark(difference) + "</span>";
    out += "<button type=\"button\" data-print=\"" + id + "\" hidden>Print gig sheet</button></h3>";
    WriteSlots(page, ordinal, i, list, oldList);
    out += "</section>";
}

void WriteSetLists(Page& page)
{
    std::string& out = page.out;
    // "Differences only" leaves out a part of the page where nothing differs, its heading included.
    const bool marked = !page.marks.slots.empty() || !page.marks.setLists.empty();
    out += "<section id=\"setlists\" class=\"part" + std::string(page.SameClass(marked)) + "\"><h2>Set lists</h2>"
           "<details class=\"legend\"><summary>Colours and sizes</summary><ol class=\"palette\" start=\"0\">";
    for (int c = 0; c < 16; ++c)
        out += "<li class=\"c" + std::to_string(c) + "\"><b>" + std::to_string(c) + " " + ColorNames[c] + "</b></li>";
    out += "</ol><p>Font sizes 0 to 3 are drawn "
           "<span class=\"f0\"><b>small</b></span>, <span class=\"f1\"><b>medium</b></span>, "
           "<span class=\"f2\"><b>large</b></span>, <span class=\"f3\"><b>extra large</b></span>. "
           "Unused slots are faint.</p></details>";
    std::map<std::size_t, std::vector<std::string>> unused;   // by set-list bank
    ForEachSetList(page.file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        WriteSetList(page, ordinal, i, list, unused[ordinal]);
    });
    for (const auto& [ordinal, items] : unused) {
        if (items.empty())
            continue;
        out += "<section class=\"setlist" + std::string(page.Comparing() ? " same" : "") + "\" id=\"unused-setlists" +
               (ordinal == 0 ? std::string() : "-" + std::to_string(ordinal + 1)) +
               "\"><h3>Set lists without a used slot</h3><ul class=\"grid\">";
        for (const std::string& item : items)
            out += item;
        out += "</ul></section>";
    }
    out += "</section>";
}

void WriteBanks(Page& page, const RecordKind& kind)
{
    std::string& out = page.out;
    bool marked = false;
    for (std::size_t b = 0; b < page.file.banks.size(); ++b)
        if (page.file.banks[b].kind == kind.kind)
            marked = marked || page.marks.banks.count(b) != 0 ||
                     page.marks.records.lower_bound({b, 0}) != page.marks.records.lower_bound({b + 1, 0});
    out += std::string("<section id=\"") + kind.anchor + "\" class=\"part" + page.SameClass(marked) + "\"><h2>" +
           kind.section + "</h2>";
    for (std::size_t b = 0; b < page.file.banks.size(); ++b) {
        const Bank& bank = page.file.banks[b];
        if (bank.kind != kind.kind)
            continue;
        const auto bankMark = page.marks.banks.find(b);
        bool differs = bankMark != page.marks.banks.end();
        for (std::size_t i = 0; i < bank.records.size() && !differs; ++i)
            differs = page.marks.records.count({b, i}) != 0;
        const BankChunkInfo* chunk = BankChunkOf(bank.id);
        const std::string engine = chunk != nullptr && chunk->engine[0] != '\0' ? std::string(", ") + chunk->engine : "";
        out += "<section class=\"bank" + std::string(page.SameClass(differs)) + "\" id=\"bank" + std::to_string(b) +
               "\" data-n=\"" + HtmlName(bank.name) + "\"><h3>" + HtmlText(BankLabel(bank)) + " <small>(" +
               IdTextOf(bank.id) + engine + ")</small> " +
               (bankMark != page.marks.banks.end() ? Mark(bankMark->second) : "") + "</h3>";
        if (!bank.loaded) {
            out += "<p>Not loaded: the bank's size does not match, or the file ends inside it.</p></section>";
            continue;
        }
        out += "<ol class=\"grid\" start=\"0\">";
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            const Record& record = bank.records[i];
            const auto mark = page.marks.records.find({b, i});
            const Difference* difference = mark == page.marks.records.end() ? nullptr : mark->second;
            out += "<li title=\"" + HexLong(record.fingerprint) +
                   (difference != nullptr ? " \xE2\x80\x94 " + HtmlText(difference->line) : std::string()) + "\"" +
                   (page.Comparing() && difference == nullptr ? " class=\"same\"" : "") + "><var>" +
                   Pad3(static_cast<unsigned>(i)) + "</var>" + Mark(difference) + "<b>" + HtmlName(record.name) +
                   "</b></li>";
        }
        out += "</ol></section>";
    }
    out += "</section>";
}

void WriteTwins(Page& page)
{
    // Records of equal fingerprints, programs and combinations apart.
    std::map<std::pair<ChunkKind, std::uint32_t>, std::vector<std::string>> places;
    for (const Bank& bank : page.file.banks)
        for (std::size_t i = 0; i < bank.records.size(); ++i)
            places[{bank.kind, bank.records[i].fingerprint}].push_back(
                HtmlName(bank.name) + Pad3(static_cast<unsigned>(i)) + " \xE2\x80\x9C" + HtmlName(bank.records[i].name) +
                "\xE2\x80\x9D");
    std::string& out = page.out;
    out += "<section id=\"twins\"><h2>Same bytes twice</h2><p>Records whose fingerprints are equal: the same "
           "program or combination stored in more than one place.</p><ul>";
    std::size_t groups = 0;
    for (const auto& [key, where] : places) {
        if (where.size() < 2)
            continue;
        ++groups;
        out += "<li><code>" + HexLong(key.second) + "</code> " + RecordKindOf(key.first)->noun + ": ";
        for (std::size_t k = 0; k < where.size(); ++k)
            out += (k == 0 ? "" : ", ") + where[k];
        out += "</li>";
    }
    if (groups == 0)
        out += "<li>None: every record's bytes are its own.</li>";
    out += "</ul></section>";
}

void WriteChunkRow(Page& page, const Chunk& chunk, const Difference* difference)
{
    page.out += std::string("<tr") + (page.Comparing() && difference == nullptr ? " class=\"same\"" : "") + "><td>" +
                (chunk.padding ? std::string() : HtmlName(chunk.id)) + "</td><td>" +
                (chunk.padding ? "zero padding" : ChunkHolds(chunk.id)) + "</td><td>" + Thousands(chunk.offset) +
                "</td><td>" + Thousands(static_cast<std::int64_t>(chunk.size)) + "</td><td><code>" +
                HexLong(chunk.fingerprint) + "</code></td><td>" + Mark(difference) + (chunk.cut ? "cut short" : "") +
                "</td></tr>";
}

void WriteChunks(Page& page)
{
    page.out += "<section id=\"chunks\" class=\"part" + std::string(page.SameClass(!page.marks.chunks.empty())) +
                "\"><h2>Chunks</h2><table><thead><tr><th>Id</th><th>Holds</th><th>Offset</th>"
                "<th>Size</th><th>Fingerprint</th><th></th></tr></thead><tbody>";
    for (std::size_t c = 0; c < page.file.chunks.size(); ++c) {
        const auto mark = page.marks.chunks.find(c);
        WriteChunkRow(page, page.file.chunks[c], mark == page.marks.chunks.end() ? nullptr : mark->second);
    }
    page.out += "</tbody></table></section>";
}

std::string Head(const std::string& title) { return PageHead(title, nullptr); }

// What the file holds, with links to each part.
std::string ContentsNav(const FileModel& file)
{
    std::size_t programBanks = 0, combiBanks = 0, used = 0, setLists = 0;
    for (const Bank& bank : file.banks) {
        programBanks += bank.kind == Kind::PRG1;
        combiBanks += bank.kind == Kind::CMB1;
    }
    ForEachSetList(file, [&](const Bank&, std::size_t, std::size_t, const SetList& list) {
        ++setLists;
        used += static_cast<std::size_t>(
            std::count_if(list.slots.begin(), list.slots.end(), [](const Slot& slot) { return slot.used; }));
    });
    return "<nav aria-label=\"Contents\"><ul><li><a href=\"#setlists\">" + std::to_string(setLists) +
           " set lists</a> (" + std::to_string(used) + " slots used)</li><li><a href=\"#programs\">" +
           std::to_string(programBanks) + " program banks</a></li><li><a href=\"#combis\">" +
           std::to_string(combiBanks) +
           " combination banks</a></li><li><a href=\"#twins\">Same bytes twice</a></li>"
           "<li><a href=\"#chunks\">" +
           std::to_string(file.chunks.size()) +
           " chunks</a> (drum kits, wave sequences, arpeggios, global settings and the rest)</li></ul></nav>";
}

std::string Problems(const FileModel& file)
{
    if (!file.Damaged())
        return {};
    std::string out = "<ul class=\"problems\">";
    for (const std::string& problem : file.problems)
        out += "<li>Problem: " + HtmlText(problem) + "</li>";
    return out + "</ul>";
}

std::string FileFacts(const FileModel& file)
{
    return "<p class=\"facts\">" + Thousands(file.size) + " bytes \xC2\xB7 " + FormatName(file.formatCode) +
           " format</p>" + Problems(file);
}

constexpr const char* SearchBox = "<p class=\"search\" hidden><label for=\"q\">Search names</label> "
                                  "<input id=\"q\" type=\"search\" autocomplete=\"off\" hidden> "
                                  "<output id=\"count\" for=\"q\" aria-live=\"polite\"></output></p>";

void WriteMain(Page& page)
{
    WriteSetLists(page);
    for (const RecordKind& kind : RecordKinds)
        WriteBanks(page, kind);
    if (!page.Comparing())
        WriteTwins(page);
    WriteChunks(page);
}

std::string Tail() { return std::string("</main><script>") + PageScript + "</script></body></html>\n"; }

}   // namespace

std::string HtmlPage(const FileModel& file)
{
    const Marks none;
    Page page{Head(HtmlText(file.name) + " \xE2\x80\x93 scry"), file, nullptr, none};
    page.out.reserve(1 << 20);
    page.out += "<header><h1>" + HtmlText(file.name) + "</h1>" + FileFacts(file) + ContentsNav(file) + SearchBox +
                "</header><main>";
    WriteMain(page);
    return page.out + Tail();
}

std::string HtmlComparison(const FileModel& oldFile, const FileModel& newFile)
{
    const Comparison comparison = Compare(oldFile, newFile);
    const std::vector<Difference>& differences = comparison.differences;
    Marks marks;
    for (const Difference& d : differences) {
        if (d.onlyOld)
            continue;
        switch (d.place) {
        case Place::SetList: marks.setLists[{d.setListBank, d.setList}].push_back(&d); break;
        case Place::Slot: marks.slots[{d.setListBank, d.setList, d.slot}].push_back(&d); break;
        case Place::Record: marks.records[{d.bank, d.number}] = &d; break;
        case Place::Bank: marks.banks[d.bank] = &d; break;
        case Place::Chunk: marks.chunks[d.chunk] = &d; break;
        case Place::File:
        case Place::SetListBank: break;
        }
    }
    const std::string title = HtmlText(oldFile.name) + " \xE2\x86\x92 " + HtmlText(newFile.name);
    Page page{Head(title + " \xE2\x80\x93 scry"), newFile, &oldFile, marks};
    std::string& out = page.out;
    out.reserve(1 << 20);
    out += "<header><h1>" + title + "</h1>";
    out += "<p class=\"facts\">OLD: " + HtmlText(oldFile.name) + ", " + Thousands(oldFile.size) +
           " bytes \xC2\xB7 NEW: " + HtmlText(newFile.name) + ", " + Thousands(newFile.size) + " bytes</p>";
    out += Problems(oldFile) + Problems(newFile);
    out += "<p class=\"summary\"><strong>" +
           (differences.empty() && !comparison.oldDamaged && !comparison.newDamaged
                ? std::string("The files hold the same records and chunks.")
                : HtmlText(DiffSummary(comparison))) +
           "</strong></p>";
    out += "<ul class=\"legend\" aria-label=\"Marks\">";
    for (const ChangeKind& kind : ChangeKinds)
        if (kind.change != Change::RenamedAndChanged)
            out += "<li>" + Mark(kind.change) + "</li>";
    out += "</ul>";
    if (!differences.empty()) {
        out += "<details><summary>Every difference, as scry diff writes it</summary><ol class=\"differences\">";
        for (const Difference& d : differences)
            out += "<li>" + Mark(d.change) + HtmlText(d.line) + "</li>";
        out += "</ol></details>";
        // What stands in OLD only has no place in NEW to be marked in.
        for (const Difference& d : differences)
            if (d.onlyOld || d.place == Place::File || d.place == Place::SetListBank)
                out += "<p>" + Mark(d.change) + HtmlText(d.line) + "</p>";
    }
    out += ContentsNav(newFile) + SearchBox + "</header>";
    out += "<input type=\"checkbox\" id=\"only\"><label for=\"only\">Differences only</label><main>";
    WriteMain(page);
    return page.out + Tail();
}

std::string PageHead(const std::string& title, const char* bodyClass)
{
    return std::string("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"generator\" content=\"scry " BANKSCRY_VERSION "\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>") +
           title + "</title><style>" + PageStyle + "</style></head><body" +
           (bodyClass != nullptr ? std::string(" class=\"") + bodyClass + "\"" : std::string()) + ">";
}

std::string PageNameBeside(const std::string& source, const std::string& suffix)
{
    if (source == "-")
        throw Trouble("a page of standard input needs -o PAGE.html");
    const std::string name = PathWithoutExtension(source) + suffix;
    // Only a page that scry wrote is ever written over without -o; nothing here blocks.
    if (WhatNameHolds(name) != NameHolds::Nothing && !IsPageOfScry(name))
        throw Trouble(LineText(name) + ": exists and is not a page written by scry; name the page with -o");
    return name;
}

std::string DefaultPageName(const std::vector<std::string>& files)
{
    return PageNameBeside(files.back(), files.size() == 2 ? "_diff.html" : ".html");
}

int WritePage(Session& session, Console& console, const std::string& output, bool named, const std::string& page)
{
    // A file named with -o that was no page of scry is replaced, as asked, but not without a word.
    const bool replacing = named && output != "-" && WhatNameHolds(output) == NameHolds::RegularFile && !IsPageOfScry(output);
    session.Deliver(page);
    SayError(console, "wrote " + (output == "-" ? std::string("the page to standard output") : LineText(output)) +
                          (replacing ? ", in place of a file that was no page of scry" : ""));
    return session.StatusWith(Success);
}

int RunHtml(const Options& options, Console& console)
{
    if (options.files.empty() || options.files.size() > 2)
        throw Trouble("html takes one file, or two to compare");
    const std::string output = options.output.empty() ? DefaultPageName(options.files) : options.output;
    Session session(console, options.files, output);
    if (options.files.size() == 1)
        return WritePage(session, console, output, !options.output.empty(), HtmlPage(session.Read(0)));
    const FileModel oldFile = session.Read(0);
    const FileModel newFile = session.Read(1);
    return WritePage(session, console, output, !options.output.empty(), HtmlComparison(oldFile, newFile));
}

}   // namespace scry
