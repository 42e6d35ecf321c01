// A set list as text: written in aligned columns, read back line by line.
#include "text/SetListText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "Korg_Kronos_Defs/SlotLayout.h"
#include "StStrL/StStrL.h"
#include "model/Plays.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

// ---- Writing

// Characters a cell takes on screen: its code points.
std::size_t Width(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

// A word of the text as a fault shows it: whole where it is short, else its start and "...", so
// that a line of a hundred thousand bytes gives a fault of one screen line.
constexpr std::size_t MostQuoted = 40;
std::string Shown(std::string_view text)
{
    return text.size() > MostQuoted ? LineText(text.substr(0, MostQuoted)) + "..." : LineText(text);
}

// A text between double quotes with a quote and a backslash escaped, for a header line.
std::string QuotedText(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : LineText(text)) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// A place that reads back as the same bits: a bank the slot type has, and a number the bank
// holds (a song's any byte).
bool WritableAsPlace(const SlotAttributes& fields)
{
    return SlotBankClassOf(fields.SlotType, fields.Bank) != SlotBankClass::NoBank &&
           (SlotTypeOf(fields) == SlotType::Song || fields.Number < RecordsPerBank);
}

}   // namespace

std::string SlotPlaysCell(const SlotAttributes& fields)
{
    std::string kind = WritableAsPlace(fields) ? SlotTypeText(SlotTypeOf(fields)) : "Raw";
    kind.resize(6, ' ');
    if (WritableAsPlace(fields))
        return kind + PlaceText(TargetOf(fields));
    return kind + std::to_string(static_cast<unsigned>(fields.SlotType)) + ":" + std::to_string(fields.Bank) + ":" +
           Pad3(fields.Number);
}

namespace {

struct Row {
    std::vector<std::string> cells;   // name, plays, the text's columns, from, comment
};
constexpr std::size_t RightAlignedFrom = 3;                       // the columns after colour
constexpr std::size_t NumberCells = 2 + std::size(TextColumns);   // cells before from

std::array<std::string, NumberCells> Heads()
{
    std::array<std::string, NumberCells> heads{"# name", "plays"};
    for (std::size_t c = 0; c < std::size(TextColumns); ++c)
        heads[2 + c] = SlotSettingOf(TextColumns[c])->tile;
    return heads;
}

// The first line: a check of the text after it.
constexpr std::string_view CheckHead = "# Written by scry, check ";
constexpr std::string_view CheckTail = ": scry setlist writes over this text only while nobody has edited it.\n";

std::string Aligned(const std::array<std::size_t, NumberCells>& widths, const Row& row)
{
    std::string line;
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
        const std::string& cell = row.cells[c];
        if (c > 0)
            line += "  ";
        if (c >= NumberCells) {
            line += cell;
            continue;
        }
        const std::string pad(widths[c] - std::min(widths[c], Width(cell)), ' ');
        line += c >= RightAlignedFrom ? pad + cell : cell + (c + 1 < row.cells.size() ? pad : "");
    }
    return line + "\n";
}

// ---- Reading

struct Token {
    std::string text;   // a quoted token: its bytes in ISO 8859-1, escapes undone
    bool quoted;
};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One UTF-8 character from text at i, as a code point; -1 where the bytes are no UTF-8.
long NextCodePoint(std::string_view text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (more < 0 || i + static_cast<std::size_t>(more) > text.size())
        return -1;
    long code = lead & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        const auto next = static_cast<unsigned char>(text[i++]);
        if ((next & 0xC0u) != 0x80u)
            return -1;
        code = (code << 6) | (next & 0x3F);
    }
    constexpr long Least[4] = {0, 0x80, 0x800, 0x10000};
    return code < Least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? -1 : code;
}

std::string Hex4(long code)
{
    std::string hex;
    for (int shift = code > 0xFFFF ? 16 : 12; shift >= 0; shift -= 4)
        hex += "0123456789ABCDEF"[(code >> shift) & 0xF];
    return hex;
}

