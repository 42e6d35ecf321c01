// scry html: one self-contained web page of a file, or of two files compared (NEW marked
// against OLD); its style and script come from scry/page/, embedded at build time.
#pragma once

#include <string>
#include <string_view>

#include "Command.h"
#include "Model.h"

namespace scry {

// A text that is UTF-8 already, escaped for HTML text and attribute values.
std::string HtmlText(std::string_view text);

std::string HtmlPage(const FileModel& file);
std::string HtmlComparison(const FileModel& oldFile, const FileModel& newFile);

// The page's name without -o: beside the (new) input, name.html or name_diff.html; raises
// Trouble where a file that is not a page of scry stands there.
std::string DefaultPageName(const std::vector<std::string>& files);

// What every page of scry shares, for its other pages (the gig sheet):
// the head, with the generator that marks a page scry may write over, and the style;
std::string PageHead(const std::string& title, const char* bodyClass);
// a name beside source, its extension replaced by suffix, never over a file that is no page of scry;
std::string PageNameBeside(const std::string& source, const std::string& suffix);
// and the page written where the session's output goes, with a word on standard error of where
// (and that a file named with -o that was no page of scry was replaced). Gives the status.
int WritePage(Session& session, Console& console, const std::string& output, bool named, const std::string& page);

// scry html FILE [NEW]: writes the page and says where on standard error.
int RunHtml(const Options& options, Console& console);

}   // namespace scry
