// The gig sheet's page.
#include "page/GigSheet.h"

#include "model/Plays.h"
#include "model/Vocabulary.h"
#include "page/PageKit.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

std::string Capitalized(const char* word)
{
    std::string text = word;
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}   // namespace

std::string GigPage(const FileModel& file, const SetListAt& at)
{
    const SetList& list = *at.list;
    const std::string title = "Set list " + Pad3(static_cast<unsigned>(at.number)) + ": " + HtmlName(list.name);
    std::string out = PageHead(title + " \xE2\x80\x93 gig sheet", "gigpage");
    std::size_t used = 0;
    for (const Slot& slot : list.slots)
        used += slot.used && slot.readable;
    // Up to 16 used slots in the largest type; up to 24 still on one A4 page in a smaller one.
    out += "<h1>" + title + "</h1><table class=\"gig" + std::string(used > 16 ? " long" : "") +
           "\"><thead><tr><th>Slot</th><th>Name</th><th>Plays</th>";
    std::size_t columns = 3;
    for (const SlotSetting& setting : SlotSettings)
        if (setting.onGigSheet) {
            out += "<th>" + Capitalized(setting.word) + "</th>";
            ++columns;
        }
    out += "</tr></thead><tbody>";
    for (std::size_t j = 0; j < list.slots.size(); ++j) {
        const Slot& slot = list.slots[j];
        if (!slot.used || !slot.readable)
            continue;
        const Plays plays = WhatSlotPlays(file, TargetOf(slot.fields));
        out += "<tr><td>" + Pad3(static_cast<unsigned>(j)) + "</td><td>" + HtmlName(slot.name) + "</td><td>" +
               HtmlText(PlaysOnPage(plays)) + "</td>";
        for (const SlotSetting& setting : SlotSettings)
            if (setting.onGigSheet)
                out += "<td>" + std::to_string(SettingOf(slot.fields, setting)) + "</td>";
        out += "</tr>";
    }
    if (used == 0)
        out += "<tr><td colspan=\"" + std::to_string(columns) + "\">No slot of this set list is used.</td></tr>";
    return out + "</tbody></table></body></html>\n";
}

}   // namespace scry
