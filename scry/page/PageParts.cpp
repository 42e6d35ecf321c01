// The parts of a page: everything is in the HTML itself; the script only adds search, the gig
// sheet's buttons and the stage view's steps.
#include "page/PageParts.h"

#include <algorithm>

#include "StStrL/StStrL.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "page/PageKit.h"
#include "text/DiffText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

std::string SetListId(const SetListAt& at)
{
    return "sl" + (at.setListBank == 0 ? std::string() : std::to_string(at.setListBank + 1) + "-") +
           Pad3(static_cast<unsigned>(at.setList));
}

std::string SlotId(const SlotAt& at)
{
    return "s" + std::to_string(at.setListBank) + "-" + Pad3(static_cast<unsigned>(at.setList)) + "-" +
           Pad3(static_cast<unsigned>(at.slot));
}

namespace {

std::string RecordElementId(const RecordAt& at)
{
    return "r" + std::to_string(at.bank) + "-" + Pad3(static_cast<unsigned>(at.number));
}
std::string BankElementId(const BankAt& at) { return "bank" + std::to_string(at.bank); }
std::string ChunkElementId(const ChunkAt& at) { return "c" + std::to_string(at.index); }

ChunkAt ChunkOf(const FileModel& file, std::size_t index)
{
    return {index, file.chunks[index].id, file.chunks[index].offset};
}

}   // namespace

Marks MarksOf(const Comparison& comparison)
{
    Marks marks;
    for (const Difference& d : comparison.differences) {
        switch (d.subject) {
        case Subject::SetList: {
            const SetListAt& at = std::get<SetListAt>(d.newAt);
            marks.setLists[at].push_back(&d);
            marks.anchors[&d] = SetListId(at);
            break;
        }
        case Subject::Slot: {
            // A slot removed is drawn struck through where it stood, where nothing else stands there now.
            const SlotAt& place = std::get<SlotAt>(d.inNew ? d.newAt : d.oldAt);
            if (!d.inNew) {
                Difference there = d;
                there.inNew = true;
                there.newAt = d.oldAt;
                const Slot* now = NewSlot(comparison, there);
                if (now == nullptr || now->used)
                    break;
            }
            marks.slots[place].push_back(&d);
            marks.anchors[&d] = SlotId(place);
            break;
        }
        case Subject::Record: {
            const RecordAt& at = std::get<RecordAt>(d.newAt);
            marks.records[at] = &d;
            marks.anchors[&d] = RecordElementId(at);
            break;
        }
        case Subject::RecordBank:
            if (d.inNew) {
                const BankAt& at = std::get<BankAt>(d.newAt);
                marks.banks[at] = &d;
                marks.anchors[&d] = BankElementId(at);
            }
            break;
        case Subject::Chunk:
            if (d.inNew) {
                const ChunkAt& at = std::get<ChunkAt>(d.newAt);
                marks.chunks[at] = &d;
                marks.anchors[&d] = ChunkElementId(at);
            }
            break;
        default: break;
        }
    }
    return marks;
}

