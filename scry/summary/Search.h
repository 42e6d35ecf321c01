// What a library search asks and finds: records, set lists and slots by name, by place or by
// sound, and the groups of records that hold the same sound; matched on a file's rows, whether
// the file was read now or its rows come from the catalogue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "summary/Summary.h"
#include "model/Places.h"

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

// The places of a query as the records hold them.
std::vector<RecordPlace> RecordPlacesOf(const FindQuery& query);

// One file's hits: set lists by number, slots by set list and slot, records by bank and number.
struct FileHits {
    std::vector<LibrarySetList> setLists;
    std::vector<LibrarySlot> slots;
    std::vector<LibraryRecord> records;
    bool Empty() const { return setLists.empty() && slots.empty() && records.empty(); }
};
// A search over many files: what the rows of a bank hold of the query is looked at once, for
// every file that shares those rows.
class Searcher {
public:
    explicit Searcher(const FindQuery& query);
    FileHits HitsIn(const FileSummary& summary);

private:
    // The rows' records, set lists and slots that match, by index; the rows kept while known.
    struct Matches {
        SharedRows rows;
        std::vector<std::uint32_t> records, setLists, slots;
    };
    const Matches& MatchesOf(const SharedRows& rows);

    FindQuery query;
    std::vector<RecordPlace> places;
    std::unordered_map<const BankRows*, Matches> known;
};
// The hits of one file alone.
FileHits HitsIn(const FileSummary& summary, const FindQuery& query);
// Puts each kind of a file's hits in place order.
void OrderHits(FileHits& hits);

// Places of the same sound, or of the same set list, in the files of a search (by index).
struct SoundPlace {
    const LibraryBank* bank;   // of the file's summary, which the duplicates hold
    std::uint32_t file;
    std::uint32_t number;
    const RecordRow& Record() const { return bank->rows->records[number]; }
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
    std::deque<FileSummary> files;        // what the places point into
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
    // A bank's rows as one engine's (chunk id), and the banks of the files that hold them: rows
    // that files share are grouped once, their places made for every bank that holds them.
    struct Held {
        SharedRows rows;
        ChunkId chunk;
        std::vector<std::pair<std::uint32_t, const LibraryBank*>> banks;   // file, bank
    };
    // An entry with its key and its serial: grouped by sorting these, not what they stand for.
    struct Keyed {
        std::uint64_t key;
        std::uint32_t serial;
        bool operator<(const Keyed& other) const { return key != other.key ? key < other.key : serial < other.serial; }
    };
    std::deque<FileSummary> files;
    std::vector<Held> held;
    std::map<std::pair<const BankRows*, ChunkId>, std::size_t> heldIndex;
    std::vector<SetListPlace> setLists;
    std::vector<Keyed> setListKeys;
};

// Orders every group's places (by file, then place) and the groups (most places first, then most
// files, then by their first place), and counts their files; across drops the groups of one file.
void OrderGroups(Duplicates& duplicates, bool across);

}   // namespace scry
