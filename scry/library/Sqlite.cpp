// The thin layer over SQLite's C interface.
#include "library/Sqlite.h"

#include <string>

#include <sqlite3.h>

namespace scry {

bool SqliteError::Damaged() const { return code == SQLITE_CORRUPT || code == SQLITE_NOTADB; }

bool SqliteError::Busy() const { return code == SQLITE_BUSY || code == SQLITE_LOCKED; }

namespace {

// path as an SQLite URI that opens it immutable: read only, no lock taken, no -wal or -shm made.
std::string ImmutableUri(const std::string& path)
{
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static constexpr char Hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += Hex[static_cast<unsigned char>(c) >> 4];
            uri += Hex[static_cast<unsigned char>(c) & 15];
        } else {
#if defined(_WIN32)
            uri += c == '\\' ? '/' : c;
#else
            uri += c;
#endif
        }
    }
    return uri + "?mode=ro&immutable=1";
}

}   // namespace

Database::Database(const std::string& path, bool readOnly)
{
    const int opened = readOnly
                           ? sqlite3_open_v2(ImmutableUri(path).c_str(), &db,
                                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr)
                           : sqlite3_open_v2(path.c_str(), &db,
                                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        const std::string why = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(opened);
        sqlite3_close(db);
        db = nullptr;
        throw SqliteError(opened & 0xFF, why);
    }
    sqlite3_extended_result_codes(db, 0);
}

Database::~Database()
{
    prepared.clear();
    sqlite3_close(db);
}

PreparedUse Database::Prepared(const char* sql)
{
    std::unique_ptr<Statement>& statement = prepared[sql];
    if (statement == nullptr)
        statement = std::make_unique<Statement>(*this, sql);
    statement->Reset();
    return PreparedUse(*statement);
}

PreparedUse::~PreparedUse() { statement.Reset(); }

void Database::WaitWhenBusy(int ms) { sqlite3_busy_timeout(db, ms); }

std::int64_t Database::LastRowId() const { return sqlite3_last_insert_rowid(db); }

int Database::Changes() const { return sqlite3_changes(db); }

void Database::Raise(int code) const { throw SqliteError(code & 0xFF, sqlite3_errmsg(db)); }

void Database::Execute(const char* sql)
{
    const int done = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (done != SQLITE_OK)
        Raise(done);
}

std::int64_t Database::Number(const char* sql)
{
    Statement statement(*this, sql);
    return statement.Step() ? statement.Number(0) : 0;
}

Statement::Statement(Database& owner, const char* sql) : database(owner)
{
    const int prepared = sqlite3_prepare_v2(database.Handle(), sql, -1, &statement, nullptr);
    if (prepared != SQLITE_OK)
        database.Raise(prepared);
}

Statement::~Statement() { sqlite3_finalize(statement); }

Statement& Statement::Bind(int parameter, std::int64_t value)
{
    const int bound = sqlite3_bind_int64(statement, parameter, value);
    if (bound != SQLITE_OK)
        database.Raise(bound);
    return *this;
}

Statement& Statement::Bind(int parameter, std::string_view bytes)
{
    // A zero-length blob, not NULL, for an empty name.
    const int bound = bytes.empty()
                          ? sqlite3_bind_zeroblob(statement, parameter, 0)
                          : sqlite3_bind_blob64(statement, parameter, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    if (bound != SQLITE_OK)
        database.Raise(bound);
    return *this;
}

bool Statement::Step()
{
    const int stepped = sqlite3_step(statement);
    if (stepped == SQLITE_ROW)
        return true;
    if (stepped == SQLITE_DONE)
        return false;
    sqlite3_reset(statement);
    database.Raise(stepped);
}

void Statement::Run()
{
    while (Step()) {
    }
    Reset();
}

void Statement::Reset() { sqlite3_reset(statement); }

std::int64_t Statement::Number(int column) const { return sqlite3_column_int64(statement, column); }

std::string Statement::Bytes(int column) const { return std::string(View(column)); }

std::string_view Statement::View(int column) const
{
    const void* bytes = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    return bytes == nullptr ? std::string_view()
                            : std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

Transaction::Transaction(Database& owner, bool reads) : database(owner)
{
    database.Prepared(reads ? "BEGIN" : "BEGIN IMMEDIATE")->Run();
}

Transaction::~Transaction()
{
    if (open)
        sqlite3_exec(database.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit()
{
    database.Prepared("COMMIT")->Run();
    open = false;
}

}   // namespace scry
