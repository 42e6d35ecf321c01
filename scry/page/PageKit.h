// What every page of scry shares: escaping, the head with its style, the tail with its script,
// and marks of changes.
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

}   // namespace scry
