// scry html: one self-contained web page of a file, or of two files compared (NEW marked
// against OLD); its style and script come from scry/page/, embedded at build time.
#pragma once

#include <string>

#include "Command.h"
#include "Model.h"

namespace scry {

std::string HtmlPage(const FileModel& file);
std::string HtmlComparison(const FileModel& oldFile, const FileModel& newFile);

// The page's name without -o: beside the (new) input, name.html or name_diff.html; raises
// Trouble where a file that is not a page of scry stands there.
std::string DefaultPageName(const std::vector<std::string>& files);

// scry html FILE [NEW]: writes the page and says where on standard error.
int RunHtml(const Options& options, Console& console);

}   // namespace scry
