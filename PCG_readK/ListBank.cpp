// Report and CSV lines for set lists, slots, programs and combinations.
#include "PCG_readK/ListBank.h"

#include <cstring>

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

// Lines stay far below this: two names of 24, a bank text of at most 24, numbers.
constexpr std::size_t LineCapacity = 512;

// Lines are formatted straight into a block per output file; a block is written out whole
// when the next line might not fit, and at the end of every listing.
constexpr std::size_t BlockSize = std::size_t{1} << 18;

struct LineBlock {
    char data[BlockSize];
    std::size_t used;
};

LineBlock ReportBlock;
LineBlock CsvBlock;

void FlushBlock(LineBlock& block, std::FILE* file, const std::string& name)
{
    const std::size_t length = block.used;
    block.used = 0;   // a failed write loses the block with the file; nothing is carried on
    if (length != 0)
        WriteFileLine(file, name, block.data, length);
}

// Room for one more line at the end of the block.
char* LineStart(LineBlock& block, std::FILE* file, const std::string& name)
{
    if (BlockSize - block.used < LineCapacity)
        FlushBlock(block, file, name);
    return block.data + block.used;
}

void LineDone(LineBlock& block, const char* end) { block.used = static_cast<std::size_t>(end - block.data); }

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
    std::memcpy(out, field, length);
    char* const end = out + length;
    for (char* comma = out; (comma = static_cast<char*>(std::memchr(comma, ',', static_cast<std::size_t>(end - comma))));)
        *comma++ = '_';
    return end;
}

char* PutLineEnd(char* out) { return PutLiteral(out, "\r\n"); }

void ListSetLists(const std::uint8_t* data)
{
    for (std::size_t i = 0; i < RecordsPerBank; ++i) {
        const std::uint8_t* setList = data + SetListSize * i;
        // The set-list part "SETLIST nnn "name"" starts every line of this set list.
        char head[LineCapacity];
        char* out = PutLiteral(head, "SETLIST ");
        out = PutDec(out, i, 3);
        *out++ = ' ';
        out = PutQuotedName(out, setList);
        const std::size_t headLength = static_cast<std::size_t>(out - head);
        char* line = LineStart(ReportBlock, ReportFile, ReportFileName);
        out = PutText(line, head, headLength);
        out = PutLiteral(out, " EQ: ");
        out = PutHex(out, Crc32Of(setList + EqOffset, EqSize), 8);
        LineDone(ReportBlock, PutLineEnd(out));

        for (std::size_t j = 0; j < RecordsPerBank; ++j) {
            const std::uint8_t* slot = setList + NameSize + SlotSize * j;
            line = LineStart(ReportBlock, ReportFile, ReportFileName);
            out = PutText(line, head, headLength);
            out = PutLiteral(out, " Slot ");
            out = PutDec(out, j, 3);
            *out++ = ' ';
            out = PutQuotedName(out, slot);
            *out++ = ' ';
            out = PutHex(out, Crc32Of(slot, SlotSize), 8);
            LineDone(ReportBlock, PutLineEnd(out));

            const std::uint8_t* p = slot + PackedOffset;
            DecodeSlot({p[0], p[1], p[2], p[3], p[4], p[5]});
            out = PutDec(LineStart(CsvBlock, SetsCsvFile, SetsCsvFileName), i, 3);
            *out++ = '/';
            out = PutDec(out, j);
            out = PutLiteral(out, ", ");
            out = PutCsvName(out, setList);
            *out++ = ',';
            out = PutCsvName(out, slot);
            out = PutLiteral(out, ", ");
            out = PutText(out, TypeTexts[SlotInfo.SlotType], 5);
            out = PutLiteral(out, ", ");
            out = PutSlotBankName(out, SlotInfo.SlotType, SlotInfo.Bank);
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
            LineDone(CsvBlock, PutLineEnd(out));
        }
    }
}

// "PROGRAM %4s%3.3d \"%24s\" %8.8x" and its COMBI twin.
template <std::size_t N>
void ListRecords(const std::uint8_t* data, std::size_t recordSize, const char (&lead)[N], const std::string& bankName)
{
    for (std::size_t i = 0; i < RecordsPerBank; ++i) {
        const std::uint8_t* record = data + recordSize * i;
        char* out = PutLiteral(LineStart(ReportBlock, ReportFile, ReportFileName), lead);
        out = PutRight(out, bankName.data(), bankName.size(), 4);
        out = PutDec(out, i, 3);
        *out++ = ' ';
        out = PutQuotedName(out, record);
        *out++ = ' ';
        out = PutHex(out, Crc32Of(record, static_cast<std::int32_t>(recordSize)), 8);
        LineDone(ReportBlock, PutLineEnd(out));
    }
}

} // namespace

void ListBank(const std::uint8_t* data, ChunkKind kind, const std::string& bankName)
{
    ReportBlock.used = 0;
    CsvBlock.used = 0;
    switch (kind) {
    case 1: ListSetLists(data); break;
    case 2: ListRecords(data, ProgramSize, "PROGRAM ", bankName); break;
    case 3: ListRecords(data, CombiSize, "COMBI   ", bankName); break;
    default: break;
    }
    FlushBlock(ReportBlock, ReportFile, ReportFileName);
    FlushBlock(CsvBlock, SetsCsvFile, SetsCsvFileName);
}
