#include "model/store/SnCfgSqlite.h"

#include "SnCfgSchema.h"
#include "SqliteHandles.h"
#include "library/QvcPath.h"
#include "model/store/SnRecordProperties.h"
#include "model/tree/SnTreeText.h"
#include "model/store/SnWhereClause.h"
#include "platform/System.h"

#include <algorithm>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

using snschema::Column;
using snschema::RecordTable;

namespace {

constexpr long kErrInvalidObject = 25001;
constexpr long kErrNoLocation = 25003;
constexpr long kErrCannotOpen = 25004;
constexpr long kErrNotOpen = 25005;
constexpr long kErrAlreadyOpen = 25006;
constexpr long kErrLocked = 25007;
constexpr long kErrNodesQuery = 25020;
constexpr long kErrNodesNoRecord = 25021;
constexpr long kErrNodesUpdate = 25022;
constexpr long kErrNodesLast = 25023;
constexpr long kErrNodesInsert = 25024;
constexpr long kErrNodesDelete = 25025;
constexpr long kErrNodesDuplicate = 25026;
constexpr long kErrTreeUpdate = snschema::kTree.UpdateError;
constexpr long kErrGroupsLast = 25120;
constexpr long kErrGroupsInsert = 25121;
constexpr long kErrGroupsQuery = 25122;
constexpr long kErrGroupsDelete = 25125;
constexpr long kErrTooManyNodes = 25220;
constexpr long kFirstGroupId = 10; // groups below 10 are built in
constexpr int kWebViews = 128;

using snschema::ValueTable;

const std::vector<CSnWhereClause::Field>& NodeFields() {
    static const std::vector<CSnWhereClause::Field> fields{
        {"ID", "ID"},
        {"Type", "Type"},
        {"ScanMode", "ScanMode"},
        {"ScanInterval", "ScanInterval"},
        {"ErrorThreshold", "ErrorThreshold"},
        {"OnHold", "OnHold"},
        {"Inverse", "Inverse"},
        {"GraphEnabled", "GraphEnabled"},
        {"ScriptTimeout", "ScriptTimeout"},
        {"MaintenanceEnabled", "MaintenanceEnabled"},
        {"ParentID", "ParentID"},
    };
    return fields;
}

const std::vector<CSnWhereClause::Field>& GroupFields() {
    static const std::vector<CSnWhereClause::Field> fields{{"ID", "ID"}, {"NotificationTypeID", "NotificationTypeID"}};
    return fields;
}

std::string Quote(const char* name) { return std::string("\"") + name + "\""; }

bool Prepare(sqlite3* db, const std::string& sql, SqliteStmt& out) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    out.reset(raw);
    return rc == SQLITE_OK && raw != nullptr;
}

bool Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

void BindText(sqlite3_stmt* stmt, int index, const CQvcString& text) {
    sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.Length()), SQLITE_TRANSIENT);
}

void BindVariant(sqlite3_stmt* stmt, int index, const CQvcVariant& value, char kind) {
    switch (kind) {
    case 'L':
        sqlite3_bind_int64(stmt, index, value.AsLong());
        break;
    case 'B':
        sqlite3_bind_int(stmt, index, value.AsBool() ? 1 : 0);
        break;
    default:
        BindText(stmt, index, value.AsText());
        break;
    }
}

// The column's text where SQLite holds it, valid until the statement steps again; NULL
// reads as an empty text.
std::string_view ColumnView(sqlite3_stmt* stmt, int index) {
    const unsigned char* text = sqlite3_column_text(stmt, index);
    if (!text)
        return {};
    return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt, index))};
}

CQvcString ColumnText(sqlite3_stmt* stmt, int index) { return CQvcString(ColumnView(stmt, index)); }

// The record's property becomes the column's value, read as `kind` says; the text goes
// straight from SQLite into the property's own buffer.
void SetFromColumn(CSnRecord& record, int property, sqlite3_stmt* stmt, int index, char kind) {
    switch (kind) {
    case 'L':
        record.SetLong(property, static_cast<long>(sqlite3_column_int64(stmt, index)));
        break;
    case 'B':
        record.SetBool(property, sqlite3_column_int64(stmt, index) != 0);
        break;
    default:
        record.SetText(property, ColumnView(stmt, index));
        break;
    }
}

// The columns a SELECT of the table reads: the key first, then the chosen columns.
struct Selection {
    std::string Sql; // "key", "col", ...
    std::vector<const Column*> Columns;
    int MaxProperty = kPropId;
};

Selection Select(const RecordTable& table, bool summaryOnly) {
    Selection s;
    s.Sql = Quote(table.KeyColumn);
    for (const Column& c : table.Columns) {
        if (summaryOnly && !snschema::IsSummaryProperty(c.Property))
            continue;
        s.Sql += ", " + Quote(c.Name);
        s.Columns.push_back(&c);
        s.MaxProperty = std::max(s.MaxProperty, c.Property);
    }
    return s;
}

// `reuse`, when given, is a record this selection filled before and nobody else holds: each
// of its properties is set again, which keeps its buffers (a load then allocates no record
// per row).
std::shared_ptr<CSnRecord> RowToRecord(sqlite3_stmt* stmt, const RecordTable& table, const Selection& s,
                                       std::shared_ptr<CSnRecord> reuse = nullptr) {
    auto record = reuse ? std::move(reuse) : std::make_shared<CSnRecord>(table.Kind, s.MaxProperty);
    record->SetLong(kPropId, static_cast<long>(sqlite3_column_int64(stmt, 0)));
    for (std::size_t i = 0; i < s.Columns.size(); ++i)
        SetFromColumn(*record, s.Columns[i]->Property, stmt, static_cast<int>(i) + 1, s.Columns[i]->Kind);
    return record;
}

// The record a value carries when it is one of `kind`; null otherwise.
std::shared_ptr<CSnRecord> RecordOf(const CQvcVariant& value, const char* kind) {
    std::shared_ptr<CSnRecord> record = value.AsRecord();
    if (!record || !(record->Kind() == kind))
        return nullptr;
    return record;
}

