// Folding names for matching.
#include "model/Match.h"

#include <algorithm>
#include <vector>

namespace scry {

namespace {

// Each Latin-1 byte as it is matched: capitals as small letters, accented letters as their plain
// ones (ß as "ss", æ as "ae", þ as "th"), everything else as it is.
struct Folds {
    char text[256][2] = {};
    constexpr Folds()
    {
        for (int b = 0; b < 256; ++b)
            text[b][0] = static_cast<char>(b);
        for (int b = 'A'; b <= 'Z'; ++b)
            text[b][0] = static_cast<char>(b + 0x20);
        const auto set = [&](int from, int to, const char* as) {
            for (int b = from; b <= to; ++b) {
                text[b][0] = as[0];
                text[b][1] = as[1];
            }
        };
        set(0xC0, 0xC5, "a"), set(0xE0, 0xE5, "a"), set(0xC6, 0xC6, "ae"), set(0xE6, 0xE6, "ae");
        set(0xC7, 0xC7, "c"), set(0xE7, 0xE7, "c"), set(0xC8, 0xCB, "e"), set(0xE8, 0xEB, "e");
        set(0xCC, 0xCF, "i"), set(0xEC, 0xEF, "i"), set(0xD0, 0xD0, "d"), set(0xF0, 0xF0, "d");
        set(0xD1, 0xD1, "n"), set(0xF1, 0xF1, "n"), set(0xD2, 0xD6, "o"), set(0xF2, 0xF6, "o");
        set(0xD8, 0xD8, "o"), set(0xF8, 0xF8, "o"), set(0xD9, 0xDC, "u"), set(0xF9, 0xFC, "u");
        set(0xDD, 0xDD, "y"), set(0xFD, 0xFD, "y"), set(0xFF, 0xFF, "y"), set(0xDE, 0xDE, "th");
        set(0xFE, 0xFE, "th"), set(0xDF, 0xDF, "ss");
    }
};
constexpr Folds FoldTable{};

void AppendFolded(std::string& out, char c)
{
    const char* as = FoldTable.text[static_cast<unsigned char>(c)];
    out += as[0];
    if (as[1] != '\0')
        out += as[1];
}

// Letters and digits make words; any other byte parts them (folded, the letters are a to z, but
// for µ, ª and º and the Latin-1 letters folding leaves, which count as letters too).
bool InWord(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == 0xAA || byte == 0xB5 ||
           byte == 0xBA || (byte >= 0xC0 && byte != 0xD7 && byte != 0xF7);
}

std::vector<std::string_view> Words(std::string_view folded)
{
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < folded.size();) {
        while (i < folded.size() && !InWord(folded[i]))
            ++i;
        const std::size_t from = i;
        while (i < folded.size() && InWord(folded[i]))
            ++i;
        if (i > from)
            words.push_back(folded.substr(from, i - from));
    }
    return words;
}

}   // namespace

bool FoldedLatin1(std::string_view utf8, std::string& folded)
{
    folded.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            AppendFolded(folded, static_cast<char>(lead));
            continue;
        }
        // Latin-1's upper half is two bytes in UTF-8: C2 or C3, then a continuation byte.
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const auto code = static_cast<unsigned char>(((lead & 0x03u) << 6) | (utf8[i + 1] & 0x3F));
            AppendFolded(folded, static_cast<char>(code));
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

std::string FoldedName(std::string_view latin1)
{
    std::string folded;
    folded.reserve(latin1.size() + 4);
    for (const char c : latin1)
        AppendFolded(folded, c);
    return folded;
}

bool NameHolds(std::string_view latin1, const std::string& foldedQuery)
{
    if (foldedQuery.size() > 2 * latin1.size())
        return false;
    // Names are short: folded on the stack, searched there.
    char folded[2 * 64];
    if (latin1.size() > 64)
        return FoldedName(latin1).find(foldedQuery) != std::string::npos;
    std::size_t length = 0;
    for (const char c : latin1) {
        const char* as = FoldTable.text[static_cast<unsigned char>(c)];
        folded[length++] = as[0];
        if (as[1] != '\0')
            folded[length++] = as[1];
    }
    return std::string_view(folded, length).find(foldedQuery) != std::string_view::npos;
}

bool NameHasWords(std::string_view latin1, const std::string& foldedQuery)
{
    const std::vector<std::string_view> asked = Words(foldedQuery);
    if (asked.empty())
        return false;
    const std::string folded = FoldedName(latin1);
    const std::vector<std::string_view> words = Words(folded);
    return std::all_of(asked.begin(), asked.end(), [&](std::string_view word) {
        return std::any_of(words.begin(), words.end(),
                           [&](std::string_view in) { return in.substr(0, word.size()) == word; });
    });
}

std::size_t EditDistance(std::string_view a, std::string_view b)
{
    // Levenshtein's, a row at a time: names are short.
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}   // namespace scry
