// scry find, scry dups and scry history: a library of files and folders at once.
#include "command/Commands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "StStrL/StStrL.h"
#include "library/Catalogue.h"
#include "library/Files.h"
#include "library/Scan.h"
#include "library/Pool.h"
#include "summary/Search.h"
#include "model/Compare.h"
#include "model/Match.h"
#include "model/Uses.h"
#include "ops/History.h"
#include "text/DiffText.h"
#include "text/LibraryQuery.h"
#include "text/LibraryText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

// "reading 312/1000 files, 4.1 GB" on standard error where it is a terminal and the work has
// taken a second; the line is wiped when the work is done.
class ProgressLine {
public:
    explicit ProgressLine(const Console& console)
        : shown(console.err == nullptr && StandardErrorIsTerminal()), start(std::chrono::steady_clock::now())
    {
    }
    ~ProgressLine()
    {
        if (drawn) {
            std::fprintf(stderr, "\r%*s\r", static_cast<int>(width), "");
            std::fflush(stderr);
        }
    }
    void Show(const ScanProgress& progress)
    {
        if (!shown || !progress.reading || std::chrono::steady_clock::now() - start < std::chrono::seconds(1))
            return;
        const std::string line = ProgressText(progress);
        width = std::max(width, line.size());
        std::fprintf(stderr, "\r%-*s", static_cast<int>(width), line.c_str());
        std::fflush(stderr);
        drawn = true;
    }

private:
    bool shown;
    bool drawn = false;
    std::size_t width = 0;
    std::chrono::steady_clock::time_point start;
};

// The files of the paths; a name that is neither file nor folder is said, as trouble.
FilesFound FilesOf(const std::vector<std::string>& paths, Console& console, int& status, bool distinct = true)
{
    FilesFound found = FindLibraryFiles(paths, distinct);
    for (const FileTrouble& trouble : found.trouble) {
        SayError(console, SourceName(trouble.name) + ": " + trouble.why);
        status = Worst(status, TroubleStatus);
    }
    return found;
}

// Refuses, as trouble, a catalogue name under which a user's own file stands: an input of the
// search, a PCG file, any other file that is no SQLite database. Nothing is moved.
[[noreturn]] void RefuseCatalogue(const std::string& path, const std::string& why)
{
    throw Trouble("cannot keep the catalogue in " + LineText(path) + ": " + why +
                  "; --catalogue names a new file, or one scry made");
}

void RefuseUsersFileAsCatalogue(const std::string& path, const std::vector<LibraryFile>& files)
{
    FileIdentity catalogue;
    if (IdentifyFile(path, catalogue)) {
        for (const LibraryFile& file : files) {
            FileIdentity read;
            if (IdentifyFile(file.path, read) && read == catalogue)
                RefuseCatalogue(path, "it is an input of this command");
        }
    }
    switch (RefusalOfCatalogueName(path)) {
    case CatalogueRefusal::None: return;
    case CatalogueRefusal::NotAFile: RefuseCatalogue(path, "it is not a regular file");
    case CatalogueRefusal::PcgFile: RefuseCatalogue(path, "it is a PCG file");
    case CatalogueRefusal::NotADatabase: RefuseCatalogue(path, "it is a file that is not a catalogue of scry's");
    }
}

// Runs a search with the catalogue the options name: one of scry's that is damaged or of another
// schema is set aside and built anew, one that cannot be used is left alone and every file read;
// a user's file under its name is refused.
template <class Search>
auto WithCatalogue(const LibraryOptions& options, Console& console, const std::vector<LibraryFile>& files,
                   Search&& search)
{
    if (options.noCatalogue)
        return search(nullptr);
    const std::string path = options.catalogue.empty() ? DefaultCataloguePath() : options.catalogue;
    if (path.empty()) {
        SayError(console, "no cache folder (neither XDG_CACHE_HOME nor HOME is set): every file is read afresh; "
                          "--catalogue FILE keeps one");
        return search(nullptr);
    }
    RefuseUsersFileAsCatalogue(path, files);
    for (int attempt = 0;; ++attempt) {
        bool othersCatalogue = false;
        try {
            Catalogue catalogue(path);
            othersCatalogue = catalogue.ReadOnly();
            if (othersCatalogue)
                SayError(console,
                         "note: catalogue " + LineText(path) +
                             " is another user's, or not yours to write: it is read, and nothing is kept in it");
            return search(&catalogue);
        } catch (const CatalogueError& error) {
            if (error.foreign)
                RefuseCatalogue(path, error.what());
            const std::string said = "catalogue " + LineText(path) + " cannot be used (" + error.what() + ")";
            // Another user's catalogue is never set aside, whatever it holds.
            if (!error.damaged || attempt > 0 || othersCatalogue) {
                SayError(console, said + "; every file is read afresh");
                return search(nullptr);
            }
            const std::string aside = SetCatalogueAside(path);
            if (aside.empty()) {
                SayError(console, said + " and cannot be set aside; every file is read afresh");
                return search(nullptr);
            }
            SayError(console, said + "; set aside as " + LineText(aside) + ", and built anew");
        }
    }
}