// The UTF-8 character of text at i, appended to bytes in ISO 8859-1; false with a fault where the
// bytes are no UTF-8 (notUtf8) or the character is no Latin-1.
bool AppendLatin1(std::string_view text, std::size_t& i, std::string& bytes, std::string& fault, const char* notUtf8)
{
    const std::size_t at = i;
    const long code = NextCodePoint(text, i);
    if (code < 0) {
        fault = notUtf8;
        return false;
    }
    if (code > 0xFF) {
        fault = "'" + std::string(text.substr(at, i - at)) + "' (U+" + Hex4(code) +
                ") cannot be written in a name: names are ISO 8859-1 (Latin-1)";
        return false;
    }
    bytes += static_cast<char>(code);
    return true;
}

// A quoted token from line at i (on its opening quote), in ISO 8859-1. False with a fault where
// it cannot be one.
bool QuotedToken(std::string_view line, std::size_t& i, std::string& bytes, std::string& fault)
{
    ++i;
    while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\') {
            if (i + 1 >= line.size())
                break;
            const char what = line[i + 1];
            if (what == '"' || what == '\\') {
                bytes += what;
                i += 2;
            } else if (what == 'x' && i + 3 < line.size() && HexValue(line[i + 2]) >= 0 && HexValue(line[i + 3]) >= 0) {
                bytes += static_cast<char>(HexValue(line[i + 2]) * 16 + HexValue(line[i + 3]));
                i += 4;
            } else {
                fault = "unknown escape '\\" + LineText(std::string(1, what)) +
                        "' in a name (\\\", \\\\ and \\xNN are known)";
                return false;
            }
            continue;
        }
        if (!AppendLatin1(line, i, bytes, fault, "a name that is not UTF-8 (save the text as UTF-8)"))
            return false;
    }
    if (i >= line.size()) {
        fault = "a name without its closing quote";
        return false;
    }
    ++i;
    return true;
}

// The tokens of a line up to its comment.
bool Tokens(std::string_view line, std::vector<Token>& tokens, std::string& fault)
{
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size() || line[i] == '#')
            return true;
        Token token{{}, line[i] == '"'};
        // An editor's "smart" quotes in place of straight ones: said as such.
        if (line.substr(i, 2) == "\xE2\x80" && i + 2 < line.size() &&
            (line[i + 2] == '\x9C' || line[i + 2] == '\x9D' || line[i + 2] == '\x98' || line[i + 2] == '\x99')) {
            fault = "curly quotes (\xE2\x80\x9C \xE2\x80\x9D) around a name: a name goes between straight double "
                    "quotes (\"); turn off your editor's smart quotes";
            return false;
        }
        if (token.quoted) {
            if (!QuotedToken(line, i, token.text, fault))
                return false;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#' && line[i] != '"')
                token.text += line[i++];
        }
        tokens.push_back(std::move(token));
    }
}

