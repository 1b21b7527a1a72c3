#include "model/history/HistoryStore.h"

#include "library/QvcPath.h"
#include "model/store/SnCfgSqlite.h"
#include "platform/System.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS Entries(Time INTEGER NOT NULL, CheckId INTEGER NOT NULL,"
    " Status INTEGER NOT NULL, Data TEXT NOT NULL, ResponseMs INTEGER NOT NULL, Response TEXT NOT NULL,"
    " Change INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS EntriesByCheck ON Entries(CheckId, Time);"
    // The status changes alone, for availability: a year of minutely results holds a
    // few hundred of them among half a million entries.
    "CREATE INDEX IF NOT EXISTS ChangesByCheck ON Entries(CheckId, Time) WHERE Change=1;"
    "CREATE TABLE IF NOT EXISTS Samples(Time INTEGER NOT NULL, CheckId INTEGER NOT NULL, Value REAL NOT NULL);"
    "CREATE INDEX IF NOT EXISTS SamplesByCheck ON Samples(CheckId, Time);";

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Ok() const { return m_rc == SQLITE_OK; }
    sqlite3_stmt* get() const { return m_stmt; }
    void Int(int index, std::int64_t value) { sqlite3_bind_int64(m_stmt, index, value); }
    void Real(int index, double value) { sqlite3_bind_double(m_stmt, index, value); }
    void Text(int index, const CQvcString& value) {
        sqlite3_bind_text(m_stmt, index, value.c_str(), static_cast<int>(value.Length()), SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(m_stmt); }
    void Reset() { sqlite3_reset(m_stmt); }
    std::int64_t ColInt(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double ColReal(int column) const { return sqlite3_column_double(m_stmt, column); }
    CQvcString ColText(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return CQvcString(text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                               : std::string());
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

CHistoryEntry EntryFromRow(const Statement& s) {
    CHistoryEntry e;
    e.Time = s.ColInt(0);
    e.CheckId = static_cast<std::int32_t>(s.ColInt(1));
    e.Status = static_cast<std::int32_t>(s.ColInt(2));
    e.Data = s.ColText(3);
    e.ResponseMs = static_cast<std::int32_t>(s.ColInt(4));
    e.Response = s.ColText(5);
    e.Change = s.ColInt(6) != 0;
    return e;
}

constexpr const char* kEntryColumns = "Time, CheckId, Status, Data, ResponseMs, Response, Change";

} // namespace

CQvcString StatisticsDatabasePath(const CQvcString& connection, const CQvcString& engineRoot) {
    CQvcString provider = connection;
    provider.MakeUpper();
    const CQvcString stored = CSnCfgSqlite::PathFromConnection(connection);
    if (stored.IsEmpty() ||
        (provider.Find("JET.OLEDB") < 0 && provider.Find("ACE.OLEDB") < 0 && provider.Find("PROVIDER=SQLITE") < 0))
        return {};
    CQvcString path = EngineRootPath(stored, engineRoot);
    // A file connection of the Windows providers names an Access file; the statistics
    // are kept in an SQLite file of the same name beside it.
    for (const char* extension : {".mdb", ".accdb"}) {
        if (path.EndsWith(extension, false)) {
            path = path.Left(path.Length() - std::string(extension).size()) + kStatisticsFileExtension;
            break;
        }
    }
    return path;
}

struct CHistoryStore::Impl {
    sqlite3* db = nullptr;
    ~Impl() { sqlite3_close(db); }
};

CHistoryStore::CHistoryStore() : m_impl(std::make_unique<Impl>()) {}
CHistoryStore::~CHistoryStore() = default;

bool CHistoryStore::IsOpen() const { return m_impl->db != nullptr; }

void CHistoryStore::Close() {
    sqlite3_close(m_impl->db);
    m_impl->db = nullptr;
}

long CHistoryStore::Fail(int rc, const char* what) const {
    m_error = CQvcString(what) + ": " + (m_impl->db ? sqlite3_errmsg(m_impl->db) : sqlite3_errstr(rc));
    return rc == SQLITE_OK ? SQLITE_ERROR : rc;
}

long CHistoryStore::EndTransaction(int rc, const char* what) {
    sqlite3* db = m_impl->db;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return 0;
    // A failed step or commit leaves nothing of the transaction behind.
    const long code = Fail(rc, what);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return code;
}

long CHistoryStore::Open(const CQvcString& path, bool writable) {
    Close();
    m_error.Empty();
    if (path.IsEmpty()) {
        m_error = "the statistics connection names no database file";
        return SQLITE_CANTOPEN;
    }
    if (writable) {
        const long slash = path.ReverseFind(platform::kPathSeparator);
        if (slash > 0)
            platform::CreateDirectories(path.Left(static_cast<std::size_t>(slash)).Str(), 0755);
    }
    const int flags = writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    int rc = sqlite3_open_v2(path.c_str(), &m_impl->db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const long code = Fail(rc, (CQvcString("cannot open the statistics database '") + path + "'").c_str());
        Close();
        return code;
    }
    sqlite3_busy_timeout(m_impl->db, kBusyTimeoutMs);
    if (writable) {
        rc = sqlite3_exec(m_impl->db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(m_impl->db, kSchema, nullptr, nullptr, nullptr);
    } else {
        // A file that is no statistics database fails here rather than at the first read.
        rc = sqlite3_exec(m_impl->db, "SELECT 1 FROM Entries LIMIT 0; SELECT 1 FROM Samples LIMIT 0;", nullptr,
                          nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const long code = Fail(rc, (CQvcString("'") + path + "' is no statistics database").c_str());
        Close();
        return code;
    }
    return 0;
}

long CHistoryStore::Append(const std::vector<CHistoryEntry>& entries, const std::vector<CGraphSample>& samples) {
    if (!IsOpen())
        return Fail(SQLITE_MISUSE, "the statistics database is not open");
    if (entries.empty() && samples.empty())
        return 0;
    sqlite3* db = m_impl->db;
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc, "cannot begin writing statistics");
    {
        Statement entry(db, "INSERT INTO Entries(Time, CheckId, Status, Data, ResponseMs, Response, Change)"
                            " VALUES(?,?,?,?,?,?,?)");
        Statement sample(db, "INSERT INTO Samples(Time, CheckId, Value) VALUES(?,?,?)");
        rc = entry.Ok() && sample.Ok() ? SQLITE_DONE : SQLITE_ERROR;
        for (std::size_t i = 0; rc == SQLITE_DONE && i < entries.size(); ++i) {
            const CHistoryEntry& e = entries[i];
            entry.Int(1, e.Time);
            entry.Int(2, e.CheckId);
            entry.Int(3, e.Status);
            entry.Text(4, e.Data);
            entry.Int(5, e.ResponseMs);
            entry.Text(6, e.Response);
            entry.Int(7, e.Change ? 1 : 0);
            rc = entry.Step();
            entry.Reset();
        }
        for (std::size_t i = 0; rc == SQLITE_DONE && i < samples.size(); ++i) {
            sample.Int(1, samples[i].Time);
            sample.Int(2, samples[i].CheckId);
            sample.Real(3, samples[i].Value);
            rc = sample.Step();
            sample.Reset();
        }
    }
    return EndTransaction(rc == SQLITE_DONE ? SQLITE_OK : rc, "cannot write statistics");
}

long CHistoryStore::Entries(std::int32_t checkId, std::int64_t from, std::int64_t to, std::vector<CHistoryEntry>& out,
                            bool changesOnly, std::size_t limit) const {
    out.clear();
    if (!IsOpen())
        return Fail(SQLITE_MISUSE, "the statistics database is not open");
    std::string sql = std::string("SELECT ") + kEntryColumns +
                      " FROM Entries WHERE CheckId=? AND Time>=? AND Time<?" + (changesOnly ? " AND Change=1" : "") +
                      " ORDER BY Time DESC, rowid DESC" + (limit > 0 ? " LIMIT " + std::to_string(limit) : "");
    Statement s(m_impl->db, sql.c_str());
    if (!s.Ok())
        return Fail(SQLITE_ERROR, "cannot read statistics");
    s.Int(1, checkId);
    s.Int(2, from);
    s.Int(3, to);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW)
        out.push_back(EntryFromRow(s));
    return rc == SQLITE_DONE ? 0 : Fail(rc, "cannot read statistics");
}

long CHistoryStore::EntryBefore(std::int32_t checkId, std::int64_t time, CHistoryEntry& out, bool& found) const {
    found = false;
    if (!IsOpen())
        return Fail(SQLITE_MISUSE, "the statistics database is not open");
    Statement s(m_impl->db, (std::string("SELECT ") + kEntryColumns +
                             " FROM Entries WHERE CheckId=? AND Time<? ORDER BY Time DESC, rowid DESC LIMIT 1")
                                .c_str());
    if (!s.Ok())
        return Fail(SQLITE_ERROR, "cannot read statistics");
    s.Int(1, checkId);
    s.Int(2, time);
    const int rc = s.Step();
    if (rc == SQLITE_ROW) {
        out = EntryFromRow(s);
        found = true;
        return 0;
    }
    return rc == SQLITE_DONE ? 0 : Fail(rc, "cannot read statistics");
}

long CHistoryStore::Samples(const std::vector<std::int32_t>& checkIds, std::int64_t from, std::int64_t to,
                            std::vector<CGraphSample>& out) const {
    out.clear();
    if (!IsOpen())
        return Fail(SQLITE_MISUSE, "the statistics database is not open");
    Statement s(m_impl->db, "SELECT Time, CheckId, Value FROM Samples WHERE CheckId=? AND Time>=? AND Time<?");
    if (!s.Ok())
        return Fail(SQLITE_ERROR, "cannot read statistics");
    for (const std::int32_t id : checkIds) {
        s.Int(1, id);
        s.Int(2, from);
        s.Int(3, to);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW)
            out.push_back({s.ColInt(0), static_cast<std::int32_t>(s.ColInt(1)), s.ColReal(2)});
        s.Reset();
        if (rc != SQLITE_DONE)
            return Fail(rc, "cannot read statistics");
    }
    std::stable_sort(out.begin(), out.end(), [](const CGraphSample& a, const CGraphSample& b) { return a.Time < b.Time; });
    return 0;
}

long CHistoryStore::LastStatuses(std::vector<std::pair<std::int32_t, std::int32_t>>& out) const {
    out.clear();
    if (!IsOpen())
        return Fail(SQLITE_MISUSE, "the statistics database is not open");
    // With MAX, SQLite takes the other columns from the row that holds the maximum.
    Statement s(m_impl->db, "SELECT CheckId, Status, MAX(rowid) FROM Entries GROUP BY CheckId");
    if (!s.Ok())
        return Fail(SQLITE_ERROR, "cannot read statistics");
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW)
        out.emplace_back(static_cast<std::int32_t>(s.ColInt(0)), static_cast<std::int32_t>(s.ColInt(1)));
    return rc == SQLITE_DONE ? 0 : Fail(rc, "cannot read statistics");
}