// What the scan met, said a line each in the order of the files: a file that is no PCG file
// (given by name: trouble; found in a folder: skipped), one that cannot be opened, one damaged.
int SayWhatWasMet(const std::vector<LibraryEntry>& entries, Console& console)
{
    int status = Success;
    for (const LibraryEntry& entry : entries) {
        if (entry.state == LibraryEntry::State::Unreadable || entry.state == LibraryEntry::State::Gone) {
            const std::string why = entry.unreadable ? UnreadableText(entry.file.path, *entry.unreadable)
                                                     : SourceName(entry.file.path) + ": " + entry.failure;
            SayError(console, entry.file.named ? why : "skipped " + why);
            if (entry.file.named)
                status = Worst(status, TroubleStatus);
        } else if (!entry.problems.empty()) {
            SayError(console, DamagedText(entry.file.path, entry.problems));
            status = Worst(status, Damaged);
        }
        if (entry.Searched() && entry.setListBanks > 1)
            SayError(console, "note: " + SourceName(entry.file.path) + " holds " + std::to_string(entry.setListBanks) +
                                  " set-list banks; set lists are read from the first, the others are not read");
    }
    return status;
}

// A library's file is an input like any other: -o never names one (a file under a folder that
// was skipped, as no PCG file, included).
void RefuseInputAsOutput(const std::string& output, const std::vector<LibraryFile>& files)
{
    FileIdentity written;
    if (output.empty() || !IdentifyFile(output, written))
        return;
    for (const LibraryFile& file : files) {
        FileIdentity read;
        if (IdentifyFile(file.path, read) && read == written)
            throw Trouble("cannot write " + LineText(output) + ": it is an input of this command");
    }
}

unsigned KindsOf(const std::vector<std::string>& kinds)
{
    if (kinds.empty())
        return AllHitKinds;
    unsigned bits = 0;
    for (const std::string& kind : kinds) {
        if (kind == "prog")
            bits |= HitBit(HitKind::Program);
        else if (kind == "combi")
            bits |= HitBit(HitKind::Combination);
        else if (kind == "slot")
            bits |= HitBit(HitKind::Slot);
        else if (kind == "setlist")
            bits |= HitBit(HitKind::SetList);
        else
            throw Trouble("--kind " + LineText(kind) + ": prog, combi, slot or setlist");
    }
    return bits;
}

// The record at PLACE in FILE, whose sound --sound-of looks for.
void SoundOf(const std::string& file, const std::string& placeText, Console& console, FindQuery& query)
{
    Session session(console, {file}, "", OutputKind::Text, false);
    const FileModel model = session.Read(0);
    const std::string why = SoundQueryOf(model, file, placeText, query);
    if (!why.empty())
        throw Trouble(QueryOf(placeText).places.empty() ? "--sound-of " + why : why);
}

FindQuery FindQueryOf(const FindOptions& options, std::vector<std::string>& paths, Console& console)
{
    FindQuery query;
    query.kinds = KindsOf(options.kinds);
    const int asked = !options.place.empty() + !options.soundOf.empty();
    if (asked > 1)
        throw Trouble("find by one of a name, --place or --sound-of");
    if (!options.place.empty()) {
        if (const std::string why = PlaceQueryOf(options.place, query); !why.empty())
            throw Trouble("--place " + why);
    } else if (!options.soundOf.empty()) {
        SoundOf(options.soundOf[0], options.soundOf[1], console, query);
    } else {
        if (paths.size() < 2)
            throw Trouble("find what? paths, then a NAME; or --place PLACE, or --sound-of FILE PLACE");
        const std::string name = paths.back();
        paths.pop_back();
        if (const std::string why = NameQueryOf(name, query); !why.empty())
            throw Trouble(why);
    }
    if (paths.empty())
        throw Trouble("find where? name files and folders");
    return query;
}

std::size_t Searched(const std::vector<LibraryEntry>& entries)
{
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const LibraryEntry& e) { return e.Searched(); }));
}

}   // namespace

