// The gig sheet's page, and the stage view's.
#include "page/GigSheet.h"

#include <algorithm>

#include "model/Plays.h"
#include "model/Vocabulary.h"
#include "page/PageKit.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

std::size_t UsedSlots(const SetList& list)
{
    std::size_t used = 0;
    for (const Slot& slot : list.slots)
        used += slot.used && slot.readable;
    return used;
}

std::string SetListTitle(std::size_t number, const SetList& list)
{
    return "Set list " + Pad3(static_cast<unsigned>(number)) + ": " + HtmlName(list.name);
}

}   // namespace

GigPrint GigPrintOf(const FileModel& file, const SetListView& at, bool compact)
{
    // A4 portrait at 12 mm margins is 527 x 774 pt; the title block takes 50 of it. A row is
    // its type's line and its padding and rule; a character, on average, 0.6 of the type's size
    // (the widest of the usual sans-serif faces), and the columns' padding 40 pt in all.
    constexpr double Width = 527 - 40, Height = 774 - 50;
    const double line = compact ? 1.1 : 1.25, padding = compact ? 1.2 : 5.75;
    std::size_t rows = 0, longest = 0, widest = 0;
    ForEachPlayingSlot(*at.list, [&](std::size_t, const Slot& slot) {
        ++rows;
        const std::size_t plays = PlaysText(SlotPlays(file, slot)).size();
        // A row on one line: the slot's number and settings, its name and what it plays; stacked,
        // what it plays under the name, in type 0.8 as large.
        longest = std::max(longest, 11 + slot.name.size() + plays);
        widest = std::max(widest, 11 + std::max<std::size_t>(slot.name.size(), (plays * 4 + 4) / 5));
    });
    GigPrint print{};
    print.rows = rows;
    print.perPage = compact ? 64 : 24;
    print.pages = rows == 0 ? 1 : (rows + print.perPage - 1) / print.perPage;
    const double onePage = static_cast<double>(std::min(std::max<std::size_t>(rows, 1), print.perPage)) + 1;
    const double largest = compact ? 12 : 28, smallest = compact ? 6 : 9;
    const auto fit = [&](double lines, std::size_t chars) {
        const double tall = (Height / onePage - padding) / (line * lines);
        const double wide = Width / (0.6 * static_cast<double>(std::max<std::size_t>(chars, 1)));
        return std::max(smallest, std::min({tall, wide, largest}));
    };
    print.points = fit(1, longest);
    // A short set list with long names: what each slot plays under its name, where that gives
    // type a quarter larger at least.
    if (!compact && fit(1.8, widest) >= 1.25 * print.points) {
        print.stacked = true;
        print.points = fit(1.8, widest);
    }
    print.points = static_cast<double>(static_cast<int>(print.points * 10)) / 10;   // 0.1 pt down
    return print;
}

namespace {

// What a sheet of edits not yet saved adds: its marks' look, and a word on what they mean.
constexpr const char* EditedStyle =
    "<style>.edited-mark{font-weight:bold;white-space:nowrap}.edits-note{font-style:italic}"
    "@media print{body.gigpage .gig.stacked tr{grid-template-columns:2.4em minmax(0,1fr) 5.5em 4.5em 2em}}</style>";
constexpr const char* EditedNote = "<p class=\"edits-note\">Edits not yet downloaded are shown, each marked "
                                   "\xE2\x9C\x8E edited (on the sheet, in a column of its own).</p>";
constexpr const char* EditedMark = " <span class=\"edited-mark\">\xE2\x9C\x8E edited</span>";
// On the gig sheet a slot's mark has a column of its own, so that it never runs into another.
constexpr const char* EditedHead = "<th>Edited</th>";
constexpr const char* EditedCell = "<td class=\"edited-mark\">\xE2\x9C\x8E</td>";

}   // namespace