// A decimal number up to max.
bool Number(std::string_view text, unsigned max, unsigned& value)
{
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    value = static_cast<unsigned>(std::stoul(std::string(text)));
    return value <= max;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A setting's value; a fault where it is no number or out of range.
bool Setting(const Token& token, const char* what, unsigned max, std::uint8_t& value, std::string& fault)
{
    const std::string& text = token.text;
    if (token.quoted || text.empty() ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        fault = std::string(what) + " '" + Shown(text) + "' is no number";
        return false;
    }
    unsigned number = 0;
    if (!Number(text, max, number)) {
        fault = std::string(what) + " " + Shown(text) + " is out of range (0 to " + std::to_string(max) + ")";
        return false;
    }
    value = static_cast<std::uint8_t>(number);
    return true;
}

bool ColorOf(const Token& token, std::uint8_t& color, std::string& fault)
{
    const std::string word = Lower(token.text);
    for (std::size_t c = 0; c < std::size(ColorNames); ++c)
        if (word == ColorNames[c]) {
            color = static_cast<std::uint8_t>(c);
            return true;
        }
    if (!token.text.empty() && std::isdigit(static_cast<unsigned char>(token.text[0])))
        return Setting(token, "color", SlotFieldMax(SlotField::Color), color, fault);
    std::string names;
    for (const char* name : ColorNames)
        names += std::string(names.empty() ? "" : ", ") + name;
    fault = "color '" + Shown(token.text) + "' is neither 0 to 15 nor a color (" + names + ")";
    return false;
}

// A token between quotes, as Shown shows it.
std::string Excerpt(std::string_view text, bool latin1)
{
    const std::string_view start = text.substr(0, MostQuoted);
    std::string out = latin1 ? Quoted(start) : "\"" + LineText(start) + "\"";
    if (text.size() > MostQuoted)
        out += "...";
    return out;
}

bool NameOf(const Token& token, std::string& name, std::string& fault)
{
    if (!token.quoted) {
        fault = "a name goes between double quotes: " + Excerpt(token.text, false);
        return false;
    }
    if (token.text.size() > NameSize) {
        fault = "name " + Excerpt(token.text, true) + " is " + std::to_string(token.text.size()) +
                " bytes long; a name holds " + std::to_string(NameSize);
        return false;
    }
    if (token.text.find('\0') != std::string::npos) {
        fault = "a name cannot hold \\x00";
        return false;
    }
    name = token.text;
    return true;
}

// Kind and place: "Prog" "I-A000", "Raw" "3:31:012".
bool PlaysOf(const Token& kind, const Token& place, SlotAttributes& fields, std::string& fault)
{
    const std::string word = Lower(kind.text);
    if (word == "raw") {
        unsigned type = 0, bank = 0, number = 0;
        const std::string& text = place.text;
        const std::size_t a = text.find(':'), b = a == std::string::npos ? a : text.find(':', a + 1);
        if (b == std::string::npos || !Number(std::string_view(text).substr(0, a), 3, type) ||
            !Number(std::string_view(text).substr(a + 1, b - a - 1), 31, bank) ||
            !Number(std::string_view(text).substr(b + 1), 255, number)) {
            fault = "Raw place '" + Shown(text) + "' is not TYPE:BANK:NUMBER (0 to 3, 0 to 31, 0 to 255)";
            return false;
        }
        fields.SlotType = static_cast<std::uint8_t>(type);
        fields.Bank = static_cast<std::uint8_t>(bank);
        fields.Number = static_cast<std::uint8_t>(number);
        return true;
    }
    for (const SlotType type : {SlotType::Prog, SlotType::Combi, SlotType::Song}) {
        if (word != Lower(SlotTypeText(type)))
            continue;
        fields.SlotType = static_cast<std::uint8_t>(type);
        if (!PlaceOf(type, place.text, fields.Bank, fields.Number)) {
            fault = "unknown place '" + Shown(place.text) + "' for " + SlotTypeText(type) +
                    (type == SlotType::Prog    ? " (I-A000 to I-F127, U-A000 to U-G127, U-AA000 to U-GG127, GM, GMd)"
                     : type == SlotType::Combi ? " (I-A000 to I-G127, U-A000 to U-G127)"
                                               : " (S-000 to S-255)");
            return false;
        }
        if (type != SlotType::Song && fields.Number >= RecordsPerBank) {
            fault = "place " + Shown(place.text) + " is out of range: a bank holds 000 to 127";
            return false;
        }
        return true;
    }
    fault = "unknown kind '" + Shown(kind.text) + "' (Prog, Combi, Song or Raw)";
    return false;
}

bool FromOf(const Token& word, const Token& key, SlotLine& slot, std::string& fault)
{
    if (Lower(word.text) != "from" || word.quoted) {
        fault = "'from SSS/JJJ' expected after kbd, not '" + Shown(word.text) + "'";
        return false;
    }
    const std::size_t slash = key.text.find('/');
    unsigned list = 0, place = 0;
    if (slash == std::string::npos || !Number(std::string_view(key.text).substr(0, slash), 0xFFFFFFFFu, list) ||
        !Number(std::string_view(key.text).substr(slash + 1), 0xFFFFFFFFu, place)) {
        fault = "from '" + Shown(key.text) + "' is not SSS/JJJ (a set list and a slot)";
        return false;
    }
    if (list >= SlotsPerSetList || place >= SlotsPerSetList) {
        fault = "from " + Shown(key.text) + ": no such slot (set lists and slots are 000 to 127)";
        return false;
    }
    slot.fromSetList = list;
    slot.fromSlot = place;
    return true;
}

constexpr std::size_t SlotTokens = 3 + std::size(TextColumns) + 2;

bool SlotLineOf(const std::vector<Token>& t, SlotLine& slot, std::string& fault, FaultPlace& place)
{
    // A line without 'from' is a new song, a slot made anew; one with it carries that slot's bytes.
    slot.anew = t.size() == SlotTokens - 2 && Lower(t[t.size() - 2].text) != "from";
    if (t.size() != SlotTokens && !slot.anew) {
        fault = "a slot line is a name, what it plays (kind and place), color, volume, hold, font, transpose, kbd "
                "and, where it carries another slot's bytes, 'from SSS/JJJ': " +
                std::to_string(t.size()) + " fields found, " + std::to_string(SlotTokens - 2) + " or " +
                std::to_string(SlotTokens) + " expected";
        return false;
    }
    SlotAttributes& f = slot.fields;
    place.part = LinePart::Name;
    if (!NameOf(t[0], slot.name, fault))
        return false;
    place.part = LinePart::Plays;
    if (!PlaysOf(t[1], t[2], f, fault))
        return false;
    place.part = LinePart::Setting;
    for (std::size_t c = 0; c < std::size(TextColumns); ++c) {
        const SlotField field = TextColumns[c];
        place.field = field;
        std::uint8_t& value = f.*LayoutOf(field).member;
        const bool read = field == SlotField::Color
                              ? ColorOf(t[3 + c], value, fault)
                              : Setting(t[3 + c], SlotSettingOf(field)->word, SlotFieldMax(field), value, fault);
        if (!read)
            return false;
    }
    if (slot.anew)
        return true;
    place.part = LinePart::From;
    return FromOf(t[3 + std::size(TextColumns)], t[4 + std::size(TextColumns)], slot, fault);
}

// Every line but a slot line: false with a fault for one that cannot be taken.
bool HeaderLine(const std::vector<Token>& t, std::size_t line, SetListText& text, std::string& fault)
{
    const std::string word = Lower(t[0].text);
    if (word == "setlist") {
        text.setListLineTried = true;
        unsigned number = 0;
        if (text.numberLine != 0) {
            fault = "a second setlist line (the first is line " + std::to_string(text.numberLine) + ")";
            return false;
        }
        if (t.size() != 3 || t[1].quoted || !t[2].quoted) {
            fault = "setlist N \"name\" expected";
            return false;
        }
        if (!Number(t[1].text, 0xFFFFFFFFu, number) || number >= RecordsPerBank) {
            fault = "set list '" + Shown(t[1].text) + "' is out of range (000 to 127)";
            return false;
        }
        if (!NameOf(t[2], text.name, fault))
            return false;
        text.number = number;
        text.numberLine = line;
        return true;
    }
    if (word == "fingerprint") {
        if (text.fingerprintLine != 0) {
            fault = "a second fingerprint line (the first is line " + std::to_string(text.fingerprintLine) + ")";
            return false;
        }
        if (t.size() != 2 || t[1].text.size() != 8 ||
            !std::all_of(t[1].text.begin(), t[1].text.end(), [](char c) { return HexValue(c) >= 0; })) {
            fault = "fingerprint expects eight hexadecimal digits";
            return false;
        }
        text.hasFingerprint = true;
        text.fingerprint = static_cast<std::uint32_t>(std::stoul(t[1].text, nullptr, 16));
        text.fingerprintLine = line;
        return true;
    }
    fault = "unknown line: a slot (a quoted name first), unused, setlist, fingerprint or file expected";
    return false;
}

}   // namespace