namespace {

const std::vector<const Difference*> NoMarks;

// The slot of OLD a tile of NEW is compared with: where it came from (moved, copied, edited), or
// where it stood when only what it plays changed; null where none.
const Difference* ComparedWith(const std::vector<const Difference*>& marks)
{
    const Difference* impact = nullptr;
    for (const Difference* d : marks) {
        if (!d->inOld || !d->inNew)
            continue;
        if (!d->Has(Change::Impact))
            return d;
        impact = d;
    }
    return impact;
}

// A used slot's tile: its number, marks, name in its colour and size, what it plays, its settings;
// on a comparison, what it played and the settings it had, where they were other.
void WriteTile(Page& page, const SlotAt& at, const Slot& slot, const std::vector<const Difference*>& marks)
{
    std::string& out = page.out;
    const Comparison* c = page.comparison;
    const Difference* removal = nullptr;
    for (const Difference* d : marks)
        if (!d->inNew)
            removal = d;
    const bool removed = removal != nullptr && !slot.used;   // drawn as it was, struck through
    const Slot& shown = removed ? *OldSlot(*c, *removal) : slot;
    const SlotAttributes& fields = shown.fields;
    const FileModel& holder = removed ? *c->before : page.file;
    const Plays plays = SlotPlays(holder, shown);
    const Difference* compared = removed || c == nullptr ? nullptr : ComparedWith(marks);
    const Slot* oldSlot = compared != nullptr ? OldSlot(*c, *compared) : nullptr;
    // Tiles are linked to from a comparison's list of differences; a page of one file has none.
    out += "<li" + (page.Comparing() ? " id=\"" + SlotId(at) + "\"" : std::string()) + " class=\"t c" +
           std::to_string(fields.Color & 15u) + " f" + std::to_string(fields.Font & 3u) +
           page.SameClass(!marks.empty()) + (removed ? " removed" : "") + "\"";
    for (const SlotSetting& setting : SlotSettings)
        if (setting.onGigSheet)
            out += " data-" + DataAttribute(setting.key) + "=\"" + std::to_string(SettingOf(fields, setting)) + "\"";
    if (!marks.empty()) {
        out += " title=\"";
        for (std::size_t k = 0; k < marks.size(); ++k)
            out += (k == 0 ? "" : "\n") + HtmlText(DiffLine(*c, *marks[k]));
        out += "\"";
    }
    out += "><var>" + Pad3(static_cast<unsigned>(at.slot)) + "</var>";
    for (const Difference* mark : marks)
        for (const ChangeKind& kind : ChangeKinds)
            if (mark->Has(kind.change))
                out += Mark(kind.change);
    out += "<b>" + HtmlName(shown.name) + "</b><i>" + PlaysHtml(plays) + "</i>";
    // What it played, where that is other: written out, for a touch screen and for paper.
    if (oldSlot != nullptr) {
        const Plays then = SlotPlays(*c->before, *oldSlot);
        const bool soundMarked =
            std::any_of(marks.begin(), marks.end(), [](const Difference* mark) { return mark->Has(Change::Impact); });
        const bool samePlayed = then.target == plays.target && then.resolution == plays.resolution &&
                                (then.record == nullptr || then.record->name == plays.record->name);
        if (!samePlayed || soundMarked)
            out += "<s class=\"was\">was " + PlaysHtml(then) + "</s>";
    }
    out += "<small>";
    bool first = true;
    for (const SlotSetting& setting : SlotSettings) {
        const unsigned now = SettingOf(fields, setting);
        const bool other = oldSlot != nullptr && SettingOf(oldSlot->fields, setting) != now;
        if (!setting.written && !other)
            continue;   // the tile draws it
        // A setting and its value never part across lines: a no-break space holds them together.
        out += std::string(first ? "" : " \xC2\xB7 ") + setting.tile + "\xC2\xA0" + std::to_string(now);
        if (other)
            out += "\xC2\xA0<em>(was\xC2\xA0" + std::to_string(SettingOf(oldSlot->fields, setting)) + ")</em>";
        first = false;
    }
    out += "</small></li>";
}

// A set list's slots as one grid: a tile per used slot (and per slot a comparison marks), one
// line per run of unused slots, and the instrument's page of 16 named before the first tile of
// each page.
void WriteSlots(Page& page, std::size_t ordinal, std::size_t i, const SetList& list)
{
    std::string& out = page.out;
    const auto marksOf = [&](std::size_t j) -> const std::vector<const Difference*>& {
        const auto found = page.marks.slots.find(SlotAt{ordinal, i, j});
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
        const std::size_t perPage = SlotsPerPage;
        const std::size_t pageNumber = j / perPage;
        if (pageNumber != labelled) {
            bool marked = false;
            for (std::size_t k = pageNumber * perPage; k < (pageNumber + 1) * perPage && k < list.slots.size(); ++k)
                marked = marked || !marksOf(k).empty();
            out += "<li class=\"pg" + std::string(page.SameClass(marked)) + "\">Page " +
                   std::to_string(pageNumber + 1) + " \xC2\xB7 slots " +
                   Pad3(static_cast<unsigned>(pageNumber * perPage)) + " to " +
                   Pad3(static_cast<unsigned>((pageNumber + 1) * perPage - 1)) + "</li>";
            labelled = pageNumber;
        }
        WriteTile(page, {ordinal, i, j}, list.slots[j], marksOf(j));
        ++j;
    }
    out += "</ol>";
}

void WriteSetList(Page& page, std::size_t ordinal, std::size_t i, const SetList& list, std::vector<std::string>& unused)
{
    std::string& out = page.out;
    const auto headMarks = page.marks.setLists.find(SetListAt{ordinal, i});
    bool differs = headMarks != page.marks.setLists.end();
    for (std::size_t j = 0; j < list.slots.size() && !differs; ++j)
        differs = page.marks.slots.count(SlotAt{ordinal, i, j}) != 0;
    if (!HasUsedSlot(list) && !differs) {
        unused.push_back("<li><var>" + Pad3(static_cast<unsigned>(i)) + "</var><b>" + HtmlName(list.name) +
                         "</b></li>");
        return;
    }
    const std::string id = SetListId({ordinal, i});
    out += "<section class=\"setlist" + std::string(page.SameClass(differs)) + "\" id=\"" + id + "\" data-n=\"" +
           HtmlName(list.name) + "\"><h3>Set list " + Pad3(static_cast<unsigned>(i)) + ": " + HtmlName(list.name) + " ";
    if (headMarks != page.marks.setLists.end())
        for (const Difference* difference : headMarks->second) {
            out += "<span title=\"" + HtmlText(DiffLine(*page.comparison, *difference)) + "\">";
            for (const ChangeKind& kind : ChangeKinds)
                if (difference->Has(kind.change))
                    out += Mark(kind.change);
            out += "</span>";
        }
    out += "<button type=\"button\" data-stage=\"" + id +
           "\" hidden>On stage</button>"
           "<button type=\"button\" data-print=\"" +
           id + "\" hidden>Print gig sheet</button></h3>";
    WriteSlots(page, ordinal, i, list);
    out += "</section>";
}

void WriteSetLists(Page& page)
{
    std::string& out = page.out;
    // "Differences only" leaves out a part of the page where nothing differs, its heading included.
    const bool marked = !page.marks.slots.empty() || !page.marks.setLists.empty();
    out += "<section id=\"setlists\" class=\"part" + std::string(page.SameClass(marked)) +
           "\"><h2>Set lists</h2>"
           "<details class=\"legend\"><summary>Colours and sizes</summary><ol class=\"palette\" start=\"0\">";
    for (std::size_t c = 0; c < std::size(ColorNames); ++c)
        out += "<li class=\"c" + std::to_string(c) + "\"><b>" + std::to_string(c) + " " + ColorNames[c] + "</b></li>";
    out += "</ol><p>Font sizes 0 to 3 are drawn "
           "<span class=\"f0\"><b>small</b></span>, <span class=\"f1\"><b>medium</b></span>, "
           "<span class=\"f2\"><b>large</b></span>, <span class=\"f3\"><b>extra large</b></span>. "
           "Unused slots are faint.</p></details>";
    std::map<std::size_t, std::vector<std::string>> unused;   // by set-list bank
    ForEachSetList(page.file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        WriteSetList(page, ordinal, i, list, unused[ordinal]);
        page.HandOn();
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
            marked =
                marked || page.marks.banks.count(BankAt{b}) != 0 ||
                page.marks.records.lower_bound(RecordAt{b, 0}) != page.marks.records.lower_bound(RecordAt{b + 1, 0});
    out += std::string("<section id=\"") + kind.anchor + "\" class=\"part" + page.SameClass(marked) +
           "\" data-plays=\"" + SlotTypeText(kind.playedAs) + "\"><h2>" + kind.section + "</h2>";
    for (std::size_t b = 0; b < page.file.banks.size(); ++b) {
        const Bank& bank = page.file.banks[b];
        if (bank.kind != kind.kind)
            continue;
        const auto bankMark = page.marks.banks.find(BankAt{b});
        bool differs = bankMark != page.marks.banks.end();
        for (std::size_t i = 0; i < bank.records.size() && !differs; ++i)
            differs = page.marks.records.count(RecordAt{b, i}) != 0;
        const BankChunkInfo* chunk = BankChunkOf(bank.id);
        const std::string engine =
            chunk != nullptr && chunk->engine[0] != '\0' ? std::string(", ") + chunk->engine : "";
        out += "<section class=\"bank" + std::string(page.SameClass(differs)) + "\" id=\"" + BankElementId({b}) +
               "\" data-n=\"" + HtmlName(bank.name) + "\"><h3>" + HtmlText(BankLabel(bank)) + " <small>(" +
               IdText(bank.id) + engine + ")</small> ";
        if (bankMark != page.marks.banks.end())
            for (const ChangeKind& change : ChangeKinds)
                if (bankMark->second->Has(change.change))
                    out += Mark(change.change);
        out += "</h3>";
        if (!bank.loaded) {
            out += "<p>Not loaded: the bank's size does not match, or the file ends inside it.</p></section>";
            page.HandOn();
            continue;
        }
        out += "<ol class=\"grid\" start=\"0\">";
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            const Record& record = bank.records[i];
            const auto mark = page.marks.records.find(RecordAt{b, i});
            const Difference* difference = mark == page.marks.records.end() ? nullptr : mark->second;
            out += "<li" + (page.Comparing() ? " id=\"" + RecordElementId({b, i}) + "\"" : std::string()) +
                   " title=\"" + HexLong(record.fingerprint) +
                   (difference != nullptr ? " \xE2\x80\x94 " + HtmlText(DiffLine(*page.comparison, *difference))
                                          : std::string()) +
                   "\"" + (page.Comparing() && difference == nullptr ? " class=\"same\"" : "") + "><var>" +
                   Pad3(static_cast<unsigned>(i)) + "</var>";
            if (difference != nullptr)
                for (const ChangeKind& change : ChangeKinds)
                    if (difference->Has(change.change))
                        out += Mark(change.change);
            out += "<b>" + HtmlName(record.name) + "</b></li>";
        }
        out += "</ol></section>";
        page.HandOn();
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
                HtmlText(RecordPlaceText(bank, i)) + " \xE2\x80\x9C" + HtmlName(bank.records[i].name) + "\xE2\x80\x9D");
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

void WriteChunks(Page& page)
{
    page.out += "<section id=\"chunks\" class=\"part" + std::string(page.SameClass(!page.marks.chunks.empty())) +
                "\"><h2>Chunks</h2><table><thead><tr><th>Id</th><th>Holds</th><th>Offset</th>"
                "<th>Size</th><th>Fingerprint</th><th></th></tr></thead><tbody>";
    for (std::size_t c = 0; c < page.file.chunks.size(); ++c) {
        const Chunk& chunk = page.file.chunks[c];
        const auto mark = page.marks.chunks.find(ChunkOf(page.file, c));
        const Difference* difference = mark == page.marks.chunks.end() ? nullptr : mark->second;
        page.out += "<tr id=\"" + ChunkElementId(ChunkOf(page.file, c)) + "\"" +
                    (page.Comparing() && difference == nullptr ? " class=\"same\"" : "") + "><td>" +
                    (chunk.padding ? std::string() : HtmlName(IdText(chunk.id))) + "</td><td>" +
                    (chunk.padding ? "zero padding" : ChunkHolds(chunk.id)) + "</td><td>" + Thousands(chunk.offset) +
                    "</td><td>" + Thousands(static_cast<std::int64_t>(chunk.size)) + "</td><td><code>" +
                    HexLong(chunk.fingerprint) + "</code></td><td>";
        if (difference != nullptr)
            for (const ChangeKind& change : ChangeKinds)
                if (difference->Has(change.change))
                    page.out += Mark(change.change);
        page.out += std::string(chunk.cut ? "cut short" : "") + "</td></tr>";
    }
    page.out += "</tbody></table></section>";
}

}   // namespace

void WriteParts(Page& page)
{
    WriteSetLists(page);
    for (const RecordKind& kind : RecordKinds)
        WriteBanks(page, kind);
    if (!page.Comparing())
        WriteTwins(page);
    WriteChunks(page);
}

std::string ContentsNav(const FileModel& file)
{
    std::size_t used = 0, setLists = 0;
    ForEachSetList(file, [&](const Bank&, std::size_t, std::size_t, const SetList& list) {
        ++setLists;
        used += UsedSlotCount(list);
    });
    std::string nav = "<nav aria-label=\"Contents\"><ul><li><a href=\"#setlists\">" + std::to_string(setLists) +
                      " set lists</a> (" + std::to_string(used) + " slots used)</li>";
    for (const RecordKind& kind : RecordKinds) {
        const auto banks = std::count_if(file.banks.begin(), file.banks.end(),
                                         [&](const Bank& bank) { return bank.kind == kind.kind; });
        nav += std::string("<li><a href=\"#") + kind.anchor + "\">" + std::to_string(banks) + " " + kind.noun +
               " banks</a></li>";
    }
    return nav + "<li><a href=\"#twins\">Same bytes twice</a></li><li><a href=\"#chunks\">" +
           std::to_string(file.chunks.size()) +
           " chunks</a> (drum kits, wave sequences, arpeggios, global settings and the rest)</li></ul></nav>";
}

std::string Problems(const FileModel& file)
{
    if (!file.Damaged())
        return {};
    std::string out = "<ul class=\"problems\">";
    for (const Problem& problem : file.problems)
        out += "<li>Problem: " + HtmlText(ProblemText(problem)) + "</li>";
    return out + "</ul>";
}

std::string FileFacts(const FileModel& file)
{
    return "<p class=\"facts\">" + Thousands(file.size) + " bytes \xC2\xB7 " + FormatName(file.formatCode) +
           " format</p>" + Problems(file);
}

}   // namespace scry