int RunFind(const FindOptions& options, Console& console)
{
    std::vector<std::string> paths = options.files;
    const FindQuery query = FindQueryOf(options, paths, console);
    Session session(console, {}, options.output, OutputKind::Text, options.force);
    int status = Success;
    const FilesFound found = FilesOf(paths, console, status);
    ProgressLine progress(console);
    const auto [entries, hits] = WithCatalogue(options, console, found.files, [&](Catalogue* catalogue) {
        std::vector<FileHits> hits(found.files.size());
        Searcher searcher(query);
        std::vector<LibraryEntry> entries = ScanLibrary(
            found, catalogue, options.jobs,
            [&](std::size_t i, FileSummary&& summary) { hits[i] = searcher.HitsIn(summary); },
            [&](const ScanProgress& state) { progress.Show(state); });
        return std::make_pair(std::move(entries), std::move(hits));
    });
    status = Worst(status, SayWhatWasMet(entries, console));
    RefuseInputAsOutput(session.Output(), found.files);
    session.Deliver(options.json   ? FindJson(entries, hits)
                    : options.each ? FindLines(entries, hits)
                                   : FindGroupedLines(entries, hits));
    const bool any = std::any_of(hits.begin(), hits.end(), [](const FileHits& file) { return !file.Empty(); });
    if (!any)
        SayError(console, NothingFound(query, Searched(entries)));
    return session.StatusWith(Worst(status, any ? Success : Differ));
}

int RunDups(const DupsOptions& options, Console& console)
{
    Session session(console, {}, options.output, OutputKind::Text, options.force);
    int status = Success;
    const FilesFound found = FilesOf(options.files, console, status);
    ProgressLine progress(console);
    const auto [entries, duplicates] = WithCatalogue(options, console, found.files, [&](Catalogue* catalogue) {
        DuplicateFinder finder;
        std::vector<LibraryEntry> entries = ScanLibrary(
            found, catalogue, options.jobs,
            [&](std::size_t i, FileSummary&& summary) { finder.Add(i, std::move(summary)); },
            [&](const ScanProgress& state) { progress.Show(state); });
        return std::make_pair(std::move(entries), finder.Groups(options.across));
    });
    status = Worst(status, SayWhatWasMet(entries, console));
    RefuseInputAsOutput(session.Output(), found.files);
    if (options.json) {
        session.Deliver(DupsJson(entries, duplicates));
    } else {
        Delivery delivery(session.Output(), session.Streams());
        std::string out;
        out.reserve(2 * Delivery::Block);
        WriteDups(out, entries, duplicates, [&](std::string& text) { delivery.Part(text); });
        delivery.Finish(out);
    }
    const bool any = !duplicates.sounds.empty() || !duplicates.setLists.empty();
    return session.StatusWith(Worst(status, any ? Success : Differ));
}

namespace {

struct Version {
    std::optional<FileModel> model;
    std::string trouble;
};

}   // namespace

int RunHistory(const HistoryOptions& options, Console& console)
{
    Session session(console, {}, options.output, OutputKind::Text, options.force);
    int status = Success;
    FilesFound found = FilesOf(options.files, console, status, false);
    std::optional<Query> follow;
    if (const std::string why = FollowQueryOf(options.place, options.name, follow); !why.empty())
        throw Trouble(follow && !options.place.empty() ? "--place " + why : why);
    if (options.byTime) {
        std::vector<std::pair<FileIdentity, LibraryFile>> timed;
        for (const LibraryFile& file : found.files) {
            FileIdentity identity;
            IdentifyFile(file.path, identity);
            timed.push_back({identity, file});
        }
        std::stable_sort(timed.begin(), timed.end(),
                         [](const auto& a, const auto& b) { return a.first.modified < b.first.modified; });
        for (std::size_t i = 0; i < timed.size(); ++i)
            found.files[i] = timed[i].second;
    }
    if (found.files.size() < 2 && status == Success)
        throw Trouble("history of what? two versions of a file at least");
    std::string text;
    ops::History history(follow, options.all);
    InOrder<Version>(
        found.files.size(), WorkerCount(options.jobs, found.files.size()),
        [&](std::size_t i) {
            Version version;
            try {
                std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> stream(OpenInput(found.files[i].path),
                                                                                     &CloseInput);
                version.model = ReadModel(*stream, found.files[i].path);
            } catch (const Unreadable& unreadable) {
                version.trouble = UnreadableText(found.files[i].path, unreadable);
            } catch (const std::exception& error) {
                version.trouble = SourceName(found.files[i].path) + ": " + error.what();
            }
            return version;
        },
        [&](std::size_t i, Version&& version) {
            if (!version.model) {
                SayError(console, version.trouble);
                status = Worst(status, TroubleStatus);
                return;
            }
            if (version.model->Damaged()) {
                SayError(console, DamagedText(version.model->name, version.model->problems));
                status = Worst(status, Damaged);
            }
            text += history.Next(std::move(*version.model), i + 1 < found.files.size());
        },
        [] {});
    RefuseInputAsOutput(session.Output(), found.files);
    session.Deliver(text);
    return session.StatusWith(Worst(status, history.Differs() ? Differ : Success));
}

}   // namespace scry
