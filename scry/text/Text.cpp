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

// The length of the UTF-8 sequence at text[i], or 0 where none starts there (a stray byte, an
// overlong form, a surrogate, past U+10FFFF, or cut short).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;   // the range of the byte after the lead
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

}   // namespace

bool IsUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceAt(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string JsonFileName(std::string_view name, bool& escaped)
{
    escaped = !IsUtf8(name);
    if (!escaped)
        return std::string(name);
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceAt(name, i);
        if (length == 0) {
            PutEscaped(out, static_cast<unsigned char>(name[i++]));
        } else if (name[i] == '\\') {
            out += "\\\\";
            ++i;
        } else {
            out.append(name.substr(i, length));
            i += length;
        }
    }
    return out;
}

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
        } else if (byte < 0x80) {
            out += text[i];
        } else if (const std::size_t length = Utf8SequenceAt(text, i); length == 0) {
            PutEscaped(out, byte);   // no part of UTF-8: never handed to a terminal as it is
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080 to U+009F, the C1 controls in UTF-8: U+009B starts a terminal command.
            const auto code = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += HexDigits[code >> 4];
            out += HexDigits[code & 0xFu];
        } else {
            out.append(text.substr(i, length));
            i += length - 1;
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
