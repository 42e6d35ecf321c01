// find's and dups' answers to the page, the same whether the files searched are open whole or
// held as their summaries. For the request layer's own files alone.
#pragma once

#include <functional>
#include <string>

#include "ops/Library.h"
#include "requests/Arguments.h"

namespace scry {

// The query a find request asks by its "by" and "text"; soundOf reads the query of the sound of a
// record ("" where it can, else why not), of whichever file the request names. Refuses the
// request where the query cannot be asked.
using SoundQueryReader = std::function<std::string(const std::string& text, FindQuery& query)>;
FindQuery FindQueryAsked(const ordered_json& asked, const SoundQueryReader& soundOf);

// find's answer: its lines (each: a line for each file), what it says where nothing is found, and
// each file's hits as places the page can lead to, under the ids the files were asked by: the
// first `most` places (the request's "most", every one where it gives none), and "more" where
// there are others.
ordered_json FoundAnswer(const ops::FindOutcome& found, const FindQuery& query, const ordered_json& asked,
                         const char* idsKey);

// dups' answer: its lines and how much is held twice or more, in how many files.
ordered_json DupsAnswer(const ops::DupsOutcome& dups);

}   // namespace scry