// Binds `key` to the statement's only parameter and steps it: 0 with the row ready,
// `noRecords` when there is none, `queryError` when the step fails.
long StepKeyed(sqlite3_stmt* stmt, long key, long noRecords, long queryError) {
    sqlite3_bind_int64(stmt, 1, key);
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return 0;
    return rc == SQLITE_DONE ? noRecords : queryError;
}

// The next row of an enumeration: 0 with the row ready; otherwise the cursor is closed
// and the result is `noRecords` at the end (or without an enumeration), `queryError`
// when the step fails.
long StepCursor(SqliteStmt& cursor, long noRecords, long queryError) {
    if (!cursor)
        return noRecords;
    const int rc = sqlite3_step(cursor.get());
    if (rc == SQLITE_ROW)
        return 0;
    cursor.reset();
    return rc == SQLITE_DONE ? noRecords : queryError;
}

// The value of a pragma that reads one integer; the SQLite result code.
int PragmaValue(sqlite3* db, const char* pragma, int& value) {
    SqliteStmt stmt;
    value = 0;
    if (!Prepare(db, std::string("PRAGMA ") + pragma, stmt))
        return sqlite3_errcode(db) == SQLITE_OK ? SQLITE_ERROR : sqlite3_errcode(db);
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW)
        return rc;
    value = sqlite3_column_int(stmt.get(), 0);
    return SQLITE_OK;
}

// Brings a version 1 database to the current version when it can be written; a file that
// cannot (read-only, locked) stays as it is and is read as it is.
void Upgrade(sqlite3* db) {
    SqliteWriteTransaction tx(db);
    int version = 0;
    if (!tx.IsOpen() || PragmaValue(db, "user_version", version) != SQLITE_OK || version != snschema::kOldestVersion)
        return;
    const std::string sql = snschema::UpgradeSql() + "PRAGMA user_version = " + std::to_string(snschema::kVersion);
    if (Exec(db, sql.c_str()))
        tx.Commit();
}

// The code of a write whose transaction could not be opened or committed: the lock code
// when another program held the database, else `code`.
long Refused(const SqliteWriteTransaction& tx, long code) { return tx.Busy() ? kErrLocked : code; }

// A statement borrowed from the connection's cache (or, when that one is in use, prepared
// for this use alone): reset and unbound when the borrow ends, so that it holds no lock.
class CachedStmt {
public:
    CachedStmt() = default;
    CachedStmt(const CachedStmt&) = delete;
    CachedStmt& operator=(const CachedStmt&) = delete;
    ~CachedStmt() { reset(); }
    void Borrow(sqlite3_stmt* stmt) {
        reset();
        m_stmt = stmt;
    }
    void Own(SqliteStmt stmt) {
        reset();
        m_own = std::move(stmt);
        m_stmt = m_own.get();
    }
    sqlite3_stmt* get() const { return m_stmt; }
    // Ends the use early (a write must end before its transaction commits).
    void reset() {
        if (m_stmt != nullptr && !m_own) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
        m_stmt = nullptr;
        m_own.reset();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    SqliteStmt m_own;
};

} // namespace

long OpenOurs(const CQvcString& path, int busyTimeoutMs, SqliteDb& out, int flags) {
    out.reset();
    if (path.IsEmpty() || !platform::FileExists(path.Str()))
        return kErrCannotOpen;
    sqlite3* raw = nullptr;
    // A connection belongs to one store object, which has no lock of its own and so is
    // never used by two threads at once: SQLite need not lock the connection on every
    // call (a load reads dozens of columns a row).
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK)
        return kErrCannotOpen;
    sqlite3_busy_timeout(db.get(), busyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    int application = 0, version = 0;
    rc = PragmaValue(db.get(), "application_id", application);
    if (rc == SQLITE_OK)
        rc = PragmaValue(db.get(), "user_version", version);
    if (SqliteIsBusy(rc))
        return kErrLocked;
    if (rc != SQLITE_OK || application != snschema::kApplicationId ||
        (version != snschema::kVersion && version != snschema::kOldestVersion))
        return kErrCannotOpen;
    if (version != snschema::kVersion && (flags & SQLITE_OPEN_READWRITE))
        Upgrade(db.get());
    out = std::move(db);
    return 0;
}


struct CSnCfgSqlite::Impl {
    SqliteDb Db;
    // The open write brackets, outermost first.
    std::vector<std::unique_ptr<SqliteWriteTransaction>> Brackets;
    SqliteStmt NodeCursor;
    Selection NodeCursorColumns;
    // The record the node cursor made last, to be filled again with the next row when
    // nobody but the cursor's caller held it.
    std::shared_ptr<CSnRecord> NodeCursorRecord;
    SqliteStmt IdCursor;
    SqliteStmt GroupCursor;
    Selection GroupCursorColumns;

    // Statements prepared once per connection, by their text: a batch of writes parses
    // each of its statements once.  Emptied before the connection closes.
    std::unordered_map<std::string, SqliteStmt> Statements;

    bool Cache(const std::string& sql, CachedStmt& out) {
        auto it = Statements.find(sql);
        if (it == Statements.end()) {
            SqliteStmt stmt;
            if (!Prepare(db(), sql, stmt))
                return false;
            it = Statements.emplace(sql, std::move(stmt)).first;
        } else if (sqlite3_stmt_busy(it->second.get())) {
            SqliteStmt stmt;
            if (!Prepare(db(), sql, stmt))
                return false;
            out.Own(std::move(stmt));
            return true;
        }
        out.Borrow(it->second.get());
        return true;
    }

    void EndCursors() {
        NodeCursor.reset();
        NodeCursorRecord.reset();
        IdCursor.reset();
        GroupCursor.reset();
    }
    void RollBackBrackets() {
        while (!Brackets.empty())
            Brackets.pop_back();
    }
    sqlite3* db() const { return Db.get(); }

    // --- generic helpers; each returns 0 or an error code -----------------------------

