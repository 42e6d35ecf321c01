// The page of two files compared: the summary and every difference first, each a link to where
// it is marked, then NEW's parts with each difference marked in place.
#pragma once

#include <string>

#include "model/Compare.h"

namespace scry {

std::string HtmlComparison(const Comparison& comparison);

}   // namespace scry
