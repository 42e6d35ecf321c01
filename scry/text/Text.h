// How scry shows what it reads. Record names are bytes of ISO 8859-1, shown as UTF-8; file
// names (bytes of the command line) and scry's own texts are shown as they are. Line-based
// outputs escape whatever would break a line or reach a terminal as a command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scry {

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
// for the C0 controls and DEL (\xNN) and the C1 controls U+0080 to U+009F (\u0080 to \u009F).
std::string LineText(std::string_view text);

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
