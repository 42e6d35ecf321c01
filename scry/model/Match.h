// Names as a person types them: ISO 8859-1 names matched against UTF-8 text, letters in any case
// (A to Z and the Latin-1 letters À to Þ with their small forms; ß and ÿ have no capital there).
#pragma once

#include <string>
#include <string_view>

namespace scry {

// The UTF-8 text as ISO 8859-1 bytes, its capitals folded to small letters; false where it holds
// a character beyond U+00FF (no name can hold it) or is no UTF-8.
bool FoldedLatin1(std::string_view utf8, std::string& folded);
// An ISO 8859-1 name with its capitals folded.
std::string FoldedName(std::string_view latin1);

// The name is the folded query (NameIs), or holds it (NameHolds).
bool NameIs(std::string_view latin1, const std::string& foldedQuery);
bool NameHolds(std::string_view latin1, const std::string& foldedQuery);

}   // namespace scry
