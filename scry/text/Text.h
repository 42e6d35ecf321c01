// How scry shows what it reads. Record names are bytes of ISO 8859-1, shown as UTF-8; file
// names (bytes of the command line) and scry's own texts are shown as they are. Line-based
// outputs escape whatever would break a line or reach a terminal as a command.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace scry {

// Where a long text goes while it is made: handed the text as it grows, at the end of each part
// (a set list, a bank), to hand on and empty where it holds enough.
using TextPart = std::function<void(std::string&)>;

// Bytes of ISO 8859-1 as UTF-8.
std::string Utf8(std::string_view latin1);
// A record name for a line: UTF-8, with the C0 and C1 controls and DEL as \xNN, a backslash as
// \\ and a double quote as \", so that a record stays on one line, a quoted name ends at its
// own quote, and nothing in a name reaches a terminal as a command.
std::string LineName(std::string_view latin1);
// LineName between double quotes.
std::string Quoted(std::string_view latin1);
// The same, appended to out: lines of many records built without a text of their own each.
void AppendLineName(std::string& out, std::string_view latin1);
void AppendQuoted(std::string& out, std::string_view latin1);
// A text that is UTF-8 already, or bytes of the command line (a file name): kept as it is, but
// for the C0 controls and DEL (\xNN), the C1 controls U+0080 to U+009F (\u0080 to \u009F) and
// every byte that is no part of UTF-8 (\xNN: a raw 0x9B starts a command on some terminals).
std::string LineText(std::string_view text);

// Whether bytes are UTF-8 throughout.
bool IsUtf8(std::string_view bytes);
// A file name for JSON, whose strings are UTF-8: the name where it is UTF-8 (escaped set false);
// else, so that its bytes can be had back, every backslash doubled and every byte that is no part
// of UTF-8 as \xNN, as git quotes such paths (escaped set true).
std::string JsonFileName(std::string_view name, bool& escaped);

// A command's input as messages name it: "standard input" for "-", else its name as LineText shows it.
std::string SourceName(std::string_view name);

// "%03u"
std::string Pad3(unsigned value);
// "%03u" and "%u", appended.
void AppendPad3(std::string& out, unsigned value);
void AppendDecimal(std::string& out, std::uint64_t value);
// "%08X", appended: a fingerprint.
void AppendHex8(std::string& out, std::uint32_t value);

}   // namespace scry