    long GetRow(const RecordTable& table, long key, CQvcVariant& out) {
        out.Clear();
        Selection s = Select(table, false);
        CachedStmt stmt;
        if (!Cache("SELECT " + s.Sql + " FROM " + Quote(table.Table) + " WHERE " + Quote(table.KeyColumn) +
                       " = ?",
                   stmt))
            return table.QueryError;
        if (long code = StepKeyed(stmt.get(), key, table.NoRecordsError, table.QueryError))
            return code;
        out = CQvcVariant::FromRecord(RowToRecord(stmt.get(), table, s));
        return 0;
    }

    // Inserts the row or updates the properties that the record holds.
    long PutRow(const RecordTable& table, long key, const CSnRecord& record, long insertError) {
        std::vector<const Column*> present;
        for (const Column& c : table.Columns)
            if (record.Has(c.Property))
                present.push_back(&c);
        std::string names = Quote(table.KeyColumn), values = "?", updates;
        for (const Column* c : present) {
            names += ", " + Quote(c->Name);
            values += ", ?";
            updates += (updates.empty() ? "" : ", ") + Quote(c->Name) + " = excluded." + Quote(c->Name);
        }
        std::string sql = "INSERT INTO " + Quote(table.Table) + " (" + names + ") VALUES (" + values + ") ON CONFLICT(" +
                          Quote(table.KeyColumn) + ") DO " + (updates.empty() ? "NOTHING" : "UPDATE SET " + updates);
        SqliteWriteTransaction tx(db());
        if (!tx.IsOpen())
            return Refused(tx, table.UpdateError);
        CachedStmt stmt;
        if (!Cache(sql, stmt))
            return insertError;
        sqlite3_bind_int64(stmt.get(), 1, key);
        for (std::size_t i = 0; i < present.size(); ++i)
            BindVariant(stmt.get(), static_cast<int>(i) + 2, record.Get(present[i]->Property), present[i]->Kind);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE)
            return insertError;
        stmt.reset();
        return tx.Commit() ? 0 : Refused(tx, table.UpdateError);
    }

    long GetText(const ValueTable& table, long key, CQvcString& out) {
        const char* keyColumn = table.KeyColumn;
        const char* valueColumn = table.ValueColumn;
        CachedStmt stmt;
        if (!Cache("SELECT " + Quote(valueColumn) + " FROM " + Quote(table.Table) + " WHERE " +
                       Quote(keyColumn) + " = ?",
                   stmt))
            return table.QueryError;
        if (long code = StepKeyed(stmt.get(), key, table.NoRecordsError, table.QueryError))
            return code;
        out = ColumnText(stmt.get(), 0);
        return 0;
    }

    long PutValue(const ValueTable& table, long key, const CQvcVariant& value) {
        const char* keyColumn = table.KeyColumn;
        const char* valueColumn = table.ValueColumn;
        SqliteWriteTransaction tx(db());
        if (!tx.IsOpen())
            return Refused(tx, table.UpdateError);
        CachedStmt stmt;
        if (!Cache("INSERT INTO " + Quote(table.Table) + " (" + Quote(keyColumn) + ", " + Quote(valueColumn) +
                       ") VALUES (?, ?) ON CONFLICT(" + Quote(keyColumn) + ") DO UPDATE SET " +
                       Quote(valueColumn) + " = excluded." + Quote(valueColumn),
                   stmt))
            return table.UpdateError;
        sqlite3_bind_int64(stmt.get(), 1, key);
        BindVariant(stmt.get(), 2, value, table.Kind);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE)
            return table.UpdateError;
        stmt.reset();
        return tx.Commit() ? 0 : Refused(tx, table.UpdateError);
    }

    // Prepares "SELECT <what> FROM <table><where> ORDER BY ID" with the where values bound.
    bool PrepareWhere(const std::string& what, const char* table, const CQvcString& where,
                      const std::vector<CSnWhereClause::Field>& fields, const char* tail, SqliteStmt& out) {
        CSnWhereClause clause;
        if (!clause.Parse(where, fields))
            return false;
        if (!Prepare(db(), "SELECT " + what + " FROM " + Quote(table) + clause.Sql() + tail, out))
            return false;
        int index = 1;
        for (const CSnWhereClause::Condition& c : clause.Conditions())
            sqlite3_bind_int64(out.get(), index++, c.Value);
        return true;
    }

    // The lowest and the highest ID (0 and 0 for no nodes), inside the caller's
    // transaction.  Each is one step down the ID index, whatever the table's size.
    bool NodeIdRange(long& min, long& max) {
        CachedStmt stmt;
        if (!Cache("SELECT IFNULL((SELECT MIN(\"ID\") FROM \"Nodes\"), 0), "
                   "IFNULL((SELECT MAX(\"ID\") FROM \"Nodes\"), 0)",
                   stmt) ||
            sqlite3_step(stmt.get()) != SQLITE_ROW)
            return false;
        min = static_cast<long>(sqlite3_column_int64(stmt.get(), 0));
        max = static_cast<long>(sqlite3_column_int64(stmt.get(), 1));
        return true;
    }

    // Whether fewer than `limit` nodes are stored, inside the caller's transaction.  The
    // IDs are distinct, so a range narrower than the limit answers without counting: a
    // batch of inserts then costs no scan of the table per insert.
    bool FewerNodesThan(long limit, bool& fewer) {
        long min = 0, max = 0;
        if (!NodeIdRange(min, max))
            return false;
        if (max - min + 1 < limit) {
            fewer = true;
            return true;
        }
        CachedStmt stmt;
        if (!Cache("SELECT COUNT(*) FROM \"Nodes\"", stmt) || sqlite3_step(stmt.get()) != SQLITE_ROW)
            return false;
        fewer = sqlite3_column_int64(stmt.get(), 0) < limit;
        return true;
    }

    // The lowest ID never handed out: above the counter, every stored ID and the system
    // range.  Inside the caller's transaction.
    bool NextFreeId(long& next) {
        long min = 0, max = 0;
        CachedStmt stmt;
        if (!NodeIdRange(min, max) ||
            !Cache("SELECT IFNULL((SELECT \"Next\" FROM \"NodeIds\" WHERE \"ID\" = 1), 0)", stmt) ||
            sqlite3_step(stmt.get()) != SQLITE_ROW)
            return false;
        next = std::max({static_cast<long>(sqlite3_column_int64(stmt.get(), 0)), max + 1, kFirstNodeId});
        return true;
    }

    // Keeps the counter above `id`.  Inside the caller's transaction.
    bool HandOut(long id) {
        CachedStmt stmt;
        if (!Cache(
                "INSERT INTO \"NodeIds\" (\"ID\", \"Next\") VALUES (1, ?) ON CONFLICT(\"ID\") DO UPDATE SET "
                "\"Next\" = MAX(\"Next\", excluded.\"Next\")",
                stmt))
            return false;
        sqlite3_bind_int64(stmt.get(), 1, id + 1);
        return sqlite3_step(stmt.get()) == SQLITE_DONE;
    }

    long ReserveId(long& id) {
        id = 0;
        SqliteWriteTransaction tx(db());
        if (!tx.IsOpen())
            return Refused(tx, kErrNodesInsert);
        long next = 0;
        if (!NextFreeId(next))
            return kErrNodesLast;
        if (!HandOut(next))
            return kErrNodesInsert;
        if (!tx.Commit())
            return Refused(tx, kErrNodesInsert);
        id = next;
        return 0;
    }

    long InsertNode(long id, bool pickId, long maxNodes, CQvcVariant& out) {
        out.Clear();
        SqliteWriteTransaction tx(db());
        if (!tx.IsOpen())
            return Refused(tx, kErrNodesInsert);
        bool fewer = false;
        if (!FewerNodesThan(maxNodes, fewer))
            return kErrNodesLast;
        if (!fewer)
            return kErrTooManyNodes;
        if (pickId) {
            if (!NextFreeId(id))
                return kErrNodesLast;
        } else {
            CachedStmt exists;
            if (!Cache("SELECT 1 FROM \"Nodes\" WHERE \"ID\" = ?", exists))
                return kErrNodesQuery;
            sqlite3_bind_int64(exists.get(), 1, id);
            int rc = sqlite3_step(exists.get());
            if (rc == SQLITE_ROW)
                return kErrNodesDuplicate;
            if (rc != SQLITE_DONE)
                return kErrNodesQuery;
        }
        CachedStmt insert;
        if (!Cache("INSERT INTO \"Nodes\" (\"ID\") VALUES (?)", insert))
            return kErrNodesInsert;
        sqlite3_bind_int64(insert.get(), 1, id);
        if (sqlite3_step(insert.get()) != SQLITE_DONE || !HandOut(id))
            return kErrNodesInsert;
        insert.reset();
        if (!tx.Commit())
            return Refused(tx, kErrNodesInsert);
        return GetRow(snschema::Nodes(), id, out);
    }
};

