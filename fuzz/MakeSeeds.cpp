// make_fuzz_seeds DIR [texts|copy]: writes the seed corpus, one small PCG file per case: every
// kind of chunk, small and cut banks, and the edge cases of the walk; with "texts", set lists as
// text for the file of fuzz_setlist instead; with "copy", what fuzz_copy copies between its files;
// with "whole", fuzz_whole's recipes of whole files.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "PcgWriter.h"

using namespace pcgw;

namespace {

std::vector<std::pair<std::string, std::string>> Seeds()
{
    std::string programs = Records(ProgramSize);
    FillRecords(programs, ProgramSize, 1);
    SetRecordName(programs, ProgramSize, 0, "Grand Piano");
    std::string setLists = Records(SetListSize, 1);
    FillRecords(setLists, SetListSize, 2);
    SetRecordName(setLists, SetListSize, 0, "Friday, Gig");
    for (std::uint8_t j = 0; j < 8; ++j)
        SetSlot(setLists, 0, j, "Slot", PackSlot(j % 4, j, j % 4, j * 4, j, j * 16, j, 100, j));
    const std::string dump44 = Chunk("INI2", std::string(44, '\x5A'));
    return {
        {"minimal", PcgFile(Chunk("GLB1", "z"))},
        {"triton", PcgFile(Chunk("GLB1", ""), 0x50)},
        {"bad-magic", "KORH" + std::string(40, '\0')},
        {"header-only", FileHeader()},
        {"dump44", PcgFile(dump44 + Chunk("DIV1", "abc") + Chunk("GLB1", ""))},
        {"set-lists-cut", PcgFile(Chunk("SLS1", Chunk("SLD1", BankChunk("SDB1", 0, 64, Records(64, 1))) +
                                                    Chunk("STL1", BankChunk("SBK1", 0, SetListSize, setLists))) +
                                  Chunk("PRG1", ""))},
        {"programs", PcgFile(Chunk("PRG1", BankChunk("PBK1", 0x20007, ProgramSize, programs) +
                                               Chunk("MBK1", BankHead(128, 4960, 0x8000) + "short")) +
                             Chunk("CMB1", Chunk("CBK1", BankHead(1, 7810, 3))))},
        {"size-mismatch", PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(0x80000000u, 2, 0) + "x")))},
        {"unknown-inside",
         PcgFile(Chunk("SLS1", Chunk("ZZZ1", "q") + Chunk("SBK1", "")) + Chunk("CMB1", Chunk("PBK1", "")))},
        {"zero-size-then-unknown", PcgFile(ChunkHead("PRG1", 0) + Chunk("XYZ1", "abc") + Chunk("DKT1", "d"))},
        {"other-kinds", PcgFile(Chunk("DKT1", "1") + Chunk("WSQ1", "22") + Chunk("ARP1", "333") + Chunk("GLB1", ""))},
        {"huge-sizes", PcgFile(ChunkHead("DKT1", 0x7FFFFFFFu) + ChunkHead("XYZ1", 0xFFFFFFFFu))},
        {"nested-top-level", PcgFile(Chunk("PRG1", Chunk("CMB1", Chunk("CBK1", BankHead(0, 0, 0)))))},
    };
}

// Texts of set list 0 of fuzz_setlist's file: as exported, edited, and refused.
std::vector<std::pair<std::string, std::string>> TextSeeds()
{
    const std::string head = "file \"f.PCG\"\nsetlist 000 \"Friday\"\nfingerprint 00000000\n";
    const std::string piano = "\"Piano\"  Prog  I-A005  orange  127  3  1  1  0  from 000/000  # Prog 5\n";
    const std::string split = "\"Split\"  Combi I-A000  red  90  0  0  1  9  from 000/002\n";
    const std::string song = "\"Song\"  Song  S-043  ochre  0  255  3  7  15  from 000/003\n";
    return {
        {"as-exported", head + piano + "unused\n" + split + song},
        {"moved", head + song + piano + split},
        {"copied", head + piano + "\"Other\" Raw 3:31:200 4 2 1 2 5 3 from 001/000\n"},
        {"edited", "setlist 0 \"Saturday \\x85\"\r\n\"Pi\\\"ano\" prog u-aa127 sky 1 2 1 1 0 FROM 0/0\r\n"},
        {"refused", head + "\"Piano\"  Prog  I-Z005  mauve  300  3  2  1  0  from 000/200\n"},
    };
}

// fuzz_whole's recipes: a flags byte, then operations (see FuzzWholeFile.cpp).
std::vector<std::pair<std::string, std::string>> WholeSeeds()
{
    const auto r = [](std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); };
    // Slots playing I-A005 (program), I-A000 (combination), GM and a song; banks I-A of each kind.
    const std::string slots = r({0, 0, 0, 0x49, 0x20, 0x05, 0x00, 0x7F, 0x00, 5, 'p', 'i', 'a', 'n', 'o'}) +
                              r({1, 0, 1, 0x04, 0x00, 0x00, 0x00, 0x5A, 0x00, 4, 's', 'p', 'l', 't'}) +
                              r({0, 1, 0, 0x45, 0x06, 0x34, 0x00, 0x64, 0x00, 0}) +
                              r({1, 0, 3, 0x4A, 0x00, 0x2B, 0xFF, 0x00, 0x0F, 0});
    const std::string banks = r({3, 0, 0, 7, 3, 'o', 'n', 'e'}) + r({3, 2, 0, 8, 0}) + r({3, 1, 1, 9, 0});
    return {
        {"gig", r({0}) + slots + banks + r({2, 0, 6, 'f', 'r', 'i', 'd', 'a', 'y'})},
        {"sounds-twice", r({0}) + slots + banks + r({4, 0, 0, 5, 100, 4, 0, 2, 5, 9})},
        {"lying", r({6}) + slots + banks + r({5, 0, 0, 5, 1, 7})},
        {"cut", r({0x2A}) + slots + banks},
        {"padded", r({0x44}) + slots + banks + r({6, 20, 1, 1})},
        {"triton", r({1}) + slots},
    };
}

// fuzz_copy's inputs: which files and what more, then five bytes per range or set list.
std::vector<std::pair<std::string, std::string>> CopySeeds()
{
    const auto ask = [](std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); };
    return {
        {"follow-swapped", ask({0x44, 0})},
        {"follow-loaded", ask({0x48, 0})},
        {"setlist-to", ask({0x28, 0, 3, 0, 7}) + ask({3, 1, 9})},
        {"range", ask({0x04, 0, 0x60, 0, 10, 16, 0})},
        {"combi-forced", ask({0x15, 0, 0x01, 0, 0, 127, 0, 0x04, 5, 5, 3, 0})},
    };
}

}   // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc == 3 ? argv[2] : "";
    if (argc < 2 || argc > 3 || (argc == 3 && mode != "texts" && mode != "copy" && mode != "whole")) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR [texts|copy|whole]\n");
        return 2;
    }
    const bool texts = mode == "texts";
    const auto seeds = texts ? TextSeeds() : mode == "copy" ? CopySeeds() : mode == "whole" ? WholeSeeds() : Seeds();
    for (const auto& [name, bytes] : seeds) {
        if (!WriteFile(std::string(argv[1]) + "/" + name + (texts ? ".txt" : !mode.empty() ? ".ask" : ".PCG"), bytes)) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
