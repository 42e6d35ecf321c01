// The library in memory.
#include "ops/Library.h"

#include <functional>
#include <utility>

#include "summary/Summary.h"

namespace scry::ops {

namespace {

using Read = std::function<void(std::size_t, FileSummary&&)>;

// An entry for a file that could be read, its summary handed on to read.
void Entered(LibraryEntry& entry, std::size_t i, FileSummary&& summary, const Read& read)
{
    entry.state = LibraryEntry::State::Read;
    entry.problems = summary.problems;
    entry.setListBanks = summary.setListBanks;
    read(i, std::move(summary));
}

// Each file as a search meets it; read is given the summary of each one that could be read.
std::vector<LibraryEntry> EntriesOf(const std::vector<const Loaded*>& files, const Read& read)
{
    std::vector<LibraryEntry> entries(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Loaded& file = *files[i];
        entries[i].file = {file.name, file.name, true};
        if (!file.model) {
            entries[i].state = LibraryEntry::State::Unreadable;
            entries[i].unreadable = Unreadable(file.refusal, file.detail);
            continue;
        }
        Entered(entries[i], i, SummaryOf(*file.model), read);
    }
    return entries;
}

// The same of summaries, each copied for the search (its rows are shared, not copied).
std::vector<LibraryEntry> EntriesOf(const std::vector<const Summarised*>& files, const Read& read)
{
    std::vector<LibraryEntry> entries(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Summarised& file = *files[i];
        entries[i].file = {file.name, file.name, true};
        if (!file.summary) {
            entries[i].state = LibraryEntry::State::Unreadable;
            entries[i].unreadable = file.unreadable;
            continue;
        }
        Entered(entries[i], i, FileSummary(*file.summary), read);
    }
    return entries;
}

template <class File>
FindOutcome FindIn(const std::vector<const File*>& files, const FindQuery& query)
{
    FindOutcome outcome;
    outcome.hits.resize(files.size());
    Searcher searcher(query);
    outcome.entries =
        EntriesOf(files, [&](std::size_t i, FileSummary&& summary) { outcome.hits[i] = searcher.HitsIn(summary); });
    return outcome;
}

template <class File>
DupsOutcome DupsIn(const std::vector<const File*>& files, bool across)
{
    DuplicateFinder finder;
    DupsOutcome outcome;
    outcome.entries =
        EntriesOf(files, [&](std::size_t i, FileSummary&& summary) { finder.Add(i, std::move(summary)); });
    outcome.duplicates = finder.Groups(across);
    return outcome;
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

FindOutcome Find(const std::vector<const Loaded*>& files, const FindQuery& query) { return FindIn(files, query); }

FindOutcome Find(const std::vector<const Summarised*>& files, const FindQuery& query) { return FindIn(files, query); }

DupsOutcome Dups(const std::vector<const Loaded*>& files, bool across) { return DupsIn(files, across); }

DupsOutcome Dups(const std::vector<const Summarised*>& files, bool across) { return DupsIn(files, across); }

}   // namespace scry::ops