std::unique_ptr<ISnCfg> CreateSnCfgComponent(const CQvcString& connectionString) {
    return std::make_unique<CSnCfgSqlite>(connectionString);
}

CSnCfgSqlite::CSnCfgSqlite(const CQvcString& connectionString) : m_impl(std::make_unique<Impl>()) {
    put_ConnectionString(connectionString);
}

CSnCfgSqlite::~CSnCfgSqlite() { Close(); }

CQvcString CSnCfgSqlite::ConnectionForFile(const CQvcString& path) {
    return CQvcString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path;
}

CQvcString CSnCfgSqlite::PathFromConnection(const CQvcString& connectionString) {
    const std::string& text = connectionString.Str();
    for (const char* key : {"Data Source=", "DBQ="}) {
        CQvcString upper = connectionString;
        upper.MakeUpper();
        CQvcString wanted(key);
        wanted.MakeUpper();
        long at = upper.Find(wanted.Str());
        // The key must start the text or follow a ";".
        while (at > 0 && text[static_cast<std::size_t>(at) - 1] != ';')
            at = upper.Find(wanted.Str(), static_cast<std::size_t>(at) + 1);
        if (at < 0)
            continue;
        std::size_t start = static_cast<std::size_t>(at) + wanted.Length();
        std::size_t end = text.find(';', start);
        CQvcString value(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        value.Trim();
        if (value.Length() >= 2 && value[0] == '"' && value.Last() == '"')
            value = value.Mid(1, value.Length() - 2);
        return value;
    }
    return CQvcString();
}

long CSnCfgSqlite::CreateDatabase(const CQvcString& path) {
    if (path.IsEmpty() || ::access(path.c_str(), F_OK) == 0)
        return kErrCannotOpen;
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK)
        return kErrCannotOpen;
    std::string sql = "PRAGMA journal_mode = DELETE;\nBEGIN IMMEDIATE;\n" + snschema::CreateSql() +
                      "PRAGMA application_id = " + std::to_string(snschema::kApplicationId) +
                      ";\nPRAGMA user_version = " + std::to_string(snschema::kVersion) + ";\nCOMMIT;\n";
    if (!Exec(db.get(), sql.c_str())) {
        db.reset();
        platform::DeleteFile(path.Str());
        return kErrCannotOpen;
    }
    return 0;
}

namespace {

// Replaces the tables' rows in `target` by those of `source`, in one transaction.

long CopyTables(const CQvcString& source, const CQvcString& target, const std::vector<snschema::CopiedTable>& tables) {
    SqliteDb db;
    if (long code = OpenOurs(source, CSnCfgSqlite::kDefaultBusyTimeoutMs, db, SQLITE_OPEN_READONLY))
        return code;
    if (long code = OpenOurs(target, CSnCfgSqlite::kDefaultBusyTimeoutMs, db))
        return code;
    SqliteStmt attach;
    if (!Prepare(db.get(), "ATTACH DATABASE ? AS src", attach))
        return kErrCannotOpen;
    BindText(attach.get(), 1, source);
    if (sqlite3_step(attach.get()) != SQLITE_DONE)
        return kErrCannotOpen;
    attach.reset();

    long code = 0;
    {
        SqliteWriteTransaction tx(db.get());
        if (!tx.IsOpen())
            return Refused(tx, kErrNodesUpdate);
        for (const snschema::CopiedTable& c : tables) {
            // Same schema version on both sides: the columns match one to one.
            std::string sql = "DELETE FROM main." + Quote(c.Table) + "; INSERT INTO main." + Quote(c.Table) +
                              " SELECT * FROM src." + Quote(c.Table) + ";";
            if (!Exec(db.get(), sql.c_str())) {
                code = c.UpdateError;
                break;
            }
        }
        if (code == 0 && !tx.Commit())
            code = kErrNodesUpdate;
    }
    Exec(db.get(), "DETACH DATABASE src");
    return code;
}

} // namespace