std::uint32_t SetListFingerprint(std::string_view bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return Crc32RunFinish(Crc32RunFeed(Crc32RunStart, data, bytes.size()), bytes.size());
}

// What transpose and kbd allow together, as the values that fit (they share bits of the slot):
// "kbd 0 and 8 go with any tr; another kbd sets part of tr too, so only some fit (with kbd 9:
// tr 1, 3, 5 or 7)."
std::string TransposeAndKbdText()
{
    const auto fits = [](unsigned tr, unsigned kbd) {
        SlotAttributes wanted{};
        wanted.Transpose = static_cast<std::uint8_t>(tr);
        wanted.Kbd_Track = static_cast<std::uint8_t>(kbd);
        return SlotValueWritable(wanted, SlotField::Kbd_Track, kbd);
    };
    std::vector<unsigned> free, withNine;
    for (unsigned kbd = 0; kbd <= SlotFieldMax(SlotField::Kbd_Track); ++kbd) {
        bool any = true;
        for (unsigned tr = 0; tr <= SlotFieldMax(SlotField::Transpose); ++tr)
            any = any && fits(tr, kbd);
        if (any)
            free.push_back(kbd);
    }
    for (unsigned tr = 0; tr <= SlotFieldMax(SlotField::Transpose); ++tr)
        if (fits(tr, 9))
            withNine.push_back(tr);
    return "kbd " + ValuesText(free, " and ") +
           " go with\n# any tr; another kbd sets part of tr too, so only some fit " + "(with kbd 9: tr " +
           ValuesText(withNine, " or ") + ").";
}

