// scry gig.
#include "Gig.h"

#include "Html.h"
#include "Text.h"
#include "Vocabulary.h"

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

std::string GigPage(const FileModel& file, std::size_t number)
{
    const SetList* list = nullptr;
    ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& each) {
        if (ordinal == 0 && i == number)
            list = &each;
    });
    if (list == nullptr)
        throw Trouble(SourceName(file.name) + ": holds no set list " + Pad3(static_cast<unsigned>(number)));
    const std::string title = "Set list " + Pad3(static_cast<unsigned>(number)) + ": " + HtmlText(Utf8(list->name));
    std::string out = PageHead(title + " \xE2\x80\x93 gig sheet", "gigpage");
    std::size_t used = 0;
    for (const Slot& slot : list->slots)
        used += slot.used && slot.readable;
    // Up to 16 used slots in the largest type; up to 24 still on one A4 page in a smaller one.
    out += "<h1>" + title + "</h1><table class=\"gig" + std::string(used > 16 ? " long" : "") +
           "\"><thead><tr><th>Slot</th><th>Name</th><th>Plays</th>";
    for (const SlotSetting& setting : SlotSettings)
        if (setting.onGigSheet)
            out += "<th>" + Capitalized(setting.word) + "</th>";
    out += "</tr></thead><tbody>";
    for (std::size_t j = 0; j < list->slots.size(); ++j) {
        const Slot& slot = list->slots[j];
        if (!slot.used || !slot.readable)
            continue;
        const Plays plays = WhatSlotPlays(file, slot.fields);
        std::string playsText = std::string(SlotTypeText(plays.type)) + " " + Utf8(plays.place) + " ";
        playsText += plays.record != nullptr ? Utf8(plays.record->name)
                                             : std::string("(") + ResolutionNote(plays.resolution) + ")";
        out += "<tr><td>";
        out += Pad3(static_cast<unsigned>(j)) + "</td><td>" + HtmlText(Utf8(slot.name)) + "</td><td>" +
               HtmlText(playsText) + "</td>";
        for (const SlotSetting& setting : SlotSettings)
            if (setting.onGigSheet)
                out += "<td>" + std::to_string(slot.fields.*setting.field) + "</td>";
        out += "</tr>";
    }
    if (used == 0)
        out += "<tr><td colspan=\"5\">No slot of this set list is used.</td></tr>";
    return out + "</tbody></table></body></html>\n";
}

int RunGig(const Options& options, Console& console)
{
    const std::string output =
        options.output.empty()
            ? PageNameBeside(options.file, "_gig_" + Pad3(static_cast<unsigned>(options.setList)) + ".html")
            : options.output;
    Session session(console, {options.file}, output);
    const std::string page = GigPage(session.Read(0), static_cast<std::size_t>(options.setList));
    return WritePage(session, console, output, !options.output.empty(), page);
}

}   // namespace scry
