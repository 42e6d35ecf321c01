// The gig sheet's page, and the stage view's.
#include "page/GigSheet.h"

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

std::string GigPage(const FileModel& file, const SetListAt& at, bool compact)
{
    const SetList& list = *at.list;
    const std::string title = SetListTitle(at.number, list);
    std::string out = PageHead(title + " \xE2\x80\x93 gig sheet", compact ? "gigpage compact" : "gigpage");
    std::size_t columns = 3;
    out += "<h1>" + title + "</h1><table class=\"gig\"><thead><tr><th>Slot</th><th>Name</th><th>Plays</th>";
    for (const SlotSetting& setting : SlotSettings)
        if (setting.onGigSheet) {
            out += "<th>" + HtmlText(setting.heading) + "</th>";
            ++columns;
        }
    out += "</tr></thead><tbody>";
    for (std::size_t j = 0; j < list.slots.size(); ++j) {
        const Slot& slot = list.slots[j];
        if (!slot.used || !slot.readable)
            continue;
        out += "<tr><td>" + Pad3(static_cast<unsigned>(j)) + "</td><td>" + HtmlName(slot.name) + "</td><td>" +
               PlaysHtml(WhatSlotPlays(file, TargetOf(slot.fields))) + "</td>";
        for (const SlotSetting& setting : SlotSettings)
            if (setting.onGigSheet)
                out += "<td>" + std::to_string(SettingOf(slot.fields, setting)) + "</td>";
        out += "</tr>";
    }
    if (UsedSlots(list) == 0)
        out += "<tr><td colspan=\"" + std::to_string(columns) + "\">No slot of this set list is used.</td></tr>";
    return out + "</tbody></table></body></html>\n";
}

std::string StagePage(const FileModel& file, const SetListAt& at)
{
    const std::string title = SetListTitle(at.number, *at.list);
    std::string out = PageHead(title + " \xE2\x80\x93 on stage", "stagepage");
    std::string jump, sets;
    for (std::size_t i = 0; i < at.bank->setLists.size(); ++i) {
        const SetList& list = at.bank->setLists[i];
        if (UsedSlots(list) == 0 && i != at.number)
            continue;
        const std::string id = "stage" + Pad3(static_cast<unsigned>(i));
        jump +=
            "<li><a href=\"#" + id + "\">" + Pad3(static_cast<unsigned>(i)) + " " + HtmlName(list.name) + "</a></li>";
        sets += "<section class=\"stage-set\" id=\"" + id + "\"" + (i == at.number ? " data-start" : "") + "><h2>" +
                SetListTitle(i, list) + "</h2><ol class=\"cards\">";
        for (std::size_t j = 0; j < list.slots.size(); ++j) {
            const Slot& slot = list.slots[j];
            if (!slot.used || !slot.readable)
                continue;
            sets += "<li class=\"card\"><span class=\"num\">" + Pad3(static_cast<unsigned>(j)) + "</span><b>" +
                    HtmlName(slot.name) + "</b><i>" + PlaysHtml(WhatSlotPlays(file, TargetOf(slot.fields))) +
                    "</i><small>";
            bool first = true;
            for (const SlotSetting& setting : SlotSettings)
                if (setting.onGigSheet) {
                    sets += std::string(first ? "" : " \xC2\xB7 ") + setting.word + "\xC2\xA0" +
                            std::to_string(SettingOf(slot.fields, setting));
                    first = false;
                }
            sets += "</small></li>";
        }
        if (UsedSlots(list) == 0)
            sets += "<li class=\"card\">No slot of this set list is used.</li>";
        sets += "</ol></section>";
    }
    out += "<header><h1>" + HtmlText(file.name) + "</h1><nav class=\"stage-jump\" aria-label=\"Set lists\"><ul>" +
           jump + "</ul></nav></header><main class=\"stage\">" + sets + "</main>";
    return out + PageTail();
}

}   // namespace scry
