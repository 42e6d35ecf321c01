// The chunk vocabulary of a PCG file: the 12-byte chunk header, the chunk ids, the kinds of
// top-level chunks and their names, and the big-endian to host conversion.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

// Every chunk opens with this header; numbers are big-endian and kept raw in memory.
struct ChunkHeader {
    char id[4];
    std::uint32_t size;   // data bytes after the header
    std::uint32_t parm2;
};
static_assert(sizeof(ChunkHeader) == 12);

// The 16 bytes that open a PCG file, before its "PCG1" container header.
struct PcgFileHeader {
    char magic[4];             // "KORG"
    std::uint8_t formatCode;   // TritonFormat or KronosFormat
    std::uint8_t mustBeZero;
    std::uint8_t unexamined[10];
};
static_assert(sizeof(PcgFileHeader) == 16);

inline constexpr std::uint8_t TritonFormat = 0x50;
inline constexpr std::uint8_t KronosFormat = 0x68;

// The file header and the container header; the first top-level chunk follows them.
inline constexpr std::size_t FileHeadSize = sizeof(PcgFileHeader) + sizeof(ChunkHeader);
static_assert(FileHeadSize == 28);

// A chunk id: the four raw bytes as they stand in the file, held in one 32-bit value.
using ChunkId = std::uint32_t;

constexpr ChunkId MakeId(const char (&code)[5])
{
    const auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(code[i])); };
    if constexpr (std::endian::native == std::endian::little)
        return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    else
        return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

inline ChunkId IdOf(const char (&raw)[4])
{
    ChunkId id;
    std::memcpy(&id, raw, sizeof id);
    return id;
}

inline ChunkId IdOf(const ChunkHeader& header) { return IdOf(header.id); }

inline constexpr ChunkId KORG = MakeId("KORG");
inline constexpr ChunkId PCG1 = MakeId("PCG1");
inline constexpr ChunkId SLS1 = MakeId("SLS1");
inline constexpr ChunkId PRG1 = MakeId("PRG1");
inline constexpr ChunkId PBK1 = MakeId("PBK1");
inline constexpr ChunkId MBK1 = MakeId("MBK1");
inline constexpr ChunkId CMB1 = MakeId("CMB1");
inline constexpr ChunkId CBK1 = MakeId("CBK1");
inline constexpr ChunkId DKT1 = MakeId("DKT1");
inline constexpr ChunkId DBK1 = MakeId("DBK1");
inline constexpr ChunkId WSQ1 = MakeId("WSQ1");
inline constexpr ChunkId ARP1 = MakeId("ARP1");
inline constexpr ChunkId ABK1 = MakeId("ABK1");
inline constexpr ChunkId GLB1 = MakeId("GLB1");
// Second-level ids of a set-list chunk.
inline constexpr ChunkId SLD1 = MakeId("SLD1");
inline constexpr ChunkId SDB1 = MakeId("SDB1");
inline constexpr ChunkId STL1 = MakeId("STL1");
inline constexpr ChunkId SBK1 = MakeId("SBK1");

// Kind of a top-level chunk; 0 marks one that the top-level walk skips by itself.
using ChunkKind = std::uint8_t;

namespace Kind {
inline constexpr ChunkKind UNKN = 0;
inline constexpr ChunkKind SLS1 = 1;   // set lists: walked, banks loaded and listed
inline constexpr ChunkKind PRG1 = 2;   // programs: walked, banks loaded and listed
inline constexpr ChunkKind CMB1 = 3;   // combinations: walked, banks loaded and listed
inline constexpr ChunkKind DKT1 = 4;   // the others are passed over by their size
inline constexpr ChunkKind WSQ1 = 5;   // named, yet no id has it: "WSQ1" is of kind 0
inline constexpr ChunkKind ARP1 = 6;
inline constexpr ChunkKind GLB1 = 7;
inline constexpr ChunkKind CSM1 = 8;   // named, no id
}   // namespace Kind
inline constexpr ChunkKind MaxChunkKind = Kind::CSM1;

// Every id the reader knows, in one table: whether it stands at the top level, its kind there,
// the kind whose bank it is (UNKN for none), and what it holds, in words.
struct ChunkIdInfo {
    ChunkId id;
    bool topLevel;
    ChunkKind kind;
    ChunkKind bankOf;
    const char* holds;
};

inline constexpr ChunkIdInfo ChunkIds[] = {
    {KORG, false, Kind::UNKN, Kind::UNKN, "file header"},
    {PCG1, false, Kind::UNKN, Kind::UNKN, "container"},
    {SLS1, true, Kind::SLS1, Kind::UNKN, "set lists"},
    {PRG1, true, Kind::PRG1, Kind::UNKN, "programs"},
    {PBK1, false, Kind::UNKN, Kind::PRG1, "HD-1 program bank"},
    {MBK1, false, Kind::UNKN, Kind::PRG1, "EXi program bank"},
    {CMB1, true, Kind::CMB1, Kind::UNKN, "combinations"},
    {CBK1, false, Kind::UNKN, Kind::CMB1, "combination bank"},
    {DKT1, true, Kind::DKT1, Kind::UNKN, "drum kits"},
    {DBK1, false, Kind::UNKN, Kind::DKT1, "drum kit bank"},
    {WSQ1, true, Kind::UNKN, Kind::UNKN, "wave sequences"},   // top-level, yet skipped by the walk
    {ARP1, true, Kind::ARP1, Kind::UNKN, "arpeggio patterns"},
    {ABK1, false, Kind::UNKN, Kind::ARP1, "arpeggio bank"},
    {GLB1, true, Kind::GLB1, Kind::UNKN, "global settings"},
    {SLD1, false, Kind::UNKN, Kind::UNKN, "set-list data"},
    {SDB1, false, Kind::UNKN, Kind::UNKN, "set-list data bank"},
    {STL1, false, Kind::UNKN, Kind::UNKN, "set-list list"},
    {SBK1, false, Kind::UNKN, Kind::UNKN, "set-list bank"},
};

