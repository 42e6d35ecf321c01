// find's and dups' answers to the page.
#include "requests/LibraryAnswers.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "text/LibraryQuery.h"
#include "text/LibraryText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

FindQuery FindQueryAsked(const ordered_json& asked, const SoundQueryReader& soundOf)
{
    const std::string by = TextOr(asked, "by", "name");
    const std::string text = TextOr(asked, "text", "");
    FindQuery query;
    std::string why;
    if (by == "place")
        why = PlaceQueryOf(text, query);
    else if (by == "sound")
        why = soundOf(text, query);
    else if (by == "name")
        why = text.empty() ? "find what? a name, a place, or the sound of a record" : NameQueryOf(text, query);
    else
        Refuse("request", "by is neither name, place nor sound", Argument("by"));
    if (!why.empty())
        Refuse("asked", why, Argument("text"));
    return query;
}

ordered_json FoundAnswer(const ops::FindOutcome& found, const FindQuery& query, const ordered_json& asked,
                         const char* idsKey)
{
    const ordered_json& ids = List(asked, idsKey);
    const std::int64_t mostAsked = asked.contains("most") ? Whole(asked, "most") : -1;
    std::size_t most = mostAsked < 0 ? SIZE_MAX : static_cast<std::size_t>(mostAsked);
    const bool any =
        std::any_of(found.hits.begin(), found.hits.end(), [](const FileHits& hits) { return !hits.Empty(); });
    ordered_json hits = ordered_json::array();
    bool more = false;
    // Each place while fewer than most are given; more: one was left out.
    const auto room = [&] {
        more = more || most == 0;
        return most > 0 ? (--most, true) : false;
    };
    for (std::size_t i = 0; i < found.hits.size() && i < ids.size(); ++i) {
        const FileHits& in = found.hits[i];
        if (in.Empty())
            continue;
        ordered_json setLists = ordered_json::array(), slots = ordered_json::array(), records = ordered_json::array();
        for (const LibrarySetList& list : in.setLists)
            if (room())
                setLists.push_back({{"number", list.number}, {"name", Utf8(list.name)}});
        for (const LibrarySlot& slot : in.slots)
            if (room())
                slots.push_back({{"setList", slot.at.setList}, {"slot", slot.at.slot}, {"name", Utf8(slot.name)}});
        for (const LibraryRecord& record : in.records)
            if (room())
                records.push_back({{"kind", RecordKindOf(record.place.kind)->noun},
                                   {"place", RecordPlaceText(record.bankName, record.occurrence, record.occurrences,
                                                             record.place.number)},
                                   {"name", Utf8(record.name)}});
        if (!setLists.empty() || !slots.empty() || !records.empty())
            hits.push_back({{"file", ids[i]}, {"setLists", setLists}, {"slots", slots}, {"records", records}});
    }
    const bool each = FlagOr(asked, "each", false);
    return {{"text", each ? FindLines(found.entries, found.hits) : FindGroupedLines(found.entries, found.hits)},
            {"nothing", any ? std::string() : NothingFound(query, found.entries.size())},
            {"hits", hits},
            {"more", more}};
}

ordered_json DupsAnswer(const ops::DupsOutcome& dups)
{
    std::set<std::uint32_t> soundFiles;
    std::size_t places = 0;
    for (const SoundGroup& group : dups.duplicates.sounds) {
        places += group.places.size();
        for (const SoundPlace& place : group.places)
            soundFiles.insert(place.file);
    }
    std::set<std::size_t> listFiles;
    for (const SetListGroup& group : dups.duplicates.setLists)
        for (const SetListPlace& place : group.places)
            listFiles.insert(place.file);
    return {{"text", DupsText(dups.entries, dups.duplicates)},
            {"any", !dups.duplicates.sounds.empty() || !dups.duplicates.setLists.empty()},
            {"summary",
             {{"sounds", dups.duplicates.sounds.size()},
              {"places", places},
              {"soundFiles", soundFiles.size()},
              {"setLists", dups.duplicates.setLists.size()},
              {"setListFiles", listFiles.size()}}}};
}

}   // namespace scry
