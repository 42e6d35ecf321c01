// Report and CSV lines for set lists, slots, programs and combinations.
#include "PCG_readK/ListBank.h"

#include <cstring>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "Output/Output.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/WalkLog.h"
#include "StStrL/LineFormat.h"

namespace {

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
    for (char* comma = out;
         (comma = static_cast<char*>(std::memchr(comma, ',', static_cast<std::size_t>(end - comma))));)
        *comma++ = '_';
    return end;
}

char* PutLineEnd(char* out) { return PutLiteral(out, "\r\n"); }

// "SETLIST %3.3d \"%24s\"": the head of every report line of set list i.
std::size_t PutSetListHead(char* head, std::size_t i, const std::uint8_t* setList)
{
    char* out = PutLiteral(head, "SETLIST ");
    out = PutDec(out, i, 3);
    *out++ = ' ';
    out = PutQuotedName(out, setList);
    return static_cast<std::size_t>(out - head);
}

// "<head> EQ: %8.8x"
void ReportEqLine(const char* head, std::size_t headLength, const std::uint8_t* setList)
{
    char* out = PutText(LineStart(ReportBlock), head, headLength);
    out = PutLiteral(out, " EQ: ");
    out = PutHex(out, Crc32Of(setList + EqOffset, EqSize), 8);
    LineDone(ReportBlock, PutLineEnd(out));
}

// "<head> Slot %3.3d \"%24s\" %8.8x"
void ReportSlotLine(const char* head, std::size_t headLength, std::size_t j, const std::uint8_t* slot)
{
    char* out = PutText(LineStart(ReportBlock), head, headLength);
    out = PutLiteral(out, " Slot ");
    out = PutDec(out, j, 3);
    *out++ = ' ';
    out = PutQuotedName(out, slot);
    *out++ = ' ';
    out = PutHex(out, Crc32Of(slot, SlotSize), 8);
    LineDone(ReportBlock, PutLineEnd(out));
}

// "%3.3d/%d, <set list>,<slot>, <type>, <bank>%3.3d, Color %d, ..." of the slot just decoded.
void CsvSlotLine(std::size_t i, std::size_t j, const std::uint8_t* setList, const std::uint8_t* slot)
{
    char* out = PutDec(LineStart(CsvBlock), i, 3);
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

// Set lists first to first + count - 1; records points at set list first.
void ListSetLists(const std::uint8_t* records, std::size_t first, std::size_t count)
{
    for (std::size_t i = first; i < first + count; ++i) {
        const std::uint8_t* setList = records + SetListSize * (i - first);
        char head[LineCapacity];
        const std::size_t headLength = PutSetListHead(head, i, setList);
        ReportEqLine(head, headLength, setList);
        for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
            const std::uint8_t* slot = setList + SlotsOffset + SlotSize * j;
            ReportSlotLine(head, headLength, j, slot);
            const std::uint8_t* p = slot + PackedSlotOffset;
            SlotInfo = DecodeSlot({p[0], p[1], p[2], p[3], p[4], p[5]});
            CsvSlotLine(i, j, setList, slot);
        }
    }
}

// "PROGRAM %4s%3.3d \"%24s\" %8.8x" and its COMBI twin.
template <std::size_t N>
void ListRecords(const std::uint8_t* records, std::size_t first, std::size_t count, std::size_t recordSize,
                 const char (&lead)[N], const std::string& bankName)
{
    for (std::size_t i = first; i < first + count; ++i) {
        const std::uint8_t* record = records + recordSize * (i - first);
        char* out = PutLiteral(LineStart(ReportBlock), lead);
        out = PutRight(out, bankName.data(), bankName.size(), 4);
        out = PutDec(out, i, 3);
        *out++ = ' ';
        out = PutQuotedName(out, record);
        *out++ = ' ';
        out = PutHex(out, Crc32Of(record, static_cast<std::int32_t>(recordSize)), 8);
        LineDone(ReportBlock, PutLineEnd(out));
    }
}

}   // namespace

void ListBankPart(const std::uint8_t* records, std::size_t first, std::size_t count, ChunkKind kind,
                  const std::string& bankName)
{
    if (first == 0) {
        ReportBlock.used = 0;
        CsvBlock.used = 0;
    }
    switch (kind) {
    case Kind::SLS1: ListSetLists(records, first, count); break;
    case Kind::PRG1: ListRecords(records, first, count, ProgramSize, "PROGRAM ", bankName); break;
    case Kind::CMB1: ListRecords(records, first, count, CombiSize, "COMBI   ", bankName); break;
    default: break;
    }
    if (first + count == RecordsPerBank) {
        WriteBlock(ReportBlock);
        WriteBlock(CsvBlock);
    }
}

void ListBank(const std::uint8_t* data, ChunkKind kind, const std::string& bankName)
{
    ListBankPart(data, 0, RecordsPerBank, kind, bankName);
}

namespace {

void ListBankMet(void* /*context*/, const BankMet& bank)
{
    ListBankPart(bank.records, bank.first, bank.count, bank.kind, bank.bankName);
}

void LogNote(void* /*context*/, const WalkNote& note) { LogWalkNote(note); }

const WalkReceiver ListingWalk{.note = &LogNote, .bank = &ListBankMet};

}   // namespace

const WalkReceiver& ListingReceiver() { return ListingWalk; }
