// The library in memory.
#include "ops/Library.h"

#include <functional>
#include <utility>

#include "summary/Summary.h"

namespace scry::ops {

namespace {

// Each file as a search meets it; read is given the summary of each one that could be read.
std::vector<LibraryEntry> EntriesOf(const std::vector<const Loaded*>& files,
                                    const std::function<void(std::size_t, FileSummary&&)>& read)
{
    std::vector<LibraryEntry> entries(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Loaded& file = *files[i];
        LibraryEntry& entry = entries[i];
        entry.file = {file.name, file.name, true};
        if (!file.model) {
            entry.state = LibraryEntry::State::Unreadable;
            entry.unreadable = Unreadable(file.refusal, file.detail);
            continue;
        }
        FileSummary summary = SummaryOf(*file.model);
        entry.state = LibraryEntry::State::Read;
        entry.problems = file.model->problems;
        entry.setListBanks = summary.setListBanks;
        read(i, std::move(summary));
    }
    return entries;
}

std::vector<const Loaded*> Pointed(const std::vector<Loaded>& files)
{
    std::vector<const Loaded*> pointed;
    for (const Loaded& file : files)
        pointed.push_back(&file);
    return pointed;
}

}   // namespace

FindOutcome Find(const std::vector<Loaded>& files, const FindQuery& query) { return Find(Pointed(files), query); }

DupsOutcome Dups(const std::vector<Loaded>& files, bool across) { return Dups(Pointed(files), across); }

FindOutcome Find(const std::vector<const Loaded*>& files, const FindQuery& query)
{
    FindOutcome outcome;
    outcome.hits.resize(files.size());
    Searcher searcher(query);
    outcome.entries =
        EntriesOf(files, [&](std::size_t i, FileSummary&& summary) { outcome.hits[i] = searcher.HitsIn(summary); });
    return outcome;
}

DupsOutcome Dups(const std::vector<const Loaded*>& files, bool across)
{
    DuplicateFinder finder;
    DupsOutcome outcome;
    outcome.entries =
        EntriesOf(files, [&](std::size_t i, FileSummary&& summary) { finder.Add(i, std::move(summary)); });
    outcome.duplicates = finder.Groups(across);
    return outcome;
}

}   // namespace scry::ops