std::string GigPage(const FileModel& file, const SetListView& at, bool compact, const std::string& changed,
                    const SheetEdits* edits)
{
    const SetList& list = *at.list;
    const std::string title = SetListTitle(at.number, list);
    const GigPrint print = GigPrintOf(file, at, compact);
    std::string out = PageHead(title + " \xE2\x80\x93 gig sheet", compact ? "gigpage compact" : "gigpage");
    std::size_t columns = 3;
    const int tenths = static_cast<int>(print.points * 10 + 0.5);   // whatever the locale's decimal point
    const std::string size = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "pt";
    if (edits != nullptr)
        out += EditedStyle;
    out += "<header class=\"gig-head\"><h1>" + title + (edits != nullptr && edits->Name(at.number) ? EditedMark : "") +
           "</h1><p>" + HtmlText(file.name) + (changed.empty() ? "" : " \xC2\xB7 last changed " + HtmlText(changed)) +
           " \xC2\xB7 " + std::to_string(print.rows) + (print.rows == 1 ? " slot" : " slots") + "</p>" +
           (edits != nullptr ? EditedNote : "") + "</header><table class=\"gig" + (print.stacked ? " stacked" : "") +
           "\" style=\"--print-size:" + size + "\"><thead><tr><th>Slot</th><th>Name</th><th>Plays</th>";
    for (const SlotSetting& setting : SlotSettings)
        if (setting.onGigSheet) {
            out += "<th>" + HtmlText(setting.heading) + "</th>";
            ++columns;
        }
    if (edits != nullptr) {
        out += EditedHead;
        ++columns;
    }
    out += "</tr></thead><tbody>";
    ForEachPlayingSlot(list, [&](std::size_t j, const Slot& slot) {
        out += "<tr><td>" + Pad3(static_cast<unsigned>(j)) + "</td><td>" + HtmlName(slot.name) + "</td><td>" +
               PlaysHtml(SlotPlays(file, slot)) + "</td>";
        for (const SlotSetting& setting : SlotSettings)
            if (setting.onGigSheet)
                out += "<td>" + std::to_string(SettingOf(slot.fields, setting)) + "</td>";
        if (edits != nullptr)
            out += edits->Slot(at.number, j) ? EditedCell : "<td></td>";
        out += "</tr>";
    });
    if (UsedSlots(list) == 0)
        out += "<tr><td colspan=\"" + std::to_string(columns) + "\">No slot of this set list is used.</td></tr>";
    return out + "</tbody></table></body></html>\n";
}

std::string StagePage(const FileModel& file, const SetListView& at, const SheetEdits* edits)
{
    const std::string title = SetListTitle(at.number, *at.list);
    std::string out = PageHead(title + " \xE2\x80\x93 on stage", "stagepage");
    if (edits != nullptr)
        out += EditedStyle;
    std::string jump, sets;
    for (std::size_t i = 0; i < at.bank->setLists.size(); ++i) {
        const SetList& list = at.bank->setLists[i];
        if (UsedSlots(list) == 0 && i != at.number)
            continue;
        const std::string id = "stage" + Pad3(static_cast<unsigned>(i));
        jump +=
            "<li><a href=\"#" + id + "\">" + Pad3(static_cast<unsigned>(i)) + " " + HtmlName(list.name) + "</a></li>";
        sets += "<section class=\"stage-set\" id=\"" + id + "\"" + (i == at.number ? " data-start" : "") + "><h2>" +
                SetListTitle(i, list) + (edits != nullptr && edits->Name(i) ? EditedMark : "") +
                "</h2><ol class=\"cards\">";
        ForEachPlayingSlot(list, [&](std::size_t j, const Slot& slot) {
            sets += "<li class=\"card\"><span class=\"num\">" + Pad3(static_cast<unsigned>(j)) + "</span><b>" +
                    HtmlName(slot.name) + (edits != nullptr && edits->Slot(i, j) ? EditedMark : "") + "</b><i>" +
                    PlaysHtml(SlotPlays(file, slot)) + "</i><small>";
            bool first = true;
            for (const SlotSetting& setting : SlotSettings)
                if (setting.onGigSheet) {
                    sets += std::string(first ? "" : " \xC2\xB7 ") + setting.word + "\xC2\xA0" +
                            std::to_string(SettingOf(slot.fields, setting));
                    first = false;
                }
            sets += "</small></li>";
        });
        if (UsedSlots(list) == 0)
            sets += "<li class=\"card\">No slot of this set list is used.</li>";
        sets += "</ol></section>";
    }
    out += "<header><h1>" + HtmlText(file.name) + "</h1>" + (edits != nullptr ? EditedNote : "") +
           "<nav class=\"stage-jump\" aria-label=\"Set lists\"><ul>" + jump +
           "</ul></nav></header><main class=\"stage\">" + sets + "</main>";
    return out + PageTail();
}

}   // namespace scry
