// The comparison as one JSON document: both files, the summary's counts, and every difference
// with its subject, its kinds of change, why, where it stands in each file, and its values
// before and after, field by field.
#pragma once

#include <string>

#include "model/Compare.h"

namespace scry {

std::string DiffJson(const Comparison& comparison);

}   // namespace scry
