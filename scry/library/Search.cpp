// Searches on a file's rows, and duplicates among files.
#include "library/Search.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "Korg_Kronos_Defs/BankNames.h"
#include "model/Match.h"

namespace scry {

namespace {

ChunkKind KindOfSlotType(SlotType type) { return type == SlotType::Combi ? Kind::CMB1 : Kind::PRG1; }

bool RecordAtPlace(const LibraryRecord& record, const std::vector<RecordPlace>& places)
{
    return std::any_of(places.begin(), places.end(), [&](const RecordPlace& place) {
        return place.kind == record.kind && place.bankId == record.bankId && place.number == record.number;
    });
}

auto RecordOrder(const LibraryRecord& record) { return std::make_tuple(record.bank, record.number); }

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

FileHits HitsIn(const FileSummary& summary, const FindQuery& query)
{
    FileHits hits;
    const std::vector<RecordPlace> places = RecordPlacesOf(query);
    for (const LibraryRecord& record : summary.records) {
        if (!query.Wants(record.kind == Kind::CMB1 ? HitKind::Combination : HitKind::Program))
            continue;
        const bool hit = query.by == FindQuery::By::Name ? NameHolds(record.name, query.folded)
                         : query.by == FindQuery::By::Place
                             ? RecordAtPlace(record, places)
                             : record.chunk == query.soundChunk && record.sound == query.sound;
        if (hit)
            hits.records.push_back(record);
    }
    if (query.Wants(HitKind::SetList) && query.by == FindQuery::By::Name)
        for (const LibrarySetList& list : summary.setLists)
            if (NameHolds(list.name, query.folded))
                hits.setLists.push_back(list);
    if (query.Wants(HitKind::Slot))
        for (const LibrarySlot& slot : summary.slots) {
            const bool hit =
                query.by == FindQuery::By::Name ? NameHolds(slot.name, query.folded)
                : query.by == FindQuery::By::Place
                    ? std::find(query.places.begin(), query.places.end(), slot.target) != query.places.end()
                    : slot.resolution == Resolution::Found && slot.playsChunk == query.soundChunk &&
                          slot.playsSound == query.sound;
            if (hit)
                hits.slots.push_back(slot);
        }
    OrderHits(hits);
    return hits;
}

void OrderHits(FileHits& hits)
{
    std::sort(hits.setLists.begin(), hits.setLists.end(),
              [](const LibrarySetList& a, const LibrarySetList& b) { return a.number < b.number; });
    std::sort(hits.slots.begin(), hits.slots.end(), [](const LibrarySlot& a, const LibrarySlot& b) {
        return std::make_tuple(a.setList, a.slot) < std::make_tuple(b.setList, b.slot);
    });
    std::sort(hits.records.begin(), hits.records.end(),
              [](const LibraryRecord& a, const LibraryRecord& b) { return RecordOrder(a) < RecordOrder(b); });
}

void DuplicateFinder::Add(std::size_t file, FileSummary&& summary)
{
    for (LibraryRecord& record : summary.records)
        records.push_back({file, std::move(record)});
    for (LibrarySetList& list : summary.setLists)
        if (list.used > 0)
            setLists.push_back({file, std::move(list)});
}

namespace {

// The places of equal keys as groups of two or more, each place moved into its group.
template <class Place, class Group, class Key, class Make>
void GroupBy(std::vector<Place>& places, std::vector<Group>& groups, Key key, Make make)
{
    // Indices sorted, not places: each place is moved once, into its group, in the order it came.
    std::vector<std::uint32_t> order(places.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return key(places[a]) < key(places[b]); });
    for (std::size_t first = 0; first < order.size();) {
        std::size_t end = first + 1;
        while (end < order.size() && key(places[order[end]]) == key(places[order[first]]))
            ++end;
        if (end - first > 1) {
            Group group = make(places[order[first]]);
            group.places.reserve(end - first);
            for (std::size_t k = first; k < end; ++k)
                group.places.push_back(std::move(places[order[k]]));
            groups.push_back(std::move(group));
        }
        first = end;
    }
    places.clear();
}

}   // namespace

Duplicates DuplicateFinder::Groups(bool across)
{
    Duplicates duplicates;
    GroupBy(
        records, duplicates.sounds, [](const SoundPlace& p) { return std::make_pair(p.record.chunk, p.record.sound); },
        [](const SoundPlace& p) {
            return SoundGroup{p.record.chunk, p.record.sound, {}, 0};
        });
    GroupBy(
        setLists, duplicates.setLists, [](const SetListPlace& p) { return p.setList.fingerprint; },
        [](const SetListPlace& p) {
            return SetListGroup{p.setList.fingerprint, {}, 0};
        });
    OrderGroups(duplicates, across);
    return duplicates;
}

void OrderGroups(Duplicates& duplicates, bool across)
{
    OrderGroupsOf(duplicates.sounds, across, [](const SoundPlace& place) { return RecordOrder(place.record); });
    OrderGroupsOf(duplicates.setLists, across, [](const SetListPlace& place) { return place.setList.number; });
}

}   // namespace scry
