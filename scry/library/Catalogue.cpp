// The catalogue in SQLite: a row per file, every statement prepared, every value bound.
#include "library/Catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <chrono>
#include <system_error>
#include <thread>

#include "library/Sqlite.h"
#include "summary/SummaryCodec.h"

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

CatalogueRefusal RefusalOfCatalogueName(const std::string& path)
{
    switch (WhatNameLeadsTo(path)) {
    case NameLeadsTo::Nothing:
    case NameLeadsTo::Folder: return CatalogueRefusal::None;
    case NameLeadsTo::RegularFile: break;
    case NameLeadsTo::Fifo:
    case NameLeadsTo::Device:
    case NameLeadsTo::OtherKind: return CatalogueRefusal::NotAFile;
    }
    // Every SQLite database begins with these 16 bytes; a file of none is one SQLite makes anew.
    static constexpr char Magic[] = "SQLite format 3";   // with its NUL: 16 bytes
    char head[sizeof Magic] = {};
    std::size_t got = 0;
    // Another scry making the catalogue at this moment may write its first page between our read
    // and our look at the size: a file that grew meanwhile, or whose first bytes are still zero,
    // is read again a moment later before it is called no database.
    for (int attempt = 0;; ++attempt) {
        got = ReadFileStart(path, head, sizeof head);
        if (got == sizeof head && std::equal(head, head + sizeof head, Magic))
            return CatalogueRefusal::None;
        if (got == 0) {
            FileIdentity identity;
            if (!IdentifyFile(path, identity))
                return CatalogueRefusal::NotADatabase;
            if (identity.size == 0)
                return CatalogueRefusal::None;
        }
        const bool blank = std::all_of(head, head + got, [](char byte) { return byte == 0; });
        if (!blank || attempt >= 20)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return got >= 4 && std::equal(head, head + 4, "KORG") ? CatalogueRefusal::PcgFile : CatalogueRefusal::NotADatabase;
}

Catalogue::Catalogue(const std::string& path)
{
    // A catalogue in a folder shared with other users: where its files are not this user's, a
    // connection that wrote, or made its -wal and -shm, would leave files that its owner cannot
    // write, and the owner's every later search could not store what it read.
    for (const char* beside : {"", "-wal", "-shm"})
        readOnly = readOnly || IsOthersFile(path + beside);
    if (readOnly) {
        try {
            Open(path);
        } catch (const SqliteError& error) {
            throw CatalogueError(error.what(), false);
        } catch (const CatalogueError& error) {
            throw CatalogueError(error.what(), false, error.foreign);
        }
        return;
    }
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
        database = std::make_unique<Database>(path, readOnly);
        database->WaitWhenBusy(10000);
        // What the database holds is looked at before anything is written to it: one that is no
        // catalogue of scry's (no table "files", or tables without a version) is someone's own.
        // One view of it for the look, so that another process making the catalogue meanwhile is
        // seen before or after, never half made.
        const auto tables = [&](const char* which) {
            std::string sql = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND ";
            return database->Number(sql.append(which).c_str());
        };
        std::int64_t version = 0, any = 0, files = 0;
        {
            Transaction look(*database, true);
            version = database->Number("PRAGMA user_version");
            any = tables("name NOT LIKE 'sqlite!_%' ESCAPE '!'");
            files = tables("name = 'files'");
            look.Commit();
        }
        if (any > 0 && (version == 0 || files == 0))
            throw CatalogueError("it is an SQLite database that is not a catalogue of scry's", false, true);
        if (readOnly) {
            if (version != CatalogueVersion() || tables("name IN ('files', 'rows', 'holds')") < 3)
                throw CatalogueError("it is another user's, and holds no catalogue of this version to read", false);
            return;
        }
        // WAL, so that readers and a writer never wait on each other; it stays in the file.
        database->Execute("PRAGMA journal_mode = WAL");
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
        // The right version without its tables (emptied by hand, or by another program): built anew.
        if (tables("name IN ('files', 'rows', 'holds')") < 3)
            throw CatalogueError("tables of it are missing", true);
        database->Execute("PRAGMA synchronous = NORMAL");
    }
}

