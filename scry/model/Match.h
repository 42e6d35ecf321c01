// Names as a person types them: ISO 8859-1 names matched against UTF-8 text, letters in any case
// and with or without their accents (é is e, ß is ss, æ is ae, þ is th).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scry {

// The UTF-8 text as ISO 8859-1 bytes, its capitals folded to small letters; false where it holds
// a character beyond U+00FF (no name can hold it) or is no UTF-8.
bool FoldedLatin1(std::string_view utf8, std::string& folded);
// An ISO 8859-1 name with its capitals folded.
std::string FoldedName(std::string_view latin1);

// The name holds the folded query (NameHolds), or each word of the query begins a word of it
// (NameHasWords: "grand pia" is in "Soft Grand Piano").
bool NameHolds(std::string_view latin1, const std::string& foldedQuery);
bool NameHasWords(std::string_view latin1, const std::string& foldedQuery);
// How many letters differ between two words or names (inserted, removed or changed).
std::size_t EditDistance(std::string_view a, std::string_view b);

}   // namespace scry
