#pragma once
// RAII handles for the SQLite C API, and nothing more: the configuration component
// talks to SQLite directly through these.
#include <sqlite3.h>

#include "library/QvcString.h"

#include <memory>

struct SqliteDbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteDbCloser>;

struct SqliteStmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteStmtFinalizer>;

// True for the result codes of a database that another connection keeps locked.
inline bool SqliteIsBusy(int rc) {
    return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
}

// A write transaction.  Outside any transaction it opens with BEGIN IMMEDIATE, so that the
// busy timeout applies to taking the write lock (a deferred transaction that upgrades
// later may get SQLITE_BUSY at once).  Inside a transaction it is a savepoint of the
// enclosing one: its Commit releases the savepoint, and the enclosing transaction
// decides.  Rolled back when it goes out of scope without Commit.
class SqliteWriteTransaction {
public:
    explicit SqliteWriteTransaction(sqlite3* db) : m_db(db) {
        m_nested = sqlite3_get_autocommit(m_db) == 0;
        m_rc =
            sqlite3_exec(m_db, m_nested ? "SAVEPOINT nested" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        m_open = m_rc == SQLITE_OK;
    }
    ~SqliteWriteTransaction() {
        if (m_open)
            sqlite3_exec(m_db, m_nested ? "ROLLBACK TO nested; RELEASE nested" : "ROLLBACK", nullptr, nullptr,
                         nullptr);
    }
    SqliteWriteTransaction(const SqliteWriteTransaction&) = delete;
    SqliteWriteTransaction& operator=(const SqliteWriteTransaction&) = delete;

    bool IsOpen() const { return m_open; }
    // The last statement failed because another connection holds the lock.
    bool Busy() const { return SqliteIsBusy(m_rc); }
    bool Commit() {
        if (!m_open)
            return false;
        m_rc = sqlite3_exec(m_db, m_nested ? "RELEASE nested" : "COMMIT", nullptr, nullptr, nullptr);
        if (m_rc != SQLITE_OK)
            return false; // still open: the destructor rolls back
        m_open = false;
        return true;
    }

private:
    sqlite3* m_db;
    int m_rc = SQLITE_OK;
    bool m_nested = false;
    bool m_open = false;
};

// Opens a database of our schema into `out`: 0; 25007 when another program keeps it locked
// for longer than the busy timeout; 25004 when it cannot be opened or is not ours.  A
// database of the older schema version is brought up to date when opened for writing.
long OpenOurs(const CQvcString& path, int busyTimeoutMs, SqliteDb& out, int flags = SQLITE_OPEN_READWRITE);