Catalogue::~Catalogue() = default;

std::map<std::string, Catalogue::Entry> Catalogue::Entries()
{
    return Guarded([&] {
        std::map<std::string, Entry> entries;
        // The summaries come with their entries, read in one go: an id is never given again, so
        // a summary read now is the file's as long as its entry is.
        summaries.clear();
        Statement rows(*database, "SELECT id, key, size, modified, inode, summary FROM files");
        while (rows.Step()) {
            const std::int64_t id = rows.Number(0);
            std::string key = rows.Bytes(1);
            entries[key] = {id, {rows.Number(2), rows.Number(3), static_cast<std::uint64_t>(rows.Number(4))}};
            summaries[id] = {std::move(key), rows.Bytes(5)};
        }
        return entries;
    });
}

std::optional<FileSummary> Catalogue::Load(std::int64_t id)
{
    return Guarded([&]() -> std::optional<FileSummary> {
        // One view of the catalogue for whatever of the file is read from it now, whatever another
        // process stores; none where its summary came with the entries and its rows are loaded.
        std::optional<Transaction> reading;
        const auto read = [&] {
            if (!reading)
                reading.emplace(*database, true);
        };
        std::string key, blob;
        if (const auto kept = summaries.find(id); kept != summaries.end()) {
            std::tie(key, blob) = std::move(kept->second);
            summaries.erase(kept);
        } else {
            read();
            const PreparedUse row = database->Prepared("SELECT key, summary FROM files WHERE id = ?1");
            row->Bind(1, id);
            if (!row->Step())
                return std::nullopt;
            key = row->Bytes(0);
            blob = row->Bytes(1);
        }
        try {
            StoredFile stored = DecodeFile(blob, key);
            bool missing = false;
            const auto load = [&](std::int64_t rowsId) -> SharedRows {
                if (rowsId == 0)
                    return nullptr;
                const auto kept = loaded.find(rowsId);
                if (kept != loaded.end())
                    return kept->second;
                read();
                const PreparedUse rows = database->Prepared("SELECT rows FROM rows WHERE id = ?1");
                rows->Bind(1, rowsId);
                if (!rows->Step()) {
                    missing = true;
                    return nullptr;
                }
                SharedRows made = std::make_shared<const BankRows>(DecodeRows(rows->View(0)));
                Keep(rowsId, made);
                return made;
            };
            for (std::size_t b = 0; b < stored.summary.banks.size(); ++b)
                stored.summary.banks[b].rows = load(stored.bankRows[b]);
            stored.summary.setLists = load(stored.setListRows);
            if (missing) {
                // Rows go only with the last file that holds them: this one was dropped since its
                // summary was read, or the catalogue is damaged.
                const PreparedUse there = database->Prepared("SELECT 1 FROM files WHERE id = ?1");
                there->Bind(1, id);
                if (!there->Step())
                    return std::nullopt;
                throw DamagedSummary("a file holds rows that the catalogue does not");
            }
            if (reading)
                reading->Commit();
            return std::move(stored.summary);
        } catch (const DamagedSummary& damaged) {
            throw CatalogueError(std::string("a file's summary is damaged: ") + damaged.what(), true);
        }
    });
}

std::int64_t Catalogue::RowsId(const SharedRows& rows)
{
    if (rows == nullptr)
        return 0;
    const auto known = ids.find(rows.get());
    if (known != ids.end()) {
        // Kept from earlier in this run: still there, unless another process dropped it since.
        const PreparedUse there = database->Prepared("SELECT 1 FROM rows WHERE id = ?1");
        there->Bind(1, known->second);
        if (there->Step())
            return known->second;
        loaded.erase(known->second);
        ids.erase(known);
    }
    const std::string blob = EncodeRows(*rows);
    const auto hash = static_cast<std::int64_t>(RowsHash(*rows));
    Statement same(*database, "SELECT id, rows FROM rows WHERE hash = ?1");
    same.Bind(1, hash);
    while (same.Step())
        if (same.View(1) == blob) {
            const std::int64_t id = same.Number(0);
            Keep(id, rows);
            return id;
        }
    same.Reset();
    Statement(*database, "INSERT INTO rows (hash, rows) VALUES (?1, ?2)").Bind(1, hash).Bind(2, blob).Run();
    const std::int64_t id = database->LastRowId();
    Keep(id, rows);
    return id;
}

