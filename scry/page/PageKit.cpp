// The page kit.
#include "page/PageKit.h"

#include "StStrL/StStrL.h"
#include "page/PageAssets.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

std::string HtmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HtmlName(std::string_view latin1) { return HtmlText(Utf8(latin1)); }

std::string PlaysHtml(const Plays& plays)
{
    return "<span class=\"place\">" + std::string(SlotTypeText(plays.target.type)) + " " +
           HtmlText(PlaceText(plays.target)) + "</span> " + HtmlText(PlayedName(plays));
}

std::string Thousands(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-')
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string DataAttribute(const char* key)
{
    std::string name;
    for (const char* c = key; *c != '\0'; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            name += '-';
            name += static_cast<char>(*c - 'A' + 'a');
        } else {
            name += *c;
        }
    }
    return name;
}

std::string PageHead(const std::string& title, const char* bodyClass)
{
    return std::string("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"generator\" content=\"scry " BANKSCRY_VERSION "\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>") +
           title + "</title><style>" + PageStyle + "</style></head><body" +
           (bodyClass != nullptr ? std::string(" class=\"") + bodyClass + "\"" : std::string()) + ">";
}

std::string PageTail() { return std::string("<script>") + PageScript + "</script></body></html>\n"; }

std::string Mark(Change change)
{
    const ChangeKind& kind = ChangeKindOf(change);
    return std::string("<mark class=\"") + kind.style + "\">" + kind.symbol + " " + kind.word + "</mark>";
}

}   // namespace scry