std::string SetListTextOf(const FileModel& file, const SetListView& at, std::uint32_t fingerprint)
{
    const SetList& list = *at.list;
    const std::size_t number = at.number;
    const std::string key = Pad3(static_cast<unsigned>(number));
    std::string text = "# Set list " + key + " of " + QuotedText(SourceName(file.name)) +
                       ", as text. Edit it, then write a new file with\n"
                       "#   scry apply FILE THIS-TEXT -o NEW.PCG\n"
                       "# A line is a slot, in order from 000: move, copy or delete lines to rearrange the gig;\n"
                       "# \"unused\" keeps a place empty. Columns: the slot's name (24 bytes of Latin-1); what it\n"
                       "# plays (Prog, Combi or Song and a place: I-A000, U-AA127, GM005, S-003); its color; vol,\n"
                       "# its volume, and hold, its hold time (0 to 255); font, its font size (0 to 3); tr, its\n"
                       "# transpose (0 to 7); kbd, its keyboard track (0 to 15). " +
                       TransposeAndKbdText() +
                       "\n# A line carries the bytes of the slot after \"from\", of any set list of the file; a line\n"
                       "# without \"from\" is a new song, made from an unused slot's bytes (all zero).\n"
                       "# Colors:";
    for (std::size_t c = 0; c < std::size(ColorNames); ++c)
        text += " " + std::to_string(c) + " " + ColorNames[c] +
                (c + 1 == std::size(ColorNames) ? "\n"
                 : c == 7                       ? ",\n#        "
                                                : ",");
    text += "file         " + QuotedText(SourceName(file.name)) + "\n";
    text += "setlist      " + key + " " + Quoted(list.name) + "\n";
    text += "fingerprint  " + HexLong(fingerprint) + "\n\n";

    std::size_t end = list.slots.size();
    while (end > 0 && !list.slots[end - 1].used)
        --end;
    std::vector<Row> rows;
    const std::array<std::string, NumberCells> heads = Heads();
    rows.push_back({std::vector<std::string>(heads.begin(), heads.end())});
    for (std::size_t j = 0; j < end; ++j) {
        const Slot& slot = list.slots[j];
        if (!slot.used) {
            rows.push_back({{"unused"}});
            continue;
        }
        const SlotAttributes& f = slot.fields;
        const Plays plays = SlotPlays(file, slot);
        Row row{{Quoted(slot.name), SlotPlaysCell(f)}};
        for (const SlotField field : TextColumns) {
            const unsigned value = f.*LayoutOf(field).member;
            row.cells.push_back(field == SlotField::Color ? ColorNames[value & 15u] : std::to_string(value));
        }
        row.cells.push_back("from " + SlotKey(number, j));
        row.cells.push_back("# " + (plays.record != nullptr ? LineName(plays.record->name)
                                                            : std::string(ResolutionNote(plays.resolution))));
        rows.push_back(std::move(row));
    }
    std::array<std::size_t, NumberCells> widths{};
    for (const Row& row : rows)
        if (row.cells.size() > 1)
            for (std::size_t c = 0; c < NumberCells; ++c)
                widths[c] = std::max(widths[c], Width(row.cells[c]));
    for (const Row& row : rows)
        text += Aligned(widths, row);
    return std::string(CheckHead) + HexLong(SetListFingerprint(text)) + std::string(CheckTail) + text;
}