// The place of an id in the table; -1 for an id the reader does not know.
constexpr int ChunkIdIndex(ChunkId id)
{
    for (std::size_t i = 0; i < std::size(ChunkIds); ++i)
        if (ChunkIds[i].id == id)
            return static_cast<int>(i);
    return -1;
}

// The table's entry of an id; nullptr for an id the reader does not know.
inline const ChunkIdInfo* ChunkIdInfoOf(ChunkId id)
{
    const int at = ChunkIdIndex(id);
    return at < 0 ? nullptr : &ChunkIds[at];
}

extern ChunkKind currentKind;   // kind of the top-level chunk being read

// Four-character name of a kind 0 to 8 ("UNKN", "SLS1", ...).
std::string_view ChunkKindName(ChunkKind kind);
constexpr bool IsTopLevelId(ChunkId id)
{
    const int at = ChunkIdIndex(id);
    return at >= 0 && ChunkIds[at].topLevel;
}
constexpr ChunkKind ChunkKindOf(ChunkId id)
{
    const int at = ChunkIdIndex(id);
    return at >= 0 ? ChunkIds[at].kind : Kind::UNKN;
}
constexpr bool IsBankIdOf(ChunkKind kind, ChunkId id)
{
    const int at = ChunkIdIndex(id);
    return kind != Kind::UNKN && at >= 0 && ChunkIds[at].bankOf == kind;
}

static_assert(IsTopLevelId(WSQ1) && ChunkKindOf(WSQ1) == Kind::UNKN);
static_assert(!IsTopLevelId(PBK1) && ChunkKindOf(PBK1) == Kind::UNKN && IsBankIdOf(Kind::PRG1, MBK1));

// bankType of a program or combination bank: picks the naming scheme of its bankId.
using BankType = std::int32_t;
inline constexpr BankType HD1BankType = 0;
inline constexpr BankType CombiBankType = 1;
inline constexpr BankType EXiBankType = 19;

// ---- Record layout

inline constexpr std::size_t RecordsPerBank = 128;
inline constexpr std::size_t NameSize = 24;   // a name field: bytes up to the first NUL, at most 24
inline constexpr std::size_t SlotSize = 542;
inline constexpr std::size_t SlotsPerSetList = 128;
inline constexpr std::size_t EqSize = 16;
inline constexpr std::size_t PackedSlotSize = 6;

// A set list: its name, 128 slots, then its EQ block.
inline constexpr std::size_t SlotsOffset = NameSize;
inline constexpr std::size_t EqOffset = SlotsOffset + SlotsPerSetList * SlotSize;
inline constexpr std::size_t SetListSize = EqOffset + EqSize;
static_assert(EqOffset == 24 + 128 * 542 && EqOffset == 69400);
static_assert(SetListSize == 24 + 128 * 542 + 16 && SetListSize == 69416);
// What a set-list slot plays: the low two bits of its first packed byte.
enum class SlotType : std::uint8_t { Combi = 0, Prog = 1, Song = 2, Type3 = 3 };

// A slot: its name, then the packed attribute bytes b0..b5, then bytes no listing reads.
inline constexpr std::size_t PackedSlotOffset = NameSize;
static_assert(PackedSlotOffset == 24 && PackedSlotOffset + PackedSlotSize <= SlotSize);

// Programs and combinations: a name first, then bytes no listing decodes.
inline constexpr std::size_t ProgramSize = 4960;
inline constexpr std::size_t CombiSize = 7810;

// Bank chunks: what their bank buffers hold.
inline constexpr std::size_t Sdb1Size = 462336;   // read whole, listed by nothing
inline constexpr std::size_t Sbk1Size = RecordsPerBank * SetListSize;
inline constexpr std::size_t Pbk1Size = RecordsPerBank * ProgramSize;
inline constexpr std::size_t Mbk1Size = RecordsPerBank * ProgramSize;
inline constexpr std::size_t Cbk1Size = RecordsPerBank * CombiSize;
static_assert(Sbk1Size == 8885248 && Pbk1Size == 634880 && Cbk1Size == 999680);

// The program and combination bank chunks: their records and naming scheme.
struct BankChunkInfo {
    ChunkId id;
    ChunkKind kind;
    std::size_t recordSize;
    std::size_t bankSize;
    BankType bankType;
    const char* engine;   // the synthesis engine of its programs: "HD-1", "EXi"; "" for others
};

inline constexpr BankChunkInfo BankChunks[] = {
    {PBK1, Kind::PRG1, ProgramSize, Pbk1Size, HD1BankType, "HD-1"},
    {MBK1, Kind::PRG1, ProgramSize, Mbk1Size, EXiBankType, "EXi"},
    {CBK1, Kind::CMB1, CombiSize, Cbk1Size, CombiBankType, ""},
};

// The table's entry of a program or combination bank id; nullptr for any other id.
inline const BankChunkInfo* BankChunkOf(ChunkId id)
{
    for (const BankChunkInfo& bank : BankChunks)
        if (bank.id == id)
            return &bank;
    return nullptr;
}

// Turns the raw bytes of a big-endian field into its value, in place.
inline void Swap32(std::uint32_t& word)
{
    if constexpr (std::endian::native == std::endian::little)
        word = (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
}

// A copy of a raw big-endian field, turned into its value.
inline std::uint32_t Swapped(std::uint32_t raw)
{
    Swap32(raw);
    return raw;
}

// The id as shown in logs: its bytes up to the first NUL.
std::string IdText(const char (&id)[4]);
std::string IdText(ChunkId id);
