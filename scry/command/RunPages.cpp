// scry html and scry gig.
#include "command/Commands.h"

#include <functional>
#include <stdexcept>

#include "model/Compare.h"
#include "page/ComparisonPage.h"
#include "page/FilePage.h"
#include "page/GigSheet.h"
#include "page/PageKit.h"
#include "text/Text.h"

namespace scry {

namespace {

// The page's name: -o's, or beside the input, never over a file that is no page of scry.
std::string PageName(const std::string& output, const std::function<std::string()>& beside)
{
    if (!output.empty())
        return output;
    try {
        return beside();
    } catch (const std::invalid_argument& refused) {
        throw Trouble(refused.what());
    }
}

// The page make gives, handed on as it is made (make hands its parts to the TextPart it is given
// and returns the rest).
int WritePage(Session& session, Console& console, const std::function<std::string(const TextPart&)>& make)
{
    const std::string& output = session.Output();
    // A file that was no page of scry is replaced only with --force, and not without a word.
    const bool replacing = !output.empty() && WhatNameHolds(output) == NameHolds::RegularFile &&
                           !IsStreamDevice(output) && !IsPageOfScry(output);
    Delivery delivery(session.Output(), session.Streams());
    delivery.Finish(make([&](std::string& text) { delivery.Part(text); }));
    SayError(console, "wrote " + (output.empty() ? std::string("the page to standard output") : LineText(output)) +
                          (replacing ? ", in place of a file that was no page of scry" : ""));
    return session.StatusWith(Success);
}

}   // namespace

int RunHtml(const HtmlOptions& options, Console& console)
{
    if (options.files.empty() || options.files.size() > 2)
        throw Trouble("html takes one file, or two to compare");
    const std::string output = PageName(options.output, [&] { return DefaultPageName(options.files); });
    Session session(console, options.files, output, OutputKind::Page, options.force);
    if (options.files.size() == 1) {
        const FileModel file = session.Read(0);
        return WritePage(session, console, [&](const TextPart& part) { return HtmlPage(file, part); });
    }
    const std::vector<FileModel> files = session.ReadTogether(2);
    return WritePage(session, console, [&](const TextPart&) { return HtmlComparison(Compare(files[0], files[1])); });
}

namespace {

// A page of set list N alone, written beside the file as name + suffix + NNN.html without -o.
template <class Make>
int SetListPage(const SetListOptions& options, Console& console, const char* suffix, Make make)
{
    const auto number = static_cast<std::size_t>(options.setList);
    const std::string output = PageName(options.output, [&] {
        return PageNameBeside(options.file, suffix + Pad3(static_cast<unsigned>(number)) + ".html");
    });
    Session session(console, {options.file}, output, OutputKind::Page, options.force);
    const FileModel file = session.Read(0);
    const SetListView at = session.SetListOf(file, number);
    const int empty = session.SayIfEmpty(file, at);   // the page is written all the same
    return Worst(WritePage(session, console, [&](const TextPart&) { return make(file, at); }), empty);
}

}   // namespace

int RunGig(const GigOptions& options, Console& console)
{
    // The day the file was last changed, for the sheet's title block (none for standard input).
    FileIdentity identity;
    const std::string changed =
        options.file != "-" && IdentifyFile(options.file, identity) ? LocalDateOf(identity.modified) : std::string();
    return SetListPage(options, console, "_gig_", [&](const FileModel& file, const SetListView& at) {
        const GigPrint print = GigPrintOf(file, at, options.compact);
        if (print.pages > 1)
            SayError(console, "warning: set list " + Pad3(static_cast<unsigned>(at.number)) + " has " +
                                  std::to_string(print.rows) + " used slots: its gig sheet takes " +
                                  std::to_string(print.pages) + " A4 pages (" + std::to_string(print.perPage) +
                                  " fit on one" + (options.compact ? "" : "; --compact fits 64") + ")");
        return GigPage(file, at, options.compact, changed);
    });
}

int RunStage(const SetListOptions& options, Console& console)
{
    return SetListPage(options, console, "_stage_",
                       [](const FileModel& file, const SetListView& at) { return StagePage(file, at); });
}

}   // namespace scry