bool IsUneditedText(std::string_view text)
{
    const std::size_t checkAt = CheckHead.size();
    if (text.substr(0, checkAt) != CheckHead || text.size() < checkAt + 8 + CheckTail.size() ||
        text.substr(checkAt + 8, CheckTail.size()) != CheckTail)
        return false;
    const std::string_view rest = text.substr(checkAt + 8 + CheckTail.size());
    return std::string(text.substr(checkAt, 8)) == HexLong(SetListFingerprint(rest));
}

namespace {

// What a text that is no text is, from its first bytes: nullptr for a text.
const char* NotText(std::string_view text)
{
    const auto starts = [&](std::string_view head) { return text.substr(0, head.size()) == head; };
    if (starts("%PDF-"))
        return "a PDF file";
    if (starts("\x89PNG") || starts("\xFF\xD8\xFF") || starts("GIF8") || starts("II*") || starts("MM\0*"))
        return "an image";
    if (starts("PK\x03\x04"))
        return "a zip file (a word processor's document, say)";
    if (starts("{\\rtf"))
        return "a rich-text document";
    if (starts("\xFF\xFE") || starts("\xFE\xFF"))
        return "UTF-16 text";
    const std::string_view head = text.substr(0, 4096);
    const std::size_t nul = head.find('\0');
    if (nul == std::string_view::npos)
        return nullptr;
    // UTF-16 without its mark: every other byte zero in a text of ASCII letters.
    return head.size() >= 2 && (head[0] == '\0' || head[1] == '\0') ? "UTF-16 text" : "binary bytes";
}

}   // namespace

namespace {

// A name typed in UTF-8, as a quoted token holds it (ISO 8859-1); false with the fault a text's
// quoted name of those characters would have.
bool Latin1Token(std::string_view utf8, Token& token, std::string& fault)
{
    token = {{}, true};
    for (std::size_t i = 0; i < utf8.size();)
        if (!AppendLatin1(utf8, i, token.text, fault, "a name that is not UTF-8"))
            return false;
    return true;
}

// A slot's values as the tokens of its line, so that they pass the very checks a line passes.
bool SlotTokensOf(const SlotValues& values, std::vector<Token>& tokens, std::string& fault, FaultPlace& place)
{
    Token name;
    place.part = LinePart::Name;
    if (!Latin1Token(values.name, name, fault))
        return false;
    tokens.push_back(std::move(name));
    const std::size_t kind = values.plays.find_first_not_of(" \t");
    const std::size_t gap = values.plays.find_first_of(" \t", kind);
    const std::size_t where = values.plays.find_first_not_of(" \t", gap);
    if (kind == std::string::npos || where == std::string::npos ||
        values.plays.find_first_of(" \t", where) != std::string::npos) {
        place.part = LinePart::Plays;
        fault = "what a slot plays is a kind and a place (Prog I-A000), not '" + Shown(values.plays) + "'";
        return false;
    }
    tokens.push_back({values.plays.substr(kind, gap - kind), false});
    tokens.push_back({values.plays.substr(where), false});
    for (const SlotField field : TextColumns)
        tokens.push_back({std::to_string(values.settings[static_cast<std::size_t>(field)]), false});
    if (values.anew)
        return true;
    tokens.push_back({"from", false});
    const auto number = [](std::int64_t n) {
        return n >= 0 && n < 1000 ? Pad3(static_cast<unsigned>(n)) : std::to_string(n);
    };
    tokens.push_back({number(values.fromSetList) + "/" + number(values.fromSlot), false});
    return true;
}

}   // namespace

