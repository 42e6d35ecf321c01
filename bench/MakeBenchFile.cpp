// make_bench_file OUT.PCG [REORGANISED.PCG]: writes the deterministic full-size benchmark file
// (about 40 MB): a set-list chunk, 21 program banks, 14 combination banks and the other chunks,
// with varied names, slot attributes and record bytes; and the same file with program banks I-A
// and I-B, and U-A and U-C, in each other's places, as a library's reorganisation leaves it.
// make_bench_file --library DIR COUNT: a library of COUNT files of about 17 MB each (the demo's
// size: set lists, 7 program and 3 combination banks), its banks drawn from a small stock so that
// files share sounds as backups and bought sets do.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "PcgWriter.h"

namespace {

constexpr const char* Adjectives[] = {"Warm", "Bright", "Dark",    "Airy",  "Fat",   "Glassy", "Punchy", "Soft",
                                      "Wide", "Deep",   "Vintage", "Dirty", "Silky", "Big",    "Clean",  "Mellow"};
constexpr const char* Nouns[] = {"Grand Piano", "Strings", "Pad",   "Clav", "Wurly", "Organ", "Brass",  "Choir",
                                 "Bass",        "Lead",    "Bells", "Harp", "Flute", "Sweep", "Guitar", "Kit"};

std::uint32_t state = 0x2545F491u;

std::uint32_t Next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// "Deep Organ 17" and the like; at most 24 bytes, now and then with a comma.
std::string VariedName(std::size_t serial)
{
    std::string name = Adjectives[Next() % 16];
    name += Next() % 13 == 0 ? ", " : " ";
    name += Nouns[Next() % 16];
    name += ' ';
    name += std::to_string(serial % 1000);
    return name.size() > pcgw::NameSize ? name.substr(0, pcgw::NameSize) : name;
}

void NameAll(std::string& records, std::size_t recordSize, std::size_t& serial)
{
    for (std::size_t i = 0; i < pcgw::BankRecords; ++i)
        pcgw::SetRecordName(records, recordSize, i, VariedName(serial++));
}

std::string FilledChunk(const char* id, std::size_t size, std::uint32_t seed)
{
    std::string body(size, '\0');
    pcgw::FillRecords(body, size, seed);
    return pcgw::Chunk(id, body);
}

// used: how many set lists play something, and at most how many slots each; the rest unused.
std::string SetListChunk(std::size_t& serial, std::size_t usedLists = pcgw::BankRecords,
                         std::size_t usedSlots = pcgw::SlotsPerSetList)
{
    std::string slotDb = pcgw::Records(pcgw::Sdb1Size, 1);
    pcgw::FillRecords(slotDb, pcgw::Sdb1Size, 101);
    std::string setLists = pcgw::Records(pcgw::SetListSize);
    pcgw::FillRecords(setLists, pcgw::SetListSize, 102);
    for (std::size_t i = 0; i < pcgw::BankRecords; ++i) {
        pcgw::SetRecordName(setLists, pcgw::SetListSize, i, ("Set " + VariedName(serial++)).substr(0, pcgw::NameSize));
        for (std::size_t j = 0; j < pcgw::SlotsPerSetList; ++j) {
            const std::size_t slots =
                usedSlots < pcgw::SlotsPerSetList ? usedSlots - i % 5 * (usedSlots / 8) : usedSlots;
            if (i >= usedLists || j >= slots) {
                setLists.replace(pcgw::SlotOffset(i, j), pcgw::SlotSize, pcgw::SlotSize, '\0');   // unused
                continue;
            }
            const std::uint32_t r = Next();
            const auto type = static_cast<std::uint8_t>(r % 3);
            // A kbd track whose bits 0-2 the transpose holds, as every slot's packed bytes can.
            const std::uint32_t transpose = (r >> 13) % 8;
            const std::uint32_t kbd = (Next() % 16) & (transpose | 8u);
            const std::uint32_t volume = Next() % 128;
            const pcgw::Packed packed = pcgw::PackSlot(type, (r >> 2) % 16, (r >> 6) % 4, (r >> 8) % 31, transpose,
                                                       (r >> 16) % 128, (r >> 23) % 20, volume, kbd);
            pcgw::SetSlot(setLists, i, j, VariedName(serial++), packed);
        }
    }
    const std::string sld = pcgw::Chunk("SLD1", pcgw::BankChunk("SDB1", 0, pcgw::Sdb1Size, slotDb));
    const std::string stl = pcgw::Chunk("STL1", pcgw::BankChunk("SBK1", 0, pcgw::SetListSize, setLists));
    return pcgw::Chunk("SLS1", sld + stl);
}

std::string BankOf(const char* id, std::uint32_t bankId, std::size_t recordSize, std::size_t& serial)
{
    std::string records = pcgw::Records(recordSize);
    pcgw::FillRecords(records, recordSize, Next());
    NameAll(records, recordSize, serial);
    return pcgw::BankChunk(id, bankId, recordSize, records);
}

std::string ProgramChunk(std::size_t& serial, bool reorganised)
{
    std::string banks;
    for (std::uint32_t id : {0u, 1u, 2u, 3u, 4u, 0x8000u})   // I-A to I-E, I-F
        banks += BankOf("PBK1", reorganised && id < 2 ? 1 - id : id, pcgw::ProgramSize, serial);
    for (std::uint32_t id = 0x20000; id <= 0x20006; ++id)   // U-A to U-G
        banks += BankOf("PBK1", reorganised && (id == 0x20000 || id == 0x20002) ? 0x40002 - id : id, pcgw::ProgramSize,
                        serial);
    for (std::uint32_t id = 0x20007; id <= 0x2000D; ++id)   // U-AA to U-GG, EXi
        banks += BankOf("MBK1", id, pcgw::ProgramSize, serial);
    banks += BankOf("MBK1", 0, pcgw::ProgramSize, serial);
    return pcgw::Chunk("PRG1", banks);
}

std::string CombiChunk(std::size_t& serial)
{
    std::string banks;
    for (std::uint32_t id = 0; id <= 6; ++id)   // I-A to I-G
        banks += BankOf("CBK1", id, pcgw::CombiSize, serial);
    for (std::uint32_t id = 0x20000; id <= 0x20006; ++id)   // U-A to U-G
        banks += BankOf("CBK1", id, pcgw::CombiSize, serial);
    return pcgw::Chunk("CMB1", banks);
}

// The stock a library's files are made of: set-list chunks, program and combination banks.
struct LibraryStock {
    std::vector<std::string> setLists;   // 4
    std::vector<std::string> programs;   // 16, each a bank's records
    std::vector<std::string> combis;     // 8
    std::string rest = FilledChunk("DKT1", 2200000, 3) + FilledChunk("GLB1", 4096, 6);

