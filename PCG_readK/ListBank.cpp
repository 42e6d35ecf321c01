// Report and CSV lines for set lists, slots, programs and combinations.
#include "PCG_readK/ListBank.h"

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Output.h"
#include "PCG_readK/PCG_readK.h"
#include "StStrL/LineFormat.h"

namespace {

constexpr std::size_t EqOffset = 69400;   // 16-byte EQ block at the end of a set list
constexpr std::size_t EqSize = 16;
constexpr std::size_t PackedOffset = 24;   // packed attributes after a slot's name

// Lines stay far below this: two names of 24, a bank text of at most 40, numbers.
constexpr std::size_t LineCapacity = 512;

constexpr const char* TypeTexts[4] = {"Combi", " Prog", " Song", "Type3"};

const char* AsText(const std::uint8_t* bytes) { return reinterpret_cast<const char*>(bytes); }

// "\"%24s\"" of a name field.
char* PutQuotedName(char* out, const std::uint8_t* field)
{
    *out++ = '"';
    out = PutRight(out, AsText(field), NameLength(field), NameSize);
    *out++ = '"';
    return out;
}

// A name as the CSV shows it: commas become "_", an empty name a single blank.
char* PutCsvName(char* out, const std::uint8_t* field)
{
    const std::size_t length = NameLength(field);
    if (length == 0) {
        *out++ = ' ';
        return out;
    }
    for (std::size_t i = 0; i < length; ++i)
        *out++ = field[i] == ',' ? '_' : static_cast<char>(field[i]);
    return out;
}

char* PutLineEnd(char* out) { return PutLiteral(out, "\r\n"); }

void ListSetLists(const std::uint8_t* data)
{
    char line[LineCapacity];
    for (std::size_t i = 0; i < RecordsPerBank; ++i) {
        const std::uint8_t* setList = data + SetListSize * i;
        char* out = PutLiteral(line, "SETLIST ");
        out = PutDec(out, i, 3);
        *out++ = ' ';
        out = PutQuotedName(out, setList);
        // The set-list part "SETLIST nnn "name"" starts every line of this set list.
        const std::size_t headLength = static_cast<std::size_t>(out - line);
        out = PutLiteral(out, " EQ: ");
        out = PutHex(out, Crc32Of(setList + EqOffset, EqSize), 8);
        out = PutLineEnd(out);
        WriteFileLine(ReportFile, ReportFileName, line, static_cast<std::size_t>(out - line));

        for (std::size_t j = 0; j < RecordsPerBank; ++j) {
            const std::uint8_t* slot = setList + NameSize + SlotSize * j;
            out = line + headLength;
            out = PutLiteral(out, " Slot ");
            out = PutDec(out, j, 3);
            *out++ = ' ';
            out = PutQuotedName(out, slot);
            *out++ = ' ';
            out = PutHex(out, Crc32Of(slot, SlotSize), 8);
            out = PutLineEnd(out);
            WriteFileLine(ReportFile, ReportFileName, line, static_cast<std::size_t>(out - line));

            const std::uint8_t* p = slot + PackedOffset;
            DecodeSlot({p[0], p[1], p[2], p[3], p[4], p[5]});
            const std::string bankText = SlotBankName(SlotInfo.SlotType, SlotInfo.Bank);
            char csv[LineCapacity];
            out = PutDec(csv, i, 3);
            *out++ = '/';
            out = PutDec(out, j);
            out = PutLiteral(out, ", ");
            out = PutCsvName(out, setList);
            *out++ = ',';
            out = PutCsvName(out, slot);
            out = PutLiteral(out, ", ");
            out = PutText(out, TypeTexts[SlotInfo.SlotType], 5);
            out = PutLiteral(out, ", ");
            out = PutText(out, bankText.data(), bankText.size());
            out = PutDec(out, SlotInfo.Number, 3);
            out = PutLiteral(out, ", Color ");
            out = PutDec(out, SlotInfo.Color);
            out = PutLiteral(out, ", Font ");
            out = PutDec(out, SlotInfo.Font);
            out = PutLiteral(out, ",  Transpose ");
            out = PutDec(out, SlotInfo.Transpose);
            out = PutLiteral(out, ", HoldTime ");
            out = PutDec(out, SlotInfo.HoldTime);
            out = PutLiteral(out, ", Volume ");
            out = PutDec(out, SlotInfo.Volume);
            out = PutLiteral(out, ", Kbd_Track ");
            out = PutDec(out, SlotInfo.Kbd_Track);
            out = PutLineEnd(out);
            WriteFileLine(SetsCsvFile, SetsCsvFileName, csv, static_cast<std::size_t>(out - csv));
        }
    }
}

// "PROGRAM %4s%3.3d \"%24s\" %8.8x" and its COMBI twin.
template <std::size_t N>
void ListRecords(const std::uint8_t* data, std::size_t recordSize, const char (&lead)[N], const std::string& bankName)
{
    char line[LineCapacity];
    for (std::size_t i = 0; i < RecordsPerBank; ++i) {
        const std::uint8_t* record = data + recordSize * i;
        char* out = PutLiteral(line, lead);
        out = PutRight(out, bankName.data(), bankName.size(), 4);
        out = PutDec(out, i, 3);
        *out++ = ' ';
        out = PutQuotedName(out, record);
        *out++ = ' ';
        out = PutHex(out, Crc32Of(record, static_cast<std::int32_t>(recordSize)), 8);
        out = PutLineEnd(out);
        WriteFileLine(ReportFile, ReportFileName, line, static_cast<std::size_t>(out - line));
    }
}

} // namespace

void ListBank(const std::uint8_t* data, ChunkKind kind, const std::string& bankName)
{
    switch (kind) {
    case 1: ListSetLists(data); break;
    case 2: ListRecords(data, ProgramSize, "PROGRAM ", bankName); break;
    case 3: ListRecords(data, CombiSize, "COMBI   ", bankName); break;
    default: break;
    }
}