SetListText SetListOfValues(const SetListValues& values, std::vector<TextFault>& faults)
{
    SetListText result;
    std::string fault;
    Token name;
    if (values.number < 0 || values.number >= static_cast<std::int64_t>(RecordsPerBank))
        faults.push_back({0, "set list '" + std::to_string(values.number) + "' is out of range (000 to 127)"});
    else if (!Latin1Token(values.name, name, fault) || !NameOf(name, result.name, fault))
        faults.push_back({0, fault, {std::nullopt, LinePart::Name}});
    else
        result.number = static_cast<std::size_t>(values.number), result.numberLine = 1;
    result.setListLineTried = true;
    const std::vector<Token> fingerprint = {{"fingerprint", false}, {values.fingerprint, false}};
    if (!HeaderLine(fingerprint, 0, result, fault))
        faults.push_back({0, fault});
    if (values.slots.size() > SlotsPerSetList)
        faults.push_back({0, "more than 128 slots: a set list holds 128"});
    for (std::size_t j = 0; j < values.slots.size() && j < SlotsPerSetList; ++j) {
        const SlotValues& given = values.slots[j];
        SlotLine slot{0, !given.used, {}, {}, 0, 0};
        FaultPlace where{j};
        std::vector<Token> tokens;
        if (given.used && !(SlotTokensOf(given, tokens, fault, where) && SlotLineOf(tokens, slot, fault, where)))
            faults.push_back({0, fault, where});
        else
            result.slots.push_back(std::move(slot));
    }
    return result;
}

bool WrittenFrom(const SetListText& text, std::string_view name)
{
    return text.fileLine == 0 || text.file == QuotedText(SourceName(name));
}

SetListText ReadSetListText(std::string_view text, std::vector<TextFault>& faults)
{
    SetListText result;
    const std::size_t faultsBefore = faults.size();
    std::size_t slotLines = 0;   // slot lines met, taken or not
    if (const char* kind = NotText(text)) {
        TextFault fault{0, std::string("this is ") + kind +
                               ", not the text of a set list; scry setlist writes one, "
                               "and an editor saves it as plain text in UTF-8"};
        fault.wholeText = true;
        faults.push_back(std::move(fault));
        return result;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    // Lines ended by CR alone (as some old editors save them) are read as lines.
    std::string crOnly;
    if (text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos) {
        crOnly.assign(text);
        std::replace(crOnly.begin(), crOnly.end(), '\r', '\n');
        text = crOnly;
    }
    std::size_t line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        std::string_view content = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);

        std::vector<Token> tokens;
        std::string fault;
        // A file line says where the text came from; it is not read, whatever its bytes.
        const std::size_t first = content.find_first_not_of(" \t");
        if (first != std::string_view::npos) {
            const std::size_t after = content.find_first_of(" \t", first);
            const std::string_view word = content.substr(first, after - first);
            if (Lower(std::string(word)) == "file") {
                // Kept as it stands, to name where the text came from when it is applied elsewhere.
                const std::size_t from =
                    content.find_first_not_of(" \t", after == std::string_view::npos ? content.size() : after);
                result.fileLine = line;
                result.file = from == std::string_view::npos ? std::string() : std::string(content.substr(from));
                continue;
            }
        }
        if (!Tokens(content, tokens, fault)) {
            faults.push_back({line, fault});
            continue;
        }
        if (tokens.empty())
            continue;
        const bool slotLine = tokens[0].quoted || Lower(tokens[0].text) == "unused";
        if (!slotLine) {
            if (!HeaderLine(tokens, line, result, fault))
                faults.push_back({line, fault});
            continue;
        }
        // A slot line writes the slot of its place among the slot lines, taken or not.
        const std::size_t place = slotLines++;
        if (result.slots.size() == SlotsPerSetList) {
            faults.push_back({line, "more than 128 slots: a set list holds 128"});
            continue;
        }
        SlotLine slot{line, !tokens[0].quoted, {}, {}, 0, 0};
        FaultPlace where;
        if (place < SlotsPerSetList)
            where.slot = place;
        if (slot.unused && tokens.size() != 1)
            faults.push_back({line, "unused takes nothing after it", where});
        else if (!slot.unused && !SlotLineOf(tokens, slot, fault, where))
            faults.push_back({line, fault, where});
        else
            result.slots.push_back(std::move(slot));
    }
    // A setlist line that could not be taken has said why already. A text of which no line is a
    // set list's (a letter, notes) is said once, as a whole.
    if (result.numberLine == 0 && !result.setListLineTried && result.fingerprintLine == 0 && result.fileLine == 0 &&
        slotLines == 0) {
        faults.erase(faults.begin() + static_cast<std::ptrdiff_t>(faultsBefore), faults.end());
        TextFault fault{0, "no line of it is a line of a set list's text; scry setlist writes one"};
        fault.wholeText = true;
        faults.push_back(std::move(fault));
    } else if (result.numberLine == 0 && !result.setListLineTried) {
        faults.push_back({0, "no 'setlist N \"name\"' line"});
    }
    return result;
}

