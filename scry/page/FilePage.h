// The page of one file: its facts, contents, set lists as tiles, banks as grids, chunks.
#pragma once

#include <string>

#include "model/Model.h"
#include "text/Text.h"

namespace scry {

// The whole page; where part is given, what is made is handed to it after each set list and bank,
// and the rest returned, so that a page of a large file is never held whole.
std::string HtmlPage(const FileModel& file, const TextPart& part = {});

}   // namespace scry
