// What every page of scry shares: escaping, the head with its style, the tail with its script,
// marks of changes, and where a page goes beside its input. No file is written here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/Plays.h"
#include "model/Vocabulary.h"

namespace scry {

// A text that is UTF-8 already, escaped for HTML text and attribute values.
std::string HtmlText(std::string_view text);
// A record name (bytes of ISO 8859-1) for the page.
std::string HtmlName(std::string_view latin1);
// What a slot plays, its kind and place held on one line: `<span class="place">Prog I-A044</span>
// Big Steel Drum`, or the place and why it plays no record of the file.
std::string PlaysHtml(const Plays& plays);
// 16894762 as "16,894,762".
std::string Thousands(std::int64_t value);
// "holdTime" as a data- attribute: "hold-time".
std::string DataAttribute(const char* key);

// The head, with the generator that marks a page scry may write over, the viewport and the style.
std::string PageHead(const std::string& title, const char* bodyClass);
// The end of a page, with its script.
std::string PageTail();
// A change's mark: its symbol and word in the style of its kind.
std::string Mark(Change change);

// A name beside source, its extension replaced by suffix; raises Trouble where a file that is no
// page of scry stands there (nothing here blocks).
std::string PageNameBeside(const std::string& source, const std::string& suffix);
// The page's name without -o: beside the (new) input, name.html or name_diff.html.
std::string DefaultPageName(const std::vector<std::string>& files);
// The regular file under name begins as a page that scry wrote; never blocks.
bool IsPageOfScry(const std::string& name);

}   // namespace scry
