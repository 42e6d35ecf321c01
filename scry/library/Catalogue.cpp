// The catalogue in SQLite: a row per file, every statement prepared, every value bound.
#include "library/Catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <chrono>
#include <system_error>
#include <thread>

#include "library/Sqlite.h"
#include "library/SummaryCodec.h"

namespace scry {

namespace fs = std::filesystem;

namespace {

// What SQLite raised, as the catalogue's error: the catalogue is damaged, or it could not be used.
template <class Work>
auto Guarded(Work&& work)
{
    try {
        return work();
    } catch (const SqliteError& error) {
        throw CatalogueError(error.what(), error.Damaged());
    }
}

}   // namespace

int CatalogueVersion()
{
    static const int version = [] {
        const std::string schema = CatalogueSchema();
        const std::string marker = "PRAGMA user_version = ";
        const std::size_t at = schema.find(marker);
        return at == std::string::npos ? 0 : std::atoi(schema.c_str() + at + marker.size());
    }();
    return version;
}

std::string DefaultCataloguePath()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && value[0] != '\0' ? std::string(value) : std::string();
    };
    fs::path base;
    if (!PosixSystem)
        base = set("LOCALAPPDATA");
    else if (!set("XDG_CACHE_HOME").empty())
        base = set("XDG_CACHE_HOME");
    else if (!set("HOME").empty())
        base = fs::path(set("HOME")) / ".cache";
    return base.empty() ? std::string() : (base / "scry" / "library.sqlite").string();
}

std::string SetCatalogueAside(const std::string& path)
{
    std::error_code error;
    std::string aside;
    for (int n = 1; n < 100; ++n) {
        aside = path + ".set-aside";
        if (n > 1)
            aside.append(1, '-').append(std::to_string(n));
        if (!fs::exists(aside, error))
            break;
    }
    fs::rename(path, aside, error);
    if (error)
        return "";
    for (const char* journal : {"-wal", "-shm", "-journal"})
        fs::remove(path + journal, error);
    return aside;
}

Catalogue::Catalogue(const std::string& path)
{
    std::error_code ignored;
    if (fs::path(path).has_parent_path())
        fs::create_directories(fs::path(path).parent_path(), ignored);
    // Another process making or opening the same catalogue may hold a lock that SQLite's wait
    // does not cover (while the journal changes to WAL): the opening is tried again a while.
    for (int attempt = 0;; ++attempt) {
        try {
            Open(path);
            return;
        } catch (const SqliteError& error) {
            if (!error.Busy() || attempt >= 200)
                throw CatalogueError(error.what(), error.Damaged());
            database.reset();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

void Catalogue::Open(const std::string& path)
{
    {
        database = std::make_unique<Database>(path);
        database->WaitWhenBusy(10000);
        // WAL first, so that readers and a writer never wait on each other; it stays in the file.
        database->Execute("PRAGMA journal_mode = WAL");
        // The first read of the file: a file that is no database fails here.
        std::int64_t version = database->Number("PRAGMA user_version");
        if (version == 0) {
            Transaction made(*database);
            version = database->Number("PRAGMA user_version");
            if (version == 0) {
                if (database->Number("SELECT count(*) FROM sqlite_master") != 0)
                    throw CatalogueError("it holds tables that are not a catalogue's", true);
                database->Execute(CatalogueSchema());
                version = CatalogueVersion();
            }
            made.Commit();
        }
        if (version != CatalogueVersion())
            throw CatalogueError("its schema is version " + std::to_string(version) + ", not " +
                                     std::to_string(CatalogueVersion()),
                                 true);
        database->Execute("PRAGMA synchronous = NORMAL");
    }
}

Catalogue::~Catalogue() = default;

std::map<std::string, Catalogue::Entry> Catalogue::Entries()
{
    return Guarded([&] {
        std::map<std::string, Entry> entries;
        Statement rows(*database, "SELECT id, key, size, modified, inode FROM files");
        while (rows.Step())
            entries[rows.Bytes(1)] = {rows.Number(0),
                                      {rows.Number(2), rows.Number(3), static_cast<std::uint64_t>(rows.Number(4))}};
        return entries;
    });
}

std::optional<FileSummary> Catalogue::Load(std::int64_t id)
{
    return Guarded([&]() -> std::optional<FileSummary> {
        Statement row(*database, "SELECT summary FROM files WHERE id = ?1");
        row.Bind(1, id);
        if (!row.Step())
            return std::nullopt;
        try {
            return DecodeSummary(row.Bytes(0));
        } catch (const DamagedSummary& damaged) {
            throw CatalogueError(std::string("a file's summary is damaged: ") + damaged.what(), true);
        }
    });
}

std::int64_t Catalogue::Store(const std::string& key, const FileIdentity& identity, const FileSummary& summary)
{
    const std::string blob = EncodeSummary(summary);
    return Guarded([&] {
        Transaction transaction(*database);
        Statement held(*database, "SELECT id, size, modified, inode FROM files WHERE key = ?1");
        held.Bind(1, key);
        if (held.Step() &&
            FileIdentity{held.Number(1), held.Number(2), static_cast<std::uint64_t>(held.Number(3))} == identity) {
            const std::int64_t id = held.Number(0);
            held.Reset();
            transaction.Commit();
            return id;
        }
        held.Reset();
        Statement(*database, "DELETE FROM files WHERE key = ?1").Bind(1, key).Run();
        Statement file(*database,
                       "INSERT INTO files (key, size, modified, inode, summary) VALUES (?1, ?2, ?3, ?4, ?5)");
        file.Bind(1, key).Bind(2, identity.size).Bind(3, identity.modified);
        file.Bind(4, static_cast<std::int64_t>(identity.inode)).Bind(5, blob).Run();
        const std::int64_t id = database->LastRowId();
        transaction.Commit();
        return id;
    });
}

void Catalogue::Drop(const std::vector<std::int64_t>& ids)
{
    if (ids.empty())
        return;
    Guarded([&] {
        Transaction transaction(*database);
        Statement drop(*database, "DELETE FROM files WHERE id = ?1");
        for (const std::int64_t id : ids)
            drop.Bind(1, id).Run();
        transaction.Commit();
        return 0;
    });
}

}   // namespace scry
