// Queries for places and names, and the slots that play them.
#include "model/Uses.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <utility>

#include "model/Match.h"

namespace scry {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool Names(const Query& query, const Target& target)
{
    return std::find(query.places.begin(), query.places.end(), target) != query.places.end();
}

bool Matches(const Query& query, const Plays& plays)
{
    if (!query.places.empty())
        return Names(query, plays.target);
    return query.nameCanBe && plays.record != nullptr && NameHasWords(plays.record->name, query.folded);
}

}   // namespace

Query QueryOf(const std::string& what)
{
    Query query;
    query.text = what;
    // "Prog I-B084" as show writes it: a kind, then its place.
    const std::size_t blank = what.find(' ');
    if (blank != std::string::npos) {
        const std::string kind = Lower(what.substr(0, blank));
        const std::string place = what.substr(what.find_first_not_of(' ', blank));
        for (const SlotType type : {SlotType::Combi, SlotType::Prog, SlotType::Song}) {
            Target target{type, 0, 0};
            if (kind == Lower(SlotTypeText(type)) && PlaceOf(type, place, target.bank, target.number))
                query.places.push_back(target);
        }
    }
    if (query.places.empty())
        for (const SlotType type : {SlotType::Combi, SlotType::Prog, SlotType::Song}) {
            Target target{type, 0, 0};
            if (PlaceOf(type, what, target.bank, target.number))
                query.places.push_back(target);
        }
    if (query.places.empty())
        query.nameCanBe = FoldedLatin1(what, query.folded);
    return query;
}

std::vector<SlotHit> SlotsThatPlay(const FileModel& file, const Query& query)
{
    std::vector<SlotHit> hits;
    const SetListView first = SetListOf(file, 0);
    if (first.bank == nullptr)
        return hits;
    for (std::size_t i = 0; i < first.bank->setLists.size(); ++i) {
        ForEachPlayingSlot(first.bank->setLists[i], [&](std::size_t j, const Slot& slot) {
            const Plays plays = SlotPlays(file, slot);
            if (Matches(query, plays))
                hits.push_back({{0, i, j}, plays});
        });
    }
    return hits;
}

std::vector<RecordHit> RecordsNamedBy(const FileModel& file, const Query& query)
{
    std::vector<RecordHit> hits;
    for (std::size_t b = 0; b < file.banks.size(); ++b) {
        const Bank& bank = file.banks[b];
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            Target target{};
            const bool hit = query.places.empty() ? query.nameCanBe && NameHasWords(bank.records[i].name, query.folded)
                                                  : TargetOfRecord(file, b, i, target) && Names(query, target);
            if (hit)
                hits.push_back({b, i});
        }
    }
    return hits;
}

std::vector<std::string> NearestNames(const FileModel& file, const Query& query, std::size_t most)
{
    if (!query.places.empty() || !query.nameCanBe || query.folded.empty())
        return {};
    // Near: no more letters apart than a third of the query's (two at least); the nearest first,
    // then in file order, each name once.
    const std::size_t within = std::max<std::size_t>(2, query.folded.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    std::set<std::string> seen;
    for (const Bank& bank : file.banks)
        for (const Record& record : bank.records) {
            if (record.name.empty() || !seen.insert(record.name).second)
                continue;
            const std::size_t distance = EditDistance(query.folded, FoldedName(record.name));
            if (distance <= within)
                near.emplace_back(distance, record.name);
        }
    std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t k = 0; k < near.size() && k < most; ++k)
        names.push_back(near[k].second);
    return names;
}

}   // namespace scry
