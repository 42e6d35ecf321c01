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

void AppendLineName(std::string& out, std::string_view latin1)
{
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '"') {
            out += c;
        } else if (IsControl(byte) || (byte >= 0x80 && byte <= 0x9F)) {
            PutEscaped(out, byte);
        } else if (byte < 0x80) {
            out += '\\';
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
}

std::string LineName(std::string_view latin1)
{
    std::string text;
    text.reserve(latin1.size() + 4);
    AppendLineName(text, latin1);
    return text;
}

void AppendQuoted(std::string& out, std::string_view latin1)
{
    out += '"';
    AppendLineName(out, latin1);
    out += '"';
}

std::string Quoted(std::string_view latin1)
{
    std::string text;
    AppendQuoted(text, latin1);
    return text;
}

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

void AppendPad3(std::string& out, unsigned value)
{
    char text[20];
    out.append(text, static_cast<std::size_t>(PutDec(text, value, 3) - text));
}

void AppendDecimal(std::string& out, std::uint64_t value)
{
    char text[24];
    out.append(text, static_cast<std::size_t>(PutDec(text, value) - text));
}

void AppendHex8(std::string& out, std::uint32_t value)
{
    char text[16];
    out.append(text, static_cast<std::size_t>(PutHex(text, value, 8) - text));
}

}   // namespace scry
