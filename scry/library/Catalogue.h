// The library's catalogue: one SQLite database of what each file held when it was last read, so
// that a search reads again only the files whose size, time or identity changed. Two processes
// may use one catalogue at once (WAL, a busy timeout); a catalogue that cannot be used raises
// CatalogueError, and the caller sets it aside and builds another.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Platform.h"
#include "summary/Summary.h"

namespace scry {

class Database;
class Statement;

struct CatalogueError : std::runtime_error {
    CatalogueError(const std::string& what, bool isDamaged, bool isForeign = false)
        : std::runtime_error(what), damaged(isDamaged), foreign(isForeign)
    {
    }
    bool damaged;   // a catalogue of scry's of another schema, or damaged: to be set aside (never
                    // one read only: another user's)
    bool foreign;   // a database that is no catalogue of scry's: someone's own, never touched
};

// Why what stands under a catalogue's name is no catalogue, seen before anything opens it: a
// user's file, never to be set aside or written over.
enum class CatalogueRefusal {
    None,           // nothing there, an empty file, an SQLite database (looked into when opened), or a
                    // folder (which no database opens: said, and every file read afresh)
    NotAFile,       // a FIFO, a device or another kind of entry
    PcgFile,        // it begins with KORG
    NotADatabase,   // any other file
};
CatalogueRefusal RefusalOfCatalogueName(const std::string& path);

// The catalogue's schema, as its file holds it, and the version that file gives it.
const char* CatalogueSchema();
int CatalogueVersion();

// Where the catalogue is by default: scry/library.sqlite under $XDG_CACHE_HOME, else ~/.cache
// (%LOCALAPPDATA% on Windows); "" where none of those is set.
std::string DefaultCataloguePath();

class Catalogue {
public:
    // Opens the catalogue at path, made with its folder where there is none. A catalogue whose
    // files are another user's (or that this user may not write) is read as it stands and never
    // written: nothing is made beside it, and nothing is stored in it.
    explicit Catalogue(const std::string& path);
    ~Catalogue();
    // Read, never written: another user's.
    bool ReadOnly() const { return readOnly; }

    struct Entry {
        std::int64_t id;
        FileIdentity identity;
    };
    // Every file the catalogue holds, by key; their summaries are read with them, for Load.
    std::map<std::string, Entry> Entries();
    // What a file held, as it was stored, its rows the very ones of every file loaded before
    // that holds the same; nothing where another process dropped it meanwhile.
    std::optional<FileSummary> Load(std::int64_t id);
    // The file's summary in place of any it had, in one transaction, each of its banks' rows
    // kept once for every file that holds the same; its id. Where another process stored the
    // file as it is meanwhile, that one is kept.
    std::int64_t Store(const std::string& key, const FileIdentity& identity, const FileSummary& summary);
    // Drops files, in one transaction, and the rows no file holds any more.
    void Drop(const std::vector<std::int64_t>& ids);

private:
    void Open(const std::string& path);
    // The id of rows as stored, stored now where they are not yet (within a transaction).
    std::int64_t RowsId(const SharedRows& rows);
    // Drops a file and what it alone held (within a transaction).
    void DropFile(std::int64_t id);
    void Keep(std::int64_t id, const SharedRows& rows);
    std::unique_ptr<Database> database;
    bool readOnly = false;
    std::map<std::int64_t, SharedRows> loaded;     // rows loaded or stored, by id: shared by the files that hold them
    std::map<const BankRows*, std::int64_t> ids;   // the ids of those rows
    std::map<std::int64_t, std::pair<std::string, std::string>> summaries;   // key and blob, read with the entries, until loaded
};

// Renames a catalogue that cannot be used beside its name (and removes what its journal left);
// the new name, or "" where it could not be renamed.
std::string SetCatalogueAside(const std::string& path);

}   // namespace scry
