// Find's queries read from what a user gives (a name, a place, the sound of a record of a file),
// and what is said where nothing is found.
#include "text/LibraryQuery.h"

#include "StStrL/StStrL.h"
#include "model/Match.h"
#include "model/Plays.h"
#include "model/Uses.h"
#include "text/Text.h"

namespace scry {

std::string PlaceQueryOf(const std::string& placeText, FindQuery& query)
{
    query.by = FindQuery::By::Place;
    query.text = placeText;
    query.places = QueryOf(placeText).places;
    return query.places.empty() ? LineText(placeText) + ": not a place (Prog U-A006, Combi I-B010, I-A000)" : "";
}

std::string NotANameText(const std::string& utf8)
{
    std::string text = "\"";
    text += LineText(utf8);
    return text + "\" holds characters no name can hold (names are ISO 8859-1)";
}

std::string NameQueryOf(const std::string& name, FindQuery& query)
{
    query.by = FindQuery::By::Name;
    query.text = name;
    return FoldedLatin1(name, query.folded) ? "" : NotANameText(name);
}

namespace {

// The query of the sound of what placeText names, of a file read whole or of its summary: found
// holds the bank chunk and sound of each record the place names in the file.
std::string SoundQueryFrom(const std::vector<std::pair<ChunkId, std::uint32_t>>& found, bool isPlace,
                           const std::string& fileName, const std::string& placeText, FindQuery& query)
{
    if (!isPlace)
        return LineText(placeText) + ": not a place (Prog U-A006, Combi I-B010, I-A000)";
    if (found.empty())
        return SourceName(fileName) + " holds no program or combination at " + LineText(placeText);
    if (found.size() > 1)
        return LineText(placeText) + " names a program and a combination of " + SourceName(fileName) + ": say Prog " +
               LineText(placeText) + " or Combi " + LineText(placeText);
    query.by = FindQuery::By::Sound;
    query.text = placeText;
    query.soundChunk = found.front().first;
    query.sound = found.front().second;
    return "";
}

}   // namespace

std::string SoundQueryOf(const FileModel& file, const std::string& fileName, const std::string& placeText,
                         FindQuery& query)
{
    const Query place = QueryOf(placeText);
    std::vector<std::pair<ChunkId, std::uint32_t>> found;
    for (const Target& target : place.places) {
        const Plays plays = WhatSlotPlays(file, target);
        if (plays.record != nullptr)
            found.emplace_back(file.banks[plays.bank].id, plays.record->sound);
    }
    return SoundQueryFrom(found, !place.places.empty(), fileName, placeText, query);
}

std::string SoundQueryOf(const FileSummary& file, const std::string& fileName, const std::string& placeText,
                         FindQuery& query)
{
    const Query place = QueryOf(placeText);
    std::vector<std::pair<ChunkId, std::uint32_t>> found;
    for (const Target& target : place.places) {
        const PlayedRow played = PlayedIn(file, target);
        if (played.record != nullptr)
            found.emplace_back(played.bank->chunk, played.record->sound);
    }
    return SoundQueryFrom(found, !place.places.empty(), fileName, placeText, query);
}

std::string FollowQueryOf(const std::string& place, const std::string& name, std::optional<Query>& follow)
{
    if (!place.empty()) {
        follow = QueryOf(place);
        if (follow->places.empty())
            return LineText(place) + ": not a place (Prog U-A006, Combi I-B010, I-A000)";
    } else if (!name.empty()) {
        follow = Query{};
        follow->text = name;
        if (!FoldedLatin1(name, follow->folded))
            return NotANameText(name);
    }
    return "";
}

std::string NothingFound(const FindQuery& query, std::size_t files)
{
    const std::string in = " in " + std::to_string(files) + (files == 1 ? " file" : " files");
    switch (query.by) {
    case FindQuery::By::Name: return "nothing named \"" + LineText(query.text) + "\"" + in;
    case FindQuery::By::Place: return "nothing at " + LineText(query.text) + in;
    case FindQuery::By::Sound: return "no record of that sound (" + HexLong(query.sound) + ")" + in;
    }
    return "";
}

}   // namespace scry