void Catalogue::Keep(std::int64_t id, const SharedRows& rows)
{
    const auto [at, made] = loaded.emplace(id, rows);
    if (made)
        ids.emplace(rows.get(), id);
}

void Catalogue::DropFile(std::int64_t id)
{
    std::vector<std::int64_t> held;
    Statement holds(*database, "SELECT rows FROM holds WHERE file = ?1");
    holds.Bind(1, id);
    while (holds.Step())
        held.push_back(holds.Number(0));
    holds.Reset();
    Statement(*database, "DELETE FROM holds WHERE file = ?1").Bind(1, id).Run();
    Statement(*database, "DELETE FROM files WHERE id = ?1").Bind(1, id).Run();
    Statement orphan(*database, "DELETE FROM rows WHERE id = ?1 AND NOT EXISTS (SELECT 1 FROM holds WHERE rows = ?1)");
    for (const std::int64_t rows : held) {
        orphan.Bind(1, rows).Run();
        const auto kept = loaded.find(rows);
        if (database->Changes() > 0 && kept != loaded.end()) {
            ids.erase(kept->second.get());
            loaded.erase(kept);
        }
    }
}

std::int64_t Catalogue::Store(const std::string& key, const FileIdentity& identity, const FileSummary& summary)
{
    if (readOnly)
        return 0;
    // Rows stored in a transaction that does not commit are not in the catalogue: forgotten.
    struct Forget {
        Catalogue& catalogue;
        bool done = false;
        ~Forget()
        {
            if (!done) {
                catalogue.loaded.clear();
                catalogue.ids.clear();
            }
        }
    } forget{*this};
    const std::int64_t stored = Guarded([&] {
        Transaction transaction(*database);
        Statement held(*database, "SELECT id, size, modified, inode FROM files WHERE key = ?1");
        held.Bind(1, key);
        if (held.Step()) {
            const std::int64_t id = held.Number(0);
            const bool same =
                FileIdentity{held.Number(1), held.Number(2), static_cast<std::uint64_t>(held.Number(3))} == identity;
            held.Reset();
            if (same) {
                transaction.Commit();
                return id;
            }
            DropFile(id);
        }
        held.Reset();
        std::vector<std::int64_t> bankRows;
        for (const LibraryBank& bank : summary.banks)
            bankRows.push_back(RowsId(bank.rows));
        const std::int64_t setListRows = RowsId(summary.setLists);
        Statement file(*database,
                       "INSERT INTO files (key, size, modified, inode, summary) VALUES (?1, ?2, ?3, ?4, ?5)");
        file.Bind(1, key).Bind(2, identity.size).Bind(3, identity.modified);
        file.Bind(4, static_cast<std::int64_t>(identity.inode))
            .Bind(5, EncodeFile(summary, key, bankRows, setListRows))
            .Run();
        const std::int64_t id = database->LastRowId();
        std::vector<std::int64_t> holds = bankRows;
        holds.push_back(setListRows);
        std::sort(holds.begin(), holds.end());
        holds.erase(std::unique(holds.begin(), holds.end()), holds.end());
        Statement hold(*database, "INSERT INTO holds (file, rows) VALUES (?1, ?2)");
        for (const std::int64_t rows : holds)
            if (rows != 0)
                hold.Bind(1, id).Bind(2, rows).Run();
        transaction.Commit();
        return id;
    });
    forget.done = true;
    return stored;
}

void Catalogue::Drop(const std::vector<std::int64_t>& ids)
{
    if (ids.empty() || readOnly)
        return;
    Guarded([&] {
        Transaction transaction(*database);
        for (const std::int64_t id : ids)
            DropFile(id);
        transaction.Commit();
        return 0;
    });
}

}   // namespace scry