namespace {

// Why a line's value of field cannot be written with its other values: the field it shares bits
// with, and the values that can be written with it (in values, never bit numbers).
std::string WhyNotWritable(const SlotAttributes& wanted, SlotField field)
{
    const SlotSetting& setting = *SlotSettingOf(field);
    const unsigned value = wanted.*LayoutOf(field).member;
    std::string why = std::string(setting.word) + " " + std::to_string(value) + " cannot be written";
    for (const SlotFieldLayout& other : SlotLayout) {
        if (!SlotFieldsShareBits(field, other.field) || SlotSettingOf(other.field) == nullptr)
            continue;
        why += " while " + std::string(SlotSettingOf(other.field)->word) + " is " +
               std::to_string(wanted.*other.member) + " (the two share bits of the slot)";
        break;
    }
    std::vector<unsigned> can;
    for (unsigned v = 0; v <= SlotFieldMax(field); ++v)
        if (SlotValueWritable(wanted, field, v))
            can.push_back(v);
    why += "; " + std::string(setting.word) + " can be " + ValuesText(can, " or ");
    return why;
}

}   // namespace

std::string FaultReason(const TextFault& fault)
{
    const ApplyFaultData& data = fault.data;
    const std::string number = Pad3(static_cast<unsigned>(data.setList));
    const std::string from = "from " + SlotKey(data.setList, data.slot) + ": ";
    switch (fault.kind) {
    case ApplyFaultKind::None: break;
    case ApplyFaultKind::NotWritable: return WhyNotWritable(data.wanted, fault.place.field);
    case ApplyFaultKind::NotTogether: return "the slot's settings cannot be written together";
    case ApplyFaultKind::NoFromSetList: return from + "the file holds no such set list";
    case ApplyFaultKind::FromSlotUnused: return from + "that slot is unused, there are no bytes to carry";
    case ApplyFaultKind::VolumeAbove127:
        return "volume " + std::to_string(data.value) + " is above 127; written as asked";
    case ApplyFaultKind::GivenTwice:
        return "set list " + number + " is given twice (also at " + SourceName(data.otherText) + ":" +
               std::to_string(data.otherLine) + ")";
    case ApplyFaultKind::NoSuchSetList: return "the file holds no set list " + number;
    case ApplyFaultKind::NoFingerprint:
        return "no fingerprint line; export the set list again, or apply with --ignore-fingerprint";
    case ApplyFaultKind::SetListChanged: {
        // A text written from another file says so by its file line: name it.
        const std::string elsewhere = data.namesOtherFile
                                          ? "; its file line (line " + std::to_string(data.fileLine) + ") names " +
                                                LineText(data.textFile) + ", not " + SourceName(data.file)
                                          : "";
        return "set list " + number + " has changed in " + SourceName(data.file) +
               " since this text was written (fingerprint " + HexLong(data.fingerprint) + ", now " + HexLong(data.now) +
               ")" + elsewhere + "; export it again, or apply with --ignore-fingerprint";
    }
    case ApplyFaultKind::NewSlotEmpty: {
        // What all-zero bytes play, as a line says it with one blank between kind and place.
        std::string plays = SlotPlaysCell(SlotAttributes{});
        plays.erase(std::unique(plays.begin(), plays.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
                    plays.end());
        return "a new song with no name that plays " + plays +
               " with every setting 0 is all zero bytes, as an unused slot is; give it a name";
    }
    }
    return fault.reason;
}

std::string FaultLine(const std::string& textName, const TextFault& fault)
{
    std::string line = SourceName(textName);
    if (fault.line != 0) {
        line += ':';
        line += std::to_string(fault.line);
    }
    line += ": ";
    return line + FaultReason(fault);
}

}   // namespace scry
