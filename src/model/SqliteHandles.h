#pragma once
// RAII handles for the SQLite C API, and nothing more: the configuration component
// talks to SQLite directly through these.
#include <sqlite3.h>

#include <memory>

struct SqliteDbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteDbCloser>;

struct SqliteStmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteStmtFinalizer>;

// A write transaction opened with BEGIN IMMEDIATE, so that the busy timeout applies to
// taking the write lock (a deferred transaction that upgrades later may get SQLITE_BUSY
// at once).  Rolled back when it goes out of scope without Commit.
class SqliteWriteTransaction {
public:
    explicit SqliteWriteTransaction(sqlite3* db) : m_db(db) {
        m_open = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~SqliteWriteTransaction() {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    SqliteWriteTransaction(const SqliteWriteTransaction&) = delete;
    SqliteWriteTransaction& operator=(const SqliteWriteTransaction&) = delete;

    bool IsOpen() const { return m_open; }
    bool Commit() {
        if (!m_open)
            return false;
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            return false; // still open: the destructor rolls back
        m_open = false;
        return true;
    }

private:
    sqlite3* m_db;
    bool m_open = false;
};
