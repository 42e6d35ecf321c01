// Folding names for matching.
#include "model/Match.h"

#include <algorithm>

namespace scry {

namespace {

char Fold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    // A-Z, and À-Þ but for × (0xD7): the small letter is 0x20 above the capital.
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<char>(byte + 0x20);
    return c;
}

}   // namespace

bool FoldedLatin1(std::string_view utf8, std::string& folded)
{
    folded.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            folded += Fold(static_cast<char>(lead));
            continue;
        }
        // Latin-1's upper half is two bytes in UTF-8: C2 or C3, then a continuation byte.
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const auto code = static_cast<unsigned char>(((lead & 0x03u) << 6) | (utf8[i + 1] & 0x3F));
            folded += Fold(static_cast<char>(code));
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

std::string FoldedName(std::string_view latin1)
{
    std::string folded(latin1);
    std::transform(folded.begin(), folded.end(), folded.begin(), Fold);
    return folded;
}

bool NameIs(std::string_view latin1, const std::string& foldedQuery)
{
    return latin1.size() == foldedQuery.size() && FoldedName(latin1) == foldedQuery;
}

bool NameHolds(std::string_view latin1, const std::string& foldedQuery)
{
    if (foldedQuery.size() > latin1.size())
        return false;
    // Names are short: folded on the stack, searched there.
    char folded[64];
    if (latin1.size() > sizeof folded)
        return FoldedName(latin1).find(foldedQuery) != std::string::npos;
    std::transform(latin1.begin(), latin1.end(), folded, Fold);
    return std::string_view(folded, latin1.size()).find(foldedQuery) != std::string_view::npos;
}

}   // namespace scry
