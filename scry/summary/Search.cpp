// Searches on a file's rows, and duplicates among files.
#include "summary/Search.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "Korg_Kronos_Defs/BankNames.h"
#include "model/Match.h"

namespace scry {

namespace {

ChunkKind KindOfSlotType(SlotType type) { return type == SlotType::Combi ? Kind::CMB1 : Kind::PRG1; }

auto RecordOrder(const LibraryRecord& record) { return std::make_tuple(record.bank, record.place.number); }

template <class Place, class Key>
void OrderPlaces(std::vector<Place>& places, Key key)
{
    const auto before = [&](const Place& a, const Place& b) {
        return std::make_tuple(a.file, key(a)) < std::make_tuple(b.file, key(b));
    };
    if (!std::is_sorted(places.begin(), places.end(), before))
        std::sort(places.begin(), places.end(), before);
}

template <class Group>
std::size_t FilesOf(const Group& group)
{
    std::size_t files = 0;
    for (std::size_t i = 0; i < group.places.size(); ++i)
        files += i == 0 || group.places[i].file != group.places[i - 1].file;
    return files;
}

template <class Group, class Key>
void OrderGroupsOf(std::vector<Group>& groups, bool across, Key key)
{
    for (Group& group : groups) {
        OrderPlaces(group.places, key);
        group.files = FilesOf(group);
    }
    if (across)
        groups.erase(std::remove_if(groups.begin(), groups.end(), [](const Group& g) { return g.files < 2; }),
                     groups.end());
    std::sort(groups.begin(), groups.end(), [&](const Group& a, const Group& b) {
        if (a.places.size() != b.places.size())
            return a.places.size() > b.places.size();
        if (a.files != b.files)
            return a.files > b.files;
        return std::make_tuple(a.places.front().file, key(a.places.front())) <
               std::make_tuple(b.places.front().file, key(b.places.front()));
    });
}

}   // namespace

std::vector<RecordPlace> RecordPlacesOf(const FindQuery& query)
{
    std::vector<RecordPlace> places;
    for (const Target& target : query.places) {
        if (target.type != SlotType::Prog && target.type != SlotType::Combi)
            continue;
        std::uint32_t bankId = 0;
        if (SlotBankId(static_cast<std::uint8_t>(target.type), target.bank, bankId))
            places.push_back({KindOfSlotType(target.type), bankId, target.number});
    }
    return places;
}

Searcher::Searcher(const FindQuery& asked) : query(asked), places(RecordPlacesOf(asked)) {}

const Searcher::Matches& Searcher::MatchesOf(const SharedRows& rows)
{
    const auto found = known.find(rows.get());
    if (found != known.end())
        return found->second;
    Matches matches{rows, {}, {}, {}};
    const auto index = [](std::size_t i) { return static_cast<std::uint32_t>(i); };
    for (std::size_t i = 0; i < rows->records.size(); ++i) {
        const RecordRow& record = rows->records[i];
        if (query.by == FindQuery::By::Name ? NameHolds(record.name, query.folded)
                                            : query.by == FindQuery::By::Sound && record.sound == query.sound)
            matches.records.push_back(index(i));
    }
    if (query.by == FindQuery::By::Name)
        for (std::size_t i = 0; i < rows->setLists.size(); ++i)
            if (NameHolds(rows->setLists[i].name, query.folded))
                matches.setLists.push_back(index(i));
    for (std::size_t i = 0; i < rows->slots.size(); ++i) {
        const SlotRow& slot = rows->slots[i];
        if (query.by == FindQuery::By::Name
                ? NameHolds(slot.name, query.folded)
                : query.by == FindQuery::By::Place &&
                      std::find(query.places.begin(), query.places.end(), slot.target) != query.places.end())
            matches.slots.push_back(index(i));
    }
    return known.emplace(rows.get(), std::move(matches)).first->second;
}

FileHits Searcher::HitsIn(const FileSummary& summary)
{
    FileHits hits;
    for (const LibraryBank& bank : summary.banks) {
        if (bank.rows == nullptr || !query.Wants(bank.kind == Kind::CMB1 ? HitKind::Combination : HitKind::Program))
            continue;
        if (query.by == FindQuery::By::Place) {
            for (const RecordPlace& place : places)
                if (place.kind == bank.kind && place.bankId == bank.bankId && place.number < bank.rows->records.size())
                    hits.records.push_back(RecordOf(bank, place.number));
            continue;
        }
        if (query.by == FindQuery::By::Sound && bank.chunk != query.soundChunk)
            continue;
        for (const std::uint32_t number : MatchesOf(bank.rows).records)
            hits.records.push_back(RecordOf(bank, number));
    }
    if (summary.setLists != nullptr) {
        const BankRows& rows = *summary.setLists;
        if (query.Wants(HitKind::SetList))
            for (const std::uint32_t i : MatchesOf(summary.setLists).setLists)
                hits.setLists.push_back(rows.setLists[i]);
        if (query.Wants(HitKind::Slot)) {
            if (query.by == FindQuery::By::Sound) {
                // What a slot plays is its file's: looked up file by file.
                for (const SlotRow& slot : rows.slots) {
                    const PlayedRow played = PlayedIn(summary, slot.target);
                    if (played.record != nullptr && played.bank->chunk == query.soundChunk &&
                        played.record->sound == query.sound)
                        hits.slots.push_back(SlotOf(summary, slot));
                }
            } else {
                for (const std::uint32_t i : MatchesOf(summary.setLists).slots)
                    hits.slots.push_back(SlotOf(summary, rows.slots[i]));
            }
        }
    }
    OrderHits(hits);
    return hits;
}

FileHits HitsIn(const FileSummary& summary, const FindQuery& query) { return Searcher(query).HitsIn(summary); }

void OrderHits(FileHits& hits)
{
    std::sort(hits.setLists.begin(), hits.setLists.end(),
              [](const LibrarySetList& a, const LibrarySetList& b) { return a.number < b.number; });
    std::sort(hits.slots.begin(), hits.slots.end(),
              [](const LibrarySlot& a, const LibrarySlot& b) { return a.at < b.at; });
    std::sort(hits.records.begin(), hits.records.end(),
              [](const LibraryRecord& a, const LibraryRecord& b) { return RecordOrder(a) < RecordOrder(b); });
}

void DuplicateFinder::Add(std::size_t file, FileSummary&& summary)
{
    const FileSummary& kept = files.emplace_back(std::move(summary));
    for (const LibraryBank& bank : kept.banks) {
        if (bank.rows == nullptr)
            continue;
        const auto [at, made] = heldIndex.emplace(std::make_pair(bank.rows.get(), bank.chunk), held.size());
        if (made)
            held.push_back({bank.rows, bank.chunk, {}});
        held[at->second].banks.emplace_back(static_cast<std::uint32_t>(file), &bank);
    }
    if (kept.setLists != nullptr)
        for (const LibrarySetList& list : kept.setLists->setLists)
            if (list.used > 0) {
                setListKeys.push_back({list.fingerprint, static_cast<std::uint32_t>(setLists.size())});
                setLists.push_back({file, list});
            }
}

namespace {

// The places of equal keys as groups of two or more, each place moved into its group, in the
// order it came.
template <class Place, class Keyed, class Group, class Make>
void GroupBy(std::vector<Place>& places, std::vector<Keyed>& keys, std::vector<Group>& groups, Make make)
{
    std::sort(keys.begin(), keys.end());
    for (std::size_t first = 0; first < keys.size();) {
        std::size_t end = first + 1;
        while (end < keys.size() && keys[end].key == keys[first].key)
            ++end;
        if (end - first > 1) {
            Group group = make(places[keys[first].serial]);
            group.places.reserve(end - first);
            for (std::size_t k = first; k < end; ++k)
                group.places.push_back(std::move(places[keys[k].serial]));
            groups.push_back(std::move(group));
        }
        first = end;
    }
    places.clear();
    keys.clear();
}

}   // namespace

Duplicates DuplicateFinder::Groups(bool across)
{
    Duplicates duplicates;
    // Each record of rows held, keyed by engine and sound, its serial the record's entry.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;   // rows held, record
    std::vector<Keyed> keys;
    for (std::size_t h = 0; h < held.size(); ++h) {
        const std::vector<RecordRow>& records = held[h].rows->records;
        for (std::size_t i = 0; i < records.size(); ++i) {
            keys.push_back(
                {std::uint64_t{held[h].chunk} << 32 | records[i].sound, static_cast<std::uint32_t>(entries.size())});
            entries.emplace_back(static_cast<std::uint32_t>(h), static_cast<std::uint32_t>(i));
        }
    }
    std::sort(keys.begin(), keys.end());
    const auto holders = [&](const Keyed& key) -> const Held& { return held[entries[key.serial].first]; };
    for (std::size_t first = 0; first < keys.size();) {
        std::size_t end = first + 1, places = holders(keys[first]).banks.size();
        while (end < keys.size() && keys[end].key == keys[first].key)
            places += holders(keys[end++]).banks.size();
        if (places > 1) {
            SoundGroup group{
                static_cast<ChunkId>(keys[first].key >> 32), static_cast<std::uint32_t>(keys[first].key), {}, 0};
            group.places.reserve(places);
            for (std::size_t k = first; k < end; ++k)
                for (const auto& [file, bank] : holders(keys[k]).banks)
                    group.places.push_back({bank, file, entries[keys[k].serial].second});
            duplicates.sounds.push_back(std::move(group));
        }
        first = end;
    }
    GroupBy(setLists, setListKeys, duplicates.setLists, [](const SetListPlace& p) {
        return SetListGroup{p.setList.fingerprint, {}, 0};
    });
    OrderGroups(duplicates, across);
    duplicates.files = std::move(files);
    held.clear();
    heldIndex.clear();
    return duplicates;
}

void OrderGroups(Duplicates& duplicates, bool across)
{
    OrderGroupsOf(duplicates.sounds, across,
                  [](const SoundPlace& place) { return std::make_tuple(place.bank->index, place.number); });
    OrderGroupsOf(duplicates.setLists, across, [](const SetListPlace& place) { return place.setList.number; });
}

}   // namespace scry
