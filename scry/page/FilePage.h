// The page of one file: its facts, contents, set lists as tiles, banks as grids, chunks.
#pragma once

#include <string>

#include "model/Model.h"

namespace scry {

std::string HtmlPage(const FileModel& file);

}   // namespace scry
