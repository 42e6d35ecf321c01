// scry json: everything scry knows of the files, as one document for scripts.
#pragma once

#include <string>
#include <vector>

#include "Command.h"
#include "Model.h"

namespace scry {

// {"files": [...]}: one entry per file, as the README describes it.
void WriteJson(std::string& out, const std::vector<FileModel>& files, bool all);

// scry json FILE...: files that cannot be read are said and left out.
int RunJson(const Options& options, Console& console);

}   // namespace scry
