// What a library search asks and finds: records, set lists and slots by name, by place or by
// sound, and the groups of records that hold the same sound; matched on a file's rows, whether
// the file was read now or its rows come from the catalogue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "library/Summary.h"

namespace scry {

// The kinds of thing a search finds, in the order a file's hits are listed.
enum class HitKind : std::uint8_t { SetList, Slot, Program, Combination };
inline constexpr unsigned AllHitKinds = 0xF;
inline constexpr unsigned HitBit(HitKind kind) { return 1u << static_cast<unsigned>(kind); }

struct FindQuery {
    enum class By { Name, Place, Sound } by = By::Name;
    std::string text;             // as given
    std::string folded;           // By::Name: the name, its letters folded
    std::vector<Target> places;   // By::Place: the places, as a slot names them
    ChunkId soundChunk = 0;       // By::Sound: records of this bank chunk with this sound
    std::uint32_t sound = 0;
    unsigned kinds = AllHitKinds;   // bits of HitKind
    bool Wants(HitKind kind) const { return (kinds & HitBit(kind)) != 0; }
};

// A place of a query as the records hold it: kind, bank header id and number.
struct RecordPlace {
    ChunkKind kind;
    std::uint32_t bankId;
    std::uint32_t number;
};
std::vector<RecordPlace> RecordPlacesOf(const FindQuery& query);

// One file's hits: set lists by number, slots by set list and slot, records by bank and number.
struct FileHits {
    std::vector<LibrarySetList> setLists;
    std::vector<LibrarySlot> slots;
    std::vector<LibraryRecord> records;
    bool Empty() const { return setLists.empty() && slots.empty() && records.empty(); }
};
FileHits HitsIn(const FileSummary& summary, const FindQuery& query);
// Puts each kind of a file's hits in place order.
void OrderHits(FileHits& hits);

// Places of the same sound, or of the same set list, in the files of a search (by index).
struct SoundPlace {
    std::size_t file;
    LibraryRecord record;
};
struct SoundGroup {
    ChunkId chunk;
    std::uint32_t sound;
    std::vector<SoundPlace> places;   // by file, then place
    std::size_t files;                // how many files they lie in
};
struct SetListPlace {
    std::size_t file;
    LibrarySetList setList;
};
struct SetListGroup {
    std::uint32_t fingerprint;
    std::vector<SetListPlace> places;
    std::size_t files;
};
struct Duplicates {
    std::vector<SoundGroup> sounds;       // largest first
    std::vector<SetListGroup> setLists;   // largest first
};

// Groups gathered from files' rows as they are read. A set list without a used slot is no
// duplicate of another: only set lists that play something are grouped.
class DuplicateFinder {
public:
    // Takes the file's records and set lists.
    void Add(std::size_t file, FileSummary&& summary);
    // Groups of two places or more; across: only those whose places lie in two files or more.
    Duplicates Groups(bool across);

private:
    std::vector<SoundPlace> records;
    std::vector<SetListPlace> setLists;
};

// Orders every group's places (by file, then place) and the groups (most places first, then most
// files, then by their first place), and counts their files; across drops the groups of one file.
void OrderGroups(Duplicates& duplicates, bool across);

}   // namespace scry
