// The page's library answered: summaries made, kept and searched, and history's versions compared.
#include "requests/Shelf.h"

#include <memory>
#include <utility>
#include <vector>

#include "requests/Arguments.h"
#include "requests/LibraryAnswers.h"
#include "summary/SummaryCodec.h"
#include "text/LibraryQuery.h"
#include "text/Words.h"

namespace scry {

class ShelfAnswering {
public:
    ShelfAnswering(Shelf& shelf, InputStream* given) : shelf_(shelf), given_(given) {}
    ordered_json Asked(const ordered_json& asked);

private:
    InputStream& Given(const char* request) const;
    const Shelf::Held& HeldOf(std::int64_t id) const;
    std::vector<const ops::Summarised*> Chosen(const ordered_json& asked) const;
    ordered_json Kept(ops::Summarised file, std::string key);
    ordered_json Summarised(const ordered_json& asked);
    ordered_json Restored(const ordered_json& asked);
    ordered_json Found(const ordered_json& asked) const;
    ordered_json Versions(const ordered_json& asked);
    ordered_json Version(const ordered_json& asked);
    ops::History& HistoryOf(const ordered_json& asked);

    Shelf& shelf_;
    InputStream* given_;
};

InputStream& ShelfAnswering::Given(const char* request) const
{
    if (given_ == nullptr)
        Refuse("request", std::string(request) + " reads a file, and none was given");
    return *given_;
}

const Shelf::Held& ShelfAnswering::HeldOf(std::int64_t id) const
{
    const auto found = id < 0 || id > INT32_MAX ? shelf_.files_.end() : shelf_.files_.find(static_cast<int>(id));
    if (found == shelf_.files_.end())
        Refuse("file", "no summary " + std::to_string(id) + " is held", {{"shelf", id}});
    return found->second;
}

std::vector<const ops::Summarised*> ShelfAnswering::Chosen(const ordered_json& asked) const
{
    std::vector<const ops::Summarised*> chosen;
    for (const ordered_json& id : List(asked, "shelf"))
        chosen.push_back(&HeldOf(WholeOf(id, "shelf")).file);
    return chosen;
}

// A summary (or why its file could not be read) kept under a new id: what the page is told of it.
ordered_json ShelfAnswering::Kept(ops::Summarised file, std::string key)
{
    if (file.summary)
        shelf_.pool_.ShareAll(*file.summary);
    const int id = ++shelf_.lastId_;
    ordered_json out = {{"shelf", id}, {"name", file.name}};
    if (!file.summary) {
        out["state"] = "unreadable";
        out["message"] = UnreadableText(file.name, *file.unreadable);
    } else if (!file.summary->problems.empty()) {
        out["state"] = "damaged";
        out["message"] = DamagedText(file.name, file.summary->problems);
    } else {
        out["state"] = "read";
        out["message"] = "";
    }
    shelf_.files_.emplace(id, Shelf::Held{std::move(file), std::move(key)});
    return out;
}

ordered_json ShelfAnswering::Summarised(const ordered_json& asked)
{
    ops::Summarised file{TextOr(asked, "name", ""), std::nullopt, std::nullopt};
    const std::string key = TextOr(asked, "key", "");
    InputStream& stream = Given("summarise");
    try {
        file.summary = SummaryOf(ReadModel(stream, file.name, false));   // a summary has no chunk fingerprints
    } catch (const Unreadable& unreadable) {
        file.unreadable = unreadable;
    }
    return Kept(std::move(file), key);
}

ordered_json ShelfAnswering::Restored(const ordered_json& asked)
{
    ops::Summarised file{TextOr(asked, "name", ""), std::nullopt, std::nullopt};
    const std::string key = TextOr(asked, "key", "");
    InputStream& stream = Given("restore");
    std::string blob(static_cast<std::size_t>(InputSize(stream)), '\0');
    if (InputReadAt(stream, 0, blob.data(), blob.size()) != blob.size())
        Refuse("damaged", "the summary kept of " + file.name + " ends early");
    try {
        file.summary = DecodeSummary(blob, key);
    } catch (const DamagedSummary& damaged) {
        Refuse("damaged", "the summary kept of " + file.name + " cannot be read: " + damaged.what());
    }
    return Kept(std::move(file), key);
}

ordered_json ShelfAnswering::Found(const ordered_json& asked) const
{
    const std::vector<const ops::Summarised*> chosen = Chosen(asked);
    const FindQuery query = FindQueryAsked(asked, [&](const std::string& text, FindQuery& sound) {
        const ops::Summarised& file = HeldOf(Whole(asked, "soundOf")).file;
        if (!file.summary)
            Refuse("asked", UnreadableText(file.name, *file.unreadable), Argument("soundOf"));
        return SoundQueryOf(*file.summary, file.name, text, sound);
    });
    return FoundAnswer(ops::Find(chosen, query), query, asked, "shelf");
}

ordered_json ShelfAnswering::Versions(const ordered_json& asked)
{
    std::optional<Query> follow;
    if (const std::string why = FollowQueryOf(TextOr(asked, "place", ""), TextOr(asked, "name", ""), follow);
        !why.empty())
        Refuse("asked", why, Argument("place"));
    const int id = ++shelf_.lastId_;
    shelf_.histories_.emplace(id, ops::History(follow, FlagOr(asked, "all", false)));
    return {{"history", id}};
}

ops::History& ShelfAnswering::HistoryOf(const ordered_json& asked)
{
    const std::int64_t id = Whole(asked, "history");
    const auto found =
        id < 0 || id > INT32_MAX ? shelf_.histories_.end() : shelf_.histories_.find(static_cast<int>(id));
    if (found == shelf_.histories_.end())
        Refuse("file", "no history " + std::to_string(id) + " is held", {{"history", id}});
    return found->second;
}

// The next version read whole (history compares whole files), compared and let go but for what
// the next comparison needs.
ordered_json ShelfAnswering::Version(const ordered_json& asked)
{
    ops::History& history = HistoryOf(asked);
    const std::string name = TextOr(asked, "name", "");
    std::optional<FileModel> model;
    std::string note;
    try {
        model = ReadModel(Given("version"), name);
    } catch (const Unreadable& unreadable) {
        note = UnreadableText(name, unreadable);
    }
    if (!model)
        return {{"text", ""}, {"note", note}};
    if (model->Damaged())
        note = DamagedText(model->name, model->problems);
    return {{"text", history.Next(std::move(*model), FlagOr(asked, "more", false))}, {"note", note}};
}

ordered_json ShelfAnswering::Asked(const ordered_json& asked)
{
    if (!asked.is_object())
        Refuse("request", "a request is a JSON object");
    const std::string name = TextOr(asked, "request", "");
    if (name == "summarise")
        return Summarised(asked);
    if (name == "restore")
        return Restored(asked);
    if (name == "find")
        return Found(asked);
    if (name == "dups")
        return DupsAnswer(ops::Dups(Chosen(asked), FlagOr(asked, "across", false)));
    if (name == "forget") {
        HeldOf(Whole(asked, "shelf"));
        shelf_.files_.erase(static_cast<int>(Whole(asked, "shelf")));
        return nullptr;
    }
    if (name == "history")
        return Versions(asked);
    if (name == "version")
        return Version(asked);
    if (name == "history-end") {
        const bool differs = HistoryOf(asked).Differs();
        shelf_.histories_.erase(static_cast<int>(Whole(asked, "history")));
        return {{"differs", differs}};
    }
    Refuse("request", name.empty() ? "the request names no request" : "no request " + name, Argument("request"));
}

std::string Shelf::Answer(std::string_view request, InputStream* given)
{
    return Guarded([&] {
        const ordered_json asked = ordered_json::parse(request.begin(), request.end(), nullptr, false);
        if (asked.is_discarded())
            Refuse("request", "the request is not JSON");
        return ShelfAnswering(*this, given).Asked(asked);
    });
}

std::optional<std::string> Shelf::StoredBytes(int shelf) const
{
    const auto found = files_.find(shelf);
    if (found == files_.end() || !found->second.file.summary)
        return std::nullopt;
    return EncodeSummary(*found->second.file.summary, found->second.key);
}

}   // namespace scry