long CSnCfgSqlite::CopyConfiguration(const CQvcString& source, const CQvcString& target) {
    return CopyTables(source, target, snschema::CopiedTables());
}

long CSnCfgSqlite::CopyProgramSettings(const CQvcString& source, const CQvcString& target) {
    return CopyTables(source, target, snschema::ProgramSettingsTables());
}

long CSnCfgSqlite::CopyDatabaseFile(const CQvcString& source, const CQvcString& target) {
    constexpr long kErrCopy = 25502;
    sqlite3* raw = nullptr;
    SqliteDb db;
    if (sqlite3_open_v2(source.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        db.reset(raw);
    else
        sqlite3_close_v2(raw);
    bool locked = false;
    if (db) {
        sqlite3_busy_timeout(db.get(), kDefaultBusyTimeoutMs);
        // A read transaction holds the shared lock until it ends: no writer can commit
        // while the file is copied.  A file that is no database simply gets no lock.
        locked = Exec(db.get(), "BEGIN") && Exec(db.get(), "SELECT COUNT(*) FROM sqlite_master");
    }
    bool ok = platform::CopyFile(source.Str(), target.Str(), true);
    if (locked)
        Exec(db.get(), "COMMIT");
    return ok ? 0 : kErrCopy;
}

long CSnCfgSqlite::ReplaceDatabaseFile(const CQvcString& target, const CQvcString& replacement,
                                       int busyTimeoutMs) {
    constexpr long kErrInUse = 25507;
    constexpr long kErrMissing = 25505;
    SqliteDb db;
    if (platform::FileExists(target.Str())) {
        sqlite3* raw = nullptr;
        if (sqlite3_open_v2(target.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
            db.reset(raw);
        else
            sqlite3_close_v2(raw);
        if (db) {
            sqlite3_busy_timeout(db.get(), busyTimeoutMs);
            // The exclusive lock waits for every reader and writer to finish and keeps new
            // ones out until the new file is in place; taking it also rolls back a journal
            // that a crashed writer left, which must never be applied to the new file.
            // A file that is no SQLite database cannot be locked this way and is simply
            // replaced.
            int rc = sqlite3_exec(db.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            if (rc == SQLITE_BUSY || (rc & 0xFF) == SQLITE_BUSY)
                return kErrInUse;
            if (rc != SQLITE_OK)
                db.reset();
        }
    }
    platform::CopyFile(replacement.Str(), target.Str(), true);
    if (db) {
        Exec(db.get(), "ROLLBACK");
        db.reset();
    }
    return platform::FileExists(target.Str()) ? 0 : kErrMissing;
}

void CSnCfgSqlite::get_ConnectionString(CQvcString& out) {
    out = m_connection;
    m_error = 0;
}

void CSnCfgSqlite::put_ConnectionString(const CQvcString& text) {
    Close();
    m_connection = text;
    m_path = PathFromConnection(text);
    m_error = 0;
}

void CSnCfgSqlite::GetLastError(long& code) { code = m_error; }

void CSnCfgSqlite::Open() {
    if (m_impl->Db) {
        m_error = kErrAlreadyOpen;
        return;
    }
    if (m_path.IsEmpty()) {
        m_error = kErrNoLocation;
        return;
    }
    m_error = OpenOurs(m_path, m_busyTimeoutMs, m_impl->Db);
}

void CSnCfgSqlite::Close() {
    m_impl->EndCursors();
    m_impl->RollBackBrackets();
    m_impl->Statements.clear();
    m_impl->Db.reset();
}

void CSnCfgSqlite::BeginTransaction() {
    if (!Ready())
        return;
    auto tx = std::make_unique<SqliteWriteTransaction>(m_impl->db());
    if (!tx->IsOpen()) {
        m_error = Refused(*tx, kErrTreeUpdate);
        return;
    }
    m_impl->Brackets.push_back(std::move(tx));
}

void CSnCfgSqlite::CommitTransaction() {
    if (!Ready())
        return;
    if (m_impl->Brackets.empty()) {
        m_error = kErrTreeUpdate;
        return;
    }
    // The cursors read inside the transaction; a commit cannot end while they are open.
    m_impl->EndCursors();
    if (!m_impl->Brackets.back()->Commit()) {
        m_error = Refused(*m_impl->Brackets.back(), kErrTreeUpdate);
        m_impl->Brackets.pop_back(); // rolled back
        return;
    }
    m_impl->Brackets.pop_back();
}

void CSnCfgSqlite::RollbackTransaction() {
    if (!Ready())
        return;
    m_impl->EndCursors();
    if (!m_impl->Brackets.empty())
        m_impl->Brackets.pop_back();
}

void CSnCfgSqlite::ReserveNodeId(long& id) {
    if (Ready())
        m_error = m_impl->ReserveId(id);
}

bool CSnCfgSqlite::Ready() {
    if (!m_impl->Db) {
        m_error = kErrNotOpen;
        return false;
    }
    m_error = 0;
    return true;
}

// --- meta settings and tree -----------------------------------------------------------

void CSnCfgSqlite::GetMetaSettings(CQvcVariant& out) {
    if (Ready())
        m_error = m_impl->GetRow(*snschema::FindRecordTable(snkind::kMetaSettings), 1, out);
}

void CSnCfgSqlite::PutMetaSettings(const CQvcVariant& record) {
    if (!Ready())
        return;
    auto r = RecordOf(record, snkind::kMetaSettings);
    const RecordTable& t = *snschema::FindRecordTable(snkind::kMetaSettings);
    m_error = r ? m_impl->PutRow(t, 1, *r, t.UpdateError) : kErrInvalidObject;
}

void CSnCfgSqlite::get_Tree(CQvcString& out) {
    if (!Ready())
        return;
    m_error = m_impl->GetText(snschema::kTree, 1, out);
}

void CSnCfgSqlite::put_Tree(const CQvcString& text) {
    if (!Ready())
        return;
    m_error = m_impl->PutValue(snschema::kTree, 1, CQvcVariant::FromText(text));
}

void CSnCfgSqlite::UpdateParents() {
    if (!Ready())
        return;
    CQvcString text;
    get_Tree(text);
    if (m_error)
        return;
    std::vector<std::pair<long, long>> parents;
    CSnTreeText::Tree tree;
    if (long code = CSnTreeText::Read(text, 1, tree)) {
        m_error = code;
        return;
    }
    tree.Visit([&](long id, long parent, long, int) { parents.emplace_back(id, parent); });
    SqliteWriteTransaction tx(m_impl->db());
    SqliteStmt stmt;
    if (!tx.IsOpen()) {
        m_error = Refused(tx, kErrNodesUpdate);
        return;
    }
    if (!Exec(m_impl->db(), "UPDATE \"Nodes\" SET \"ParentID\" = 0") ||
        !Prepare(m_impl->db(), "UPDATE \"Nodes\" SET \"ParentID\" = ? WHERE \"ID\" = ?", stmt)) {
        m_error = kErrNodesUpdate;
        return;
    }
    for (const auto& [id, parent] : parents) {
        sqlite3_reset(stmt.get());
        sqlite3_bind_int64(stmt.get(), 1, parent);
        sqlite3_bind_int64(stmt.get(), 2, id);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
            m_error = kErrNodesUpdate;
            return;
        }
    }
    stmt.reset();
    m_error = tx.Commit() ? 0 : Refused(tx, kErrNodesUpdate);
}

// --- nodes ------------------------------------------------------------------------------

void CSnCfgSqlite::NewNode(CQvcVariant& out) {
    if (Ready())
        m_error = m_impl->InsertNode(0, true, m_maxNodes, out);
}

void CSnCfgSqlite::NewNodeWithId(long id, CQvcVariant& out) {
    if (!Ready())
        return;
    if (id < 1) {
        out.Clear();
        m_error = kErrNodesInsert;
        return;
    }
    m_error = m_impl->InsertNode(id, false, m_maxNodes, out);
}

void CSnCfgSqlite::GetNode(long id, CQvcVariant& out) {
    if (Ready())
        m_error = m_impl->GetRow(snschema::Nodes(), id, out);
}

void CSnCfgSqlite::GetFirstNode(const CQvcString& where, long summary, CQvcVariant& out) {
    out.Clear();
    if (!Ready())
        return;
    m_impl->NodeCursor.reset();
    m_impl->NodeCursorRecord.reset();
    const RecordTable& nodes = snschema::Nodes();
    m_impl->NodeCursorColumns = Select(nodes, summary != 0);
    if (!m_impl->PrepareWhere(m_impl->NodeCursorColumns.Sql, nodes.Table, where, NodeFields(), " ORDER BY \"ID\"",
                              m_impl->NodeCursor)) {
        m_impl->NodeCursor.reset();
        m_error = kErrNodesQuery;
        return;
    }
    GetNextNode(out);
}

void CSnCfgSqlite::GetNextNode(CQvcVariant& out) {
    std::shared_ptr<CSnRecord> last = out.AsRecord();
    out.Clear();
    // Held here and by the cursor alone: no one else can see it change.
    if (last && (last != m_impl->NodeCursorRecord || last.use_count() != 2))
        last.reset();
    m_impl->NodeCursorRecord.reset();
    if (!Ready())
        return;
    m_error = StepCursor(m_impl->NodeCursor, kErrNodesNoRecord, kErrNodesQuery);
    if (m_error != 0)
        return;
    std::shared_ptr<CSnRecord> record =
        RowToRecord(m_impl->NodeCursor.get(), snschema::Nodes(), m_impl->NodeCursorColumns, std::move(last));
    m_impl->NodeCursorRecord = record;
    out = CQvcVariant::FromRecord(std::move(record));
}

void CSnCfgSqlite::GetFirstNodeId(const CQvcString& where, long& id) {
    id = 0;
    if (!Ready())
        return;
    m_impl->IdCursor.reset();
    if (!m_impl->PrepareWhere("\"ID\"", "Nodes", where, NodeFields(), " ORDER BY \"ID\"", m_impl->IdCursor)) {
        m_impl->IdCursor.reset();
        m_error = kErrNodesQuery;
        return;
    }
    GetNextNodeId(id);
}

void CSnCfgSqlite::GetNextNodeId(long& id) {
    id = 0;
    if (!Ready())
        return;
    m_error = StepCursor(m_impl->IdCursor, kErrNodesNoRecord, kErrNodesQuery);
    if (m_error == 0)
        id = static_cast<long>(sqlite3_column_int64(m_impl->IdCursor.get(), 0));
}

void CSnCfgSqlite::SaveNode(const CQvcVariant& record) {
    if (!Ready())
        return;
    auto r = RecordOf(record, snkind::kNode);
    if (!r) {
        m_error = kErrInvalidObject;
        return;
    }
    long id = r->GetLong(kPropId);
    if (id < 1) {
        m_error = kErrNodesNoRecord;
        return;
    }
    const RecordTable& nodes = snschema::Nodes();
    std::string sets;
    std::vector<const Column*> present;
    for (const Column& c : nodes.Columns)
        if (r->Has(c.Property)) {
            sets += (sets.empty() ? "" : ", ") + Quote(c.Name) + " = ?";
            present.push_back(&c);
        }
    // A record without properties still proves that its node exists.
    std::string sql = sets.empty() ? "UPDATE \"Nodes\" SET \"ID\" = \"ID\" WHERE \"ID\" = ?"
                                   : "UPDATE \"Nodes\" SET " + sets + " WHERE \"ID\" = ?";
    SqliteWriteTransaction tx(m_impl->db());
    CachedStmt stmt;
    if (!tx.IsOpen() || !m_impl->Cache(sql, stmt)) {
        m_error = Refused(tx, kErrNodesUpdate);
        return;
    }
    int index = 1;
    for (const Column* c : present)
        BindVariant(stmt.get(), index++, r->Get(c->Property), c->Kind);
    sqlite3_bind_int64(stmt.get(), index, id);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
        m_error = kErrNodesUpdate;
        return;
    }
    if (sqlite3_changes(m_impl->db()) == 0) {
        // Someone else deleted the node meanwhile.
        m_error = kErrNodesNoRecord;
        return;
    }
    stmt.reset();
    m_error = tx.Commit() ? 0 : Refused(tx, kErrNodesUpdate);
}

void CSnCfgSqlite::DeleteNode(long id) {
    if (!Ready())
        return;
    SqliteWriteTransaction tx(m_impl->db());
    CachedStmt stmt;
    if (!tx.IsOpen() || !m_impl->Cache("DELETE FROM \"Nodes\" WHERE \"ID\" = ?", stmt)) {
        m_error = Refused(tx, kErrNodesDelete);
        return;
    }
    sqlite3_bind_int64(stmt.get(), 1, id);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
        m_error = kErrNodesDelete;
        return;
    }
    stmt.reset();
    m_error = tx.Commit() ? 0 : Refused(tx, kErrNodesDelete);
}

void CSnCfgSqlite::CountNodes(const CQvcString& where, long& count) {
    count = 0;
    if (!Ready())
        return;
    SqliteStmt stmt;
    if (!m_impl->PrepareWhere("COUNT(*)", "Nodes", where, NodeFields(), "", stmt) ||
        sqlite3_step(stmt.get()) != SQLITE_ROW) {
        m_error = kErrNodesQuery;
        return;
    }
    count = static_cast<long>(sqlite3_column_int64(stmt.get(), 0));
}

// --- one-text settings ----------------------------------------------------------------

#define SN_TEXT_SETTINGS(Getter, Putter, Table)                                                              \
    void CSnCfgSqlite::Getter(CQvcString& out) {                                                             \
        if (Ready())                                                                                         \
            m_error = m_impl->GetText(Table, 1, out);                                                        \
    }                                                                                                        \
    void CSnCfgSqlite::Putter(const CQvcString& text) {                                                      \
        if (Ready())                                                                                         \
            m_error = m_impl->PutValue(Table, 1, CQvcVariant::FromText(text));                               \
    }

SN_TEXT_SETTINGS(get_ServerCredentials, put_ServerCredentials, snschema::kServerCredentials)
SN_TEXT_SETTINGS(get_MaintenanceSettings, put_MaintenanceSettings, snschema::kMaintenance)
SN_TEXT_SETTINGS(get_DateTimeSettings, put_DateTimeSettings, snschema::kDateTime)
SN_TEXT_SETTINGS(get_AutoBackupSettings, put_AutoBackupSettings, snschema::kAutoBackup)
#undef SN_TEXT_SETTINGS

void CSnCfgSqlite::get_AdvancedSettings(long row, CQvcString& out) {
    if (!Ready())
        return;
    m_error = (row < 1 || row > 7) ? snschema::kAdvanced.NoRecordsError
                                   : m_impl->GetText(snschema::kAdvanced, row, out);
}

void CSnCfgSqlite::put_AdvancedSettings(long row, const CQvcString& text) {
    if (!Ready())
        return;
    m_error = (row < 1 || row > 7) ? snschema::kAdvanced.UpdateError
                                   : m_impl->PutValue(snschema::kAdvanced, row, CQvcVariant::FromText(text));
}

void CSnCfgSqlite::GetNetPopupSettings(bool& enabled) {
    if (!Ready())
        return;
    CQvcString text;
    m_error = m_impl->GetText(snschema::kNetPopup, 1, text);
    if (m_error == 0)
        enabled = std::atol(text.c_str()) != 0;
}

void CSnCfgSqlite::PutNetPopupSettings(bool enabled) {
    if (Ready())
        m_error = m_impl->PutValue(snschema::kNetPopup, 1, CQvcVariant::FromBool(enabled));
}

// --- record settings ------------------------------------------------------------------

#define SN_SINGLE_ROW_SETTINGS(Getter, Putter, KindName)                                                       \
    void CSnCfgSqlite::Getter(CQvcVariant& out) {                                                              \
        if (Ready())                                                                                           \
            m_error = m_impl->GetRow(*snschema::FindRecordTable(KindName), 1, out);                            \
    }                                                                                                          \
    void CSnCfgSqlite::Putter(const CQvcVariant& record) {                                                     \
        if (!Ready())                                                                                          \
            return;                                                                                            \
        auto r = RecordOf(record, KindName);                                                                   \
        const RecordTable& t = *snschema::FindRecordTable(KindName);                                           \
        m_error = r ? m_impl->PutRow(t, 1, *r, t.UpdateError) : kErrInvalidObject;                             \
    }

SN_SINGLE_ROW_SETTINGS(GetSmsSettings, PutSmsSettings, snkind::kSmsSettings)
SN_SINGLE_ROW_SETTINGS(GetPagerSettings, PutPagerSettings, snkind::kPagerSettings)
SN_SINGLE_ROW_SETTINGS(GetMsnSettings, PutMsnSettings, snkind::kMsnSettings)
SN_SINGLE_ROW_SETTINGS(GetLogSettings, PutLogSettings, snkind::kLogSettings)
SN_SINGLE_ROW_SETTINGS(GetReportSettings, PutReportSettings, snkind::kReportSettings)
SN_SINGLE_ROW_SETTINGS(GetSnmpTrapsSettings, PutSnmpTrapsSettings, snkind::kSnmpTrapsSettings)
#undef SN_SINGLE_ROW_SETTINGS

// The e-mail settings are one row.  The getter takes an index: -1 and 0 both address that
// row (the store asks for -1, then 0); any other index has no record.
void CSnCfgSqlite::GetSmtpSettings(long index, CQvcVariant& out) {
    if (!Ready())
        return;
    const RecordTable& t = *snschema::FindRecordTable(snkind::kSmtpSettings);
    if (index != -1 && index != 0) {
        out.Clear();
        m_error = t.NoRecordsError;
        return;
    }
    m_error = m_impl->GetRow(t, 1, out);
}

void CSnCfgSqlite::PutSmtpSettings(const CQvcVariant& record) {
    if (!Ready())
        return;
    auto r = RecordOf(record, snkind::kSmtpSettings);
    const RecordTable& t = *snschema::FindRecordTable(snkind::kSmtpSettings);
    m_error = r ? m_impl->PutRow(t, 1, *r, t.UpdateError) : kErrInvalidObject;
}

void CSnCfgSqlite::GetMessageTemplate(long id, CQvcVariant& out) {
    if (Ready())
        m_error = m_impl->GetRow(*snschema::FindRecordTable(snkind::kMessageTemplate), id, out);
}

void CSnCfgSqlite::PutMessageTemplate(const CQvcVariant& record) {
    if (!Ready())
        return;
    auto r = RecordOf(record, snkind::kMessageTemplate);
    const RecordTable& t = *snschema::FindRecordTable(snkind::kMessageTemplate);
    if (!r)
        m_error = kErrInvalidObject;
    else if (r->GetLong(kPropId) < 1)
        m_error = t.UpdateError;
    else
        m_error = m_impl->PutRow(t, r->GetLong(kPropId), *r, t.UpdateError);
}

void CSnCfgSqlite::GetXmlView(long index, CQvcVariant& out) {
    if (!Ready())
        return;
    const RecordTable& t = *snschema::FindRecordTable(snkind::kXmlView);
    if (index < 0 || index >= kWebViews) {
        out.Clear();
        m_error = t.NoRecordsError;
        return;
    }
    m_error = m_impl->GetRow(t, index, out);
}

void CSnCfgSqlite::PutXmlView(long index, const CQvcVariant& record) {
    if (!Ready())
        return;
    auto r = RecordOf(record, snkind::kXmlView);
    const RecordTable& t = *snschema::FindRecordTable(snkind::kXmlView);
    if (!r)
        m_error = kErrInvalidObject;
    else if (index < 0 || index >= kWebViews)
        m_error = t.UpdateError;
    else
        m_error = m_impl->PutRow(t, index, *r, t.UpdateError);
}

// --- distribution groups ----------------------------------------------------------------

void CSnCfgSqlite::GetDistributionGroup(long id, CQvcVariant& out) {
    if (Ready())
        m_error = m_impl->GetRow(*snschema::FindRecordTable(snkind::kDistributionGroup), id, out);
}

void CSnCfgSqlite::GetFirstDistributionGroup(const CQvcString& where, CQvcVariant& out) {
    out.Clear();
    if (!Ready())
        return;
    m_impl->GroupCursor.reset();
    const RecordTable& t = *snschema::FindRecordTable(snkind::kDistributionGroup);
    m_impl->GroupCursorColumns = Select(t, false);
    if (!m_impl->PrepareWhere(m_impl->GroupCursorColumns.Sql, t.Table, where, GroupFields(), " ORDER BY \"ID\"",
                              m_impl->GroupCursor)) {
        m_impl->GroupCursor.reset();
        m_error = t.QueryError;
        return;
    }
    GetNextDistributionGroup(out);
}

void CSnCfgSqlite::GetNextDistributionGroup(CQvcVariant& out) {
    out.Clear();
    if (!Ready())
        return;
    const RecordTable& t = *snschema::FindRecordTable(snkind::kDistributionGroup);
    m_error = StepCursor(m_impl->GroupCursor, t.NoRecordsError, t.QueryError);
    if (m_error == 0)
        out = CQvcVariant::FromRecord(RowToRecord(m_impl->GroupCursor.get(), t, m_impl->GroupCursorColumns));
}

void CSnCfgSqlite::SaveDistributionGroup(const CQvcVariant& record) {
    if (!Ready())
        return;
    auto r = RecordOf(record, snkind::kDistributionGroup);
    if (!r) {
        m_error = kErrInvalidObject;
        return;
    }
    const RecordTable& t = *snschema::FindRecordTable(snkind::kDistributionGroup);
    long id = r->GetLong(kPropId);
    if (id < 1) {
        // A new group without an ID gets the next free one above the built-in range.
        SqliteStmt stmt;
        if (!Prepare(m_impl->db(), "SELECT IFNULL(MAX(\"ID\"), 0) FROM \"DistributionGroups\"", stmt) ||
            sqlite3_step(stmt.get()) != SQLITE_ROW) {
            m_error = kErrGroupsLast;
            return;
        }
        id = std::max(static_cast<long>(sqlite3_column_int64(stmt.get(), 0)) + 1, kFirstGroupId);
        m_error = m_impl->PutRow(t, id, *r, kErrGroupsInsert);
        if (m_error == 0)
            r->SetLong(kPropId, id);
        return;
    }
    m_error = m_impl->PutRow(t, id, *r, t.UpdateError);
}

void CSnCfgSqlite::DeleteDistributionGroups(const CQvcString& where) {
    if (!Ready())
        return;
    CSnWhereClause clause;
    // Deleting every group takes an explicit condition; an empty one is refused.
    if (!clause.Parse(where, GroupFields()) || clause.IsEmpty()) {
        m_error = kErrGroupsQuery;
        return;
    }
    SqliteWriteTransaction tx(m_impl->db());
    SqliteStmt stmt;
    if (!tx.IsOpen() || !Prepare(m_impl->db(), "DELETE FROM \"DistributionGroups\"" + clause.Sql(), stmt)) {
        m_error = Refused(tx, kErrGroupsDelete);
        return;
    }
    int index = 1;
    for (const CSnWhereClause::Condition& c : clause.Conditions())
        sqlite3_bind_int64(stmt.get(), index++, c.Value);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
        m_error = kErrGroupsDelete;
        return;
    }
    stmt.reset();
    m_error = tx.Commit() ? 0 : Refused(tx, kErrGroupsDelete);
}