    LibraryStock()
    {
        std::size_t serial = 0;
        for (int i = 0; i < 4; ++i)
            setLists.push_back(SetListChunk(serial, 32, 16));   // 32 set lists of 10 to 16 slots
        for (int i = 0; i < 16; ++i) {
            std::string records = pcgw::Records(pcgw::ProgramSize);
            pcgw::FillRecords(records, pcgw::ProgramSize, Next());
            NameAll(records, pcgw::ProgramSize, serial);
            programs.push_back(records);
        }
        for (int i = 0; i < 8; ++i) {
            std::string records = pcgw::Records(pcgw::CombiSize);
            pcgw::FillRecords(records, pcgw::CombiSize, Next());
            NameAll(records, pcgw::CombiSize, serial);
            combis.push_back(records);
        }
    }
};

// File k of a library: its set lists and banks drawn from the stock by k.
std::string LibraryFile(const LibraryStock& stock, std::size_t k)
{
    std::string programs, combis;
    const std::uint32_t ids[] = {0, 1, 2, 0x20000, 0x20001, 0x20002, 0x20007};
    for (std::size_t b = 0; b < 7; ++b)
        programs += pcgw::BankChunk(b < 4 ? "PBK1" : "MBK1", ids[b], pcgw::ProgramSize,
                                    stock.programs[(k * 7 + b * 3) % stock.programs.size()]);
    for (std::uint32_t id = 0; id < 3; ++id)
        combis += pcgw::BankChunk("CBK1", id, pcgw::CombiSize, stock.combis[(k * 3 + id) % stock.combis.size()]);
    return pcgw::PcgFile(FilledChunk("INI2", 44, 1) + FilledChunk("DIV1", 128, 2) +
                         stock.setLists[k % stock.setLists.size()] + pcgw::Chunk("PRG1", programs) +
                         pcgw::Chunk("CMB1", combis) + stock.rest);
}

std::string BenchFile(bool reorganised)
{
    state = 0x2545F491u;
    std::size_t serial = 0;
    std::string chunks = FilledChunk("INI2", 44, 1) + FilledChunk("DIV1", 128, 2);
    chunks += SetListChunk(serial);
    chunks += ProgramChunk(serial, reorganised);
    chunks += CombiChunk(serial);
    chunks += FilledChunk("DKT1", 2200000, 3) + FilledChunk("WSQ1", 260000, 4) + FilledChunk("ARP1", 880000, 5) +
              FilledChunk("GLB1", 4096, 6);
    return pcgw::PcgFile(chunks);
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--library") {
        const long count = std::atol(argv[3]);
        const LibraryStock stock;
        for (long k = 0; k < count; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "/gig-%03ld.PCG", k);
            if (!pcgw::WriteFile(argv[2] + std::string(name), LibraryFile(stock, static_cast<std::size_t>(k)))) {
                std::cerr << "make_bench_file: cannot write " << argv[2] << name << "\n";
                return 1;
            }
        }
        std::printf("Wrote %ld library files in %s\n", count, argv[2]);
        return 0;
    }
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: make_bench_file OUT.PCG [REORGANISED.PCG]\n";
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string file = BenchFile(i == 2);
        if (!pcgw::WriteFile(argv[i], file)) {
            std::cerr << "make_bench_file: cannot write " << argv[i] << "\n";
            return 1;
        }
        std::printf("Wrote %s: %zu bytes\n", argv[i], file.size());
    }
    return 0;
}
