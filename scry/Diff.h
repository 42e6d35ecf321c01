// scry diff: the differences of NEW against OLD, keyed by where the instrument keeps each
// record, each with where it stands (for marking it in place on a page) and its line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "Command.h"
#include "Model.h"
#include "Vocabulary.h"

namespace scry {

enum class Place { File, SetList, Slot, Record, Bank, SetListBank, Chunk };

struct Difference {
    Change change = Change::Changed;
    Place place = Place::Chunk;
    std::size_t setListBank = 0;   // SetList, Slot: which set-list bank, counted from 0
    std::size_t setList = 0;       // SetList, Slot
    std::size_t slot = 0;          // Slot
    std::size_t bank = 0;          // Record, Bank: the bank's index in NEW's banks (OLD's where onlyOld)
    std::size_t number = 0;        // Record
    std::size_t chunk = 0;         // Chunk: the chunk's index in NEW's chunks (OLD's where onlyOld)
    bool onlyOld = false;          // it stands in OLD only, with no place in NEW to be marked in
    std::string line;
};

struct DiffCounts {
    std::array<unsigned, TallyCount> tally{};
    unsigned Total() const;
};

struct Comparison {
    std::vector<Difference> differences;
    DiffCounts counts;
    bool oldDamaged = false;
    bool newDamaged = false;
};

Comparison Compare(const FileModel& oldFile, const FileModel& newFile);
// "3 differences: 1 renamed, 2 changed, 0 moved, 0 added, 0 removed, 0 slot settings", and what
// could not be read and which file is damaged where that is so.
std::string DiffSummary(const Comparison& comparison);
// "; 3 slots play another sound", or nothing where none does.
std::string SoundSummary(const Comparison& comparison);
// Every line of the comparison, then its summary where there is anything to say.
std::string DiffText(const Comparison& comparison);

// scry diff OLD NEW: status 1 when the files differ (Damaged and Trouble outrank it).
int RunDiff(const Options& options, Console& console);

}   // namespace scry
