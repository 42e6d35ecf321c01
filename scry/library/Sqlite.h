// SQLite, as the catalogue uses it: a connection and prepared statements, each closed by its
// owner on every way out; a failed call raises SqliteError with SQLite's code and message.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace scry {

class Statement;
class PreparedUse;

struct SqliteError : std::runtime_error {
    SqliteError(int sqliteCode, const std::string& what) : std::runtime_error(what), code(sqliteCode) {}
    int code;   // SQLite's primary result code
    // The database file is damaged, or is no database.
    bool Damaged() const;
    // Another connection holds a lock.
    bool Busy() const;
};

class Database {
public:
    // Opens, creating where there is none, the database at path; or, readOnly, the database as
    // it stands, never written and never locked, with no file made beside it (another user's).
    explicit Database(const std::string& path, bool readOnly = false);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs statements that take no parameters and give no rows (or whose rows are not wanted).
    void Execute(const char* sql);
    // The single integer a statement gives.
    std::int64_t Number(const char* sql);
    // Waits up to ms milliseconds for another connection's lock before a statement fails.
    void WaitWhenBusy(int ms);
    std::int64_t LastRowId() const;
    // Rows the last statement changed.
    int Changes() const;
    sqlite3* Handle() const { return db; }
    [[noreturn]] void Raise(int code) const;
    // A statement prepared once for the connection's life, ready to bind and run (sql must live
    // as long: a literal), and reset when this use of it ends.
    PreparedUse Prepared(const char* sql);

private:
    sqlite3* db = nullptr;
    std::map<const char*, std::unique_ptr<Statement>> prepared;   // finalized before the connection closes
};

class Statement {
public:
    Statement(Database& database, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1. Texts are bound as blobs: names are ISO 8859-1 bytes, compared
    // byte for byte.
    Statement& Bind(int parameter, std::int64_t value);
    Statement& Bind(int parameter, std::string_view bytes);
    // True while it gives a row.
    bool Step();
    // Runs it to its end, then makes it ready for new parameters.
    void Run();
    // Ready to run again, parameters kept until bound anew.
    void Reset();
    std::int64_t Number(int column) const;
    std::string Bytes(int column) const;
    // The same, where it lies: valid until the statement steps or is reset.
    std::string_view View(int column) const;

private:
    Database& database;
    sqlite3_stmt* statement = nullptr;
};

// A use of a statement the connection keeps prepared: reset when the use ends, so that no read
// of it stays open (an open read would keep the connection on an old view of the database, and
// its next write would fail as soon as another process had written).
class PreparedUse {
public:
    explicit PreparedUse(Statement& statement) : statement(statement) {}
    ~PreparedUse();
    PreparedUse(const PreparedUse&) = delete;
    PreparedUse& operator=(const PreparedUse&) = delete;
    Statement* operator->() const { return &statement; }

private:
    Statement& statement;
};

// A transaction: begun where it is made (IMMEDIATE: the write lock taken at once; or, for one
// that only reads, deferred: one view of the database throughout), committed by Commit, rolled
// back on any other way out.
class Transaction {
public:
    explicit Transaction(Database& database, bool reads = false);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& database;
    bool open = true;
};

}   // namespace scry
