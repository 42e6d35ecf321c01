// Names and texts as scry shows them.
#include "text/Text.h"

#include <algorithm>

#include "StStrL/LineFormat.h"

namespace scry {

namespace {

void PutEscaped(std::string& out, unsigned char byte)
{
    const char text[4] = {'\\', 'x', HexDigits[byte >> 4], HexDigits[byte & 0xFu]};
    out.append(text, sizeof text);
}

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

}   // namespace

std::string Utf8(std::string_view latin1)
{
    std::string text;
    text.reserve(latin1.size() + 4);
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string LineName(std::string_view latin1)
{
    // Most names need nothing but the conversion.
    const bool plain = std::all_of(latin1.begin(), latin1.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return !IsControl(byte) && !(byte >= 0x80 && byte <= 0x9F) && c != '\\' && c != '"';
    });
    if (plain)
        return Utf8(latin1);
    std::string text;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControl(byte) || (byte >= 0x80 && byte <= 0x9F)) {
            PutEscaped(text, byte);
        } else if (c == '\\' || c == '"') {
            text += '\\';
            text += c;
        } else {
            text += Utf8(std::string_view(&c, 1));
        }
    }
    return text;
}

std::string Quoted(std::string_view latin1) { return '"' + LineName(latin1) + '"'; }

std::string LineText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsControl(byte)) {
            PutEscaped(out, byte);
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080 to U+009F, the C1 controls in UTF-8: U+009B starts a terminal command.
            const auto code = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += HexDigits[code >> 4];
            out += HexDigits[code & 0xFu];
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string SourceName(std::string_view name) { return name == "-" ? "standard input" : LineText(name); }

std::string Pad3(unsigned value)
{
    char text[20];
    return {text, static_cast<std::size_t>(PutDec(text, value, 3) - text)};
}

}   // namespace scry
