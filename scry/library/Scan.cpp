// The scan of a library.
#include "library/Scan.h"

#include <memory>
#include <set>
#include <system_error>

#include "library/Pool.h"

namespace scry {

namespace {

struct Outcome {
    LibraryEntry entry;
    std::optional<FileSummary> summary;
};

// A file read on a worker: its identity first, so that a change while it is read shows next time.
Outcome ReadOne(const LibraryFile& file)
{
    Outcome outcome;
    outcome.entry.file = file;
    try {
        if (!IdentifyFile(file.path, outcome.entry.identity))
            throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> stream(OpenInput(file.path), &CloseInput);
        const FileModel model = ReadModel(*stream, file.path, false);   // a summary has no chunk fingerprints
        outcome.summary = SummaryOf(model);
        outcome.entry.problems = model.problems;
        outcome.entry.state = LibraryEntry::State::Read;
    } catch (const Unreadable& unreadable) {
        outcome.entry.state = LibraryEntry::State::Unreadable;
        outcome.entry.unreadable = unreadable;
    } catch (const std::system_error& error) {
        outcome.entry.state = LibraryEntry::State::Gone;
        outcome.entry.failure = error.code().message();
    } catch (const std::exception& error) {
        outcome.entry.state = LibraryEntry::State::Gone;
        outcome.entry.failure = error.what();
    }
    return outcome;
}

bool Under(const std::string& key, const std::string& root)
{
    if (key.size() <= root.size() || key.compare(0, root.size(), root) != 0)
        return false;
    const char next = key[root.size()];
    const char last = root.back();
    return next == '/' || next == '\\' || last == '/' || last == '\\';
}

}   // namespace

std::vector<LibraryEntry> ScanLibrary(const FilesFound& found, Catalogue* catalogue, unsigned jobs,
                                      const std::function<void(std::size_t, FileSummary&&)>& read,
                                      const std::function<void(const ScanProgress&)>& progress)
{
    const std::size_t count = found.files.size();
    std::vector<LibraryEntry> entries(count);
    std::map<std::string, Catalogue::Entry> held;
    if (catalogue != nullptr)
        held = catalogue->Entries();
    // Files the catalogue holds as they are now are taken from it; the others are read.
    std::vector<bool> catalogued(count, false);
    std::size_t toRead = 0;
    for (std::size_t i = 0; i < count; ++i) {
        LibraryEntry& entry = entries[i];
        entry.file = found.files[i];
        const auto known = held.find(entry.file.key);
        catalogued[i] = known != held.end() && IdentifyFile(entry.file.path, entry.identity) &&
                        entry.identity == known->second.identity;
        if (catalogued[i])
            entry.id = known->second.id;
        toRead += !catalogued[i];
    }
    ScanProgress state{0, count, 0, toRead > 0};
    RowsPool pool;   // files read now share the rows they hold alike
    const std::function<Outcome(std::size_t)> work = [&](std::size_t i) {
        return catalogued[i] ? Outcome{} : ReadOne(found.files[i]);
    };
    const std::function<void(std::size_t, Outcome &&)> take = [&](std::size_t i, Outcome&& outcome) {
        LibraryEntry& entry = entries[i];
        ++state.done;
        if (catalogued[i]) {
            outcome.summary = catalogue->Load(entry.id);
            if (outcome.summary)
                entry.state = LibraryEntry::State::Catalogued;
            else
                outcome = ReadOne(entry.file);   // dropped by another process meanwhile
        }
        if (!catalogued[i] || entry.state != LibraryEntry::State::Catalogued) {
            entry = std::move(outcome.entry);
            state.bytes += static_cast<std::uint64_t>(entry.identity.size);
            if (outcome.summary)
                pool.ShareAll(*outcome.summary);
            if (outcome.summary && catalogue != nullptr)
                entry.id = catalogue->Store(entry.file.key, entry.identity, *outcome.summary);
        }
        if (!outcome.summary)
            return;
        entry.problems = outcome.summary->problems;
        entry.setListBanks = outcome.summary->setListBanks;
        read(i, std::move(*outcome.summary));
    };
    if (toRead == 0) {
        // Every file as the catalogue holds it: nothing to hand to other threads.
        for (std::size_t i = 0; i < count; ++i)
            take(i, Outcome{});
    } else {
        InOrder<Outcome>(count, WorkerCount(jobs, toRead), work, take, [&] { progress(state); });
    }
    if (catalogue == nullptr)
        return entries;
    // Files the catalogue held where this search looked, that are not there now.
    std::set<std::string> seen;
    for (const LibraryEntry& entry : entries)
        if (entry.Searched())
            seen.insert(entry.file.key);
    // (Another process may store some of them anew meanwhile: the search looks them up by key.)
    std::vector<std::int64_t> gone;
    for (const auto& [key, entry] : held) {
        if (seen.count(key) != 0)
            continue;
        bool looked = false;
        for (const std::string& root : found.roots)
            looked = looked || Under(key, root);
        for (const LibraryEntry& named : entries)
            looked = looked || (named.file.key == key && !named.Searched());
        if (looked)
            gone.push_back(entry.id);
    }
    catalogue->Drop(gone);
    return entries;
}

}   // namespace scry