long CHistoryStore::Counts(std::int64_t& entries, std::int64_t& samples) const {
    entries = samples = 0;
    if (!IsOpen())
        return Fail(SQLITE_MISUSE, "the statistics database is not open");
    Statement s(m_impl->db, "SELECT (SELECT COUNT(*) FROM Entries), (SELECT COUNT(*) FROM Samples)");
    if (!s.Ok() || s.Step() != SQLITE_ROW)
        return Fail(SQLITE_ERROR, "cannot count statistics");
    entries = s.ColInt(0);
    samples = s.ColInt(1);
    return 0;
}

long CHistoryStore::Cleanup(std::int64_t maxEntries, std::int64_t maxSamples) {
    std::int64_t entries = 0, samples = 0;
    if (long code = Counts(entries, samples))
        return code;
    if (entries <= maxEntries && samples <= maxSamples)
        return 0;
    sqlite3* db = m_impl->db;
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc, "cannot begin the statistics cleanup");
    // Rows are appended in time order, so the lowest row ids are the oldest.  Each
    // check's newest status change stays: it is the status its next period starts in.
    if (entries > maxEntries) {
        Statement s(db, "DELETE FROM Entries WHERE rowid IN (SELECT rowid FROM Entries WHERE rowid NOT IN"
                        " (SELECT MAX(rowid) FROM Entries WHERE Change=1 GROUP BY CheckId) ORDER BY rowid LIMIT ?)");
        if (s.Ok()) {
            s.Int(1, entries - maxEntries);
            rc = s.Step();
        } else {
            rc = SQLITE_ERROR;
        }
    }
    if ((rc == SQLITE_OK || rc == SQLITE_DONE) && samples > maxSamples) {
        Statement s(db, "DELETE FROM Samples WHERE rowid IN (SELECT rowid FROM Samples ORDER BY rowid LIMIT ?)");
        if (s.Ok()) {
            s.Int(1, samples - maxSamples);
            rc = s.Step();
        } else {
            rc = SQLITE_ERROR;
        }
    }
    return EndTransaction(rc == SQLITE_DONE ? SQLITE_OK : rc, "cannot clean up statistics");
}
