#pragma once
// CSnCfgSqlite: the configuration component on an SQLite database file (the file keeps
// its name Config.mdb; the content is SQLite).
//
// - Every Open ... Close pair is one connection: Open connects and checks that the file
//   is one of our databases of the current schema version; Close disconnects.  Nothing
//   stays open in between, so other processes (the engine, other Managers, the command
//   line tool) may use the file between any two operations.
// - A busy database is waited for (busy timeout, 10 s by default) instead of failing.
// - Every write is one transaction opened with BEGIN IMMEDIATE, or a savepoint of the
//   caller's bracket (BeginTransaction ... CommitTransaction) when one is open; the
//   journal is the rollback journal (never WAL, which needs every process on one host),
//   so a process killed in the middle of a save or a bracket leaves the old state or the
//   new one, never a part.
// - `where` texts follow the grammar of CSnWhereClause.
// - New and reserved node IDs come from a counter kept in the file, above every stored
//   ID and at least kFirstNodeId, so an ID is never handed out twice; at most kMaxNodes
//   nodes may be stored (25220 beyond that).
//
// Failure codes (GetLastError): 25003 no database path in the connection text; 25004 the
// file is missing, cannot be opened, is no SQLite database, is not a configuration
// database or has another schema version; 25007 another program keeps the database
// locked for longer than the busy timeout (at Open or at a write); 25005 an operation outside Open/Close;
// 25006 Open twice; 25001 a value that is not a record of the right kind; then per table the query,
// no-records and update codes (Nodes 25020-25026, Tree 25060-25062, settings 25100-25196, ServerCredentials
// 25035-25037, DistributionGroups 25120-25125), 25050 a tree text that UpdateParents cannot follow, 25220 too
// many nodes.  A read-only file opens and reads; its writes fail with the table's update code.
#include "model/store/ISnCfg.h"

#include <memory>

class CSnCfgSqlite : public ISnCfg {
public:
    static constexpr long kFirstNodeId = 10000;
    // Root folder, template check and every folder and check together.
    static constexpr long kMaxNodes = 250000;
    static constexpr int kDefaultBusyTimeoutMs = 10000;

    explicit CSnCfgSqlite(const CQvcString& connectionString);
    ~CSnCfgSqlite() override;

    // Knobs for tests and tools.
    void SetBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
    void SetMaxNodes(long count) { m_maxNodes = count; }
    const CQvcString& DatabasePath() const { return m_path; }

    // --- whole files (no component connection needed) ------------------------------
    // The database path of a connection text: the value of "Data Source=" or "DBQ="
    // (names matched without regard to case, the value trimmed); empty when absent.
    static CQvcString PathFromConnection(const CQvcString& connectionString);
    // The connection text that names the database file at `path`.
    static CQvcString ConnectionForFile(const CQvcString& path);
    // A new, empty configuration database of the current schema at `path` (the file must
    // not exist).  0 or 25004.
    static long CreateDatabase(const CQvcString& path);
    // Copies the nodes, the tree and every settings table except the meta settings from
    // the database `source` into the database `target`, replacing what `target` held, in
    // one transaction.  0, 25004 when either file is no configuration database, or the
    // failing table's update code.
    static long CopyConfiguration(const CQvcString& source, const CQvcString& target);
    // The same for the program's own settings only (see snschema::ProgramSettingsTables).
    static long CopyProgramSettings(const CQvcString& source, const CQvcString& target);
    // Copies the database file to `target` (overwriting it) while holding a read lock, so
    // that no writer commits halfway through the copy.  A source that is no SQLite file
    // is copied as it is.  0, or 25502 when the copy fails.
    static long CopyDatabaseFile(const CQvcString& source, const CQvcString& target);
    // Puts the file `replacement` in place of the database `target` while holding the
    // target's exclusive lock, so that no other process reads or writes it meanwhile (a
    // pending rollback journal of the old file is dealt with first).  0; 25507 when the
    // lock cannot be had within the busy timeout (another process keeps using the file);
    // 25505 when the target does not exist afterwards.
    static long ReplaceDatabaseFile(const CQvcString& target, const CQvcString& replacement,
                                    int busyTimeoutMs = kDefaultBusyTimeoutMs);

    // --- ISnCfg ---------------------------------------------------------------------
    void get_ConnectionString(CQvcString& out) override;
    void put_ConnectionString(const CQvcString& text) override;
    void GetLastError(long& code) override;
    void Open() override;
    void Close() override;
    void BeginTransaction() override;
    void CommitTransaction() override;
    void RollbackTransaction() override;
    void ReserveNodeId(long& id) override;

    void GetMetaSettings(CQvcVariant& out) override;
    void PutMetaSettings(const CQvcVariant& record) override;
    void get_Tree(CQvcString& out) override;
    void put_Tree(const CQvcString& text) override;
    void UpdateParents() override;

    void NewNode(CQvcVariant& out) override;
    void NewNodeWithId(long id, CQvcVariant& out) override;
    void GetNode(long id, CQvcVariant& out) override;
    void GetFirstNode(const CQvcString& where, long summary, CQvcVariant& out) override;
    void GetNextNode(CQvcVariant& out) override;
    void GetFirstNodeId(const CQvcString& where, long& id) override;
    void GetNextNodeId(long& id) override;
    void SaveNode(const CQvcVariant& record) override;
    void DeleteNode(long id) override;
    void CountNodes(const CQvcString& where, long& count) override;

    void get_ServerCredentials(CQvcString& out) override;
    void put_ServerCredentials(const CQvcString& text) override;

    void GetDistributionGroup(long id, CQvcVariant& out) override;
    void GetFirstDistributionGroup(const CQvcString& where, CQvcVariant& out) override;
    void GetNextDistributionGroup(CQvcVariant& out) override;
    void SaveDistributionGroup(const CQvcVariant& record) override;
    void DeleteDistributionGroups(const CQvcString& where) override;

    void GetMessageTemplate(long id, CQvcVariant& out) override;
    void PutMessageTemplate(const CQvcVariant& record) override;
    void GetSmtpSettings(long index, CQvcVariant& out) override;
    void PutSmtpSettings(const CQvcVariant& record) override;
    void GetNetPopupSettings(bool& enabled) override;
    void PutNetPopupSettings(bool enabled) override;
    void GetSmsSettings(CQvcVariant& out) override;
    void PutSmsSettings(const CQvcVariant& record) override;
    void GetPagerSettings(CQvcVariant& out) override;
    void PutPagerSettings(const CQvcVariant& record) override;
    void GetMsnSettings(CQvcVariant& out) override;
    void PutMsnSettings(const CQvcVariant& record) override;
    void GetLogSettings(CQvcVariant& out) override;
    void PutLogSettings(const CQvcVariant& record) override;
    void GetReportSettings(CQvcVariant& out) override;
    void PutReportSettings(const CQvcVariant& record) override;
    void get_MaintenanceSettings(CQvcString& out) override;
    void put_MaintenanceSettings(const CQvcString& text) override;
    void GetSnmpTrapsSettings(CQvcVariant& out) override;
    void PutSnmpTrapsSettings(const CQvcVariant& record) override;
    void get_DateTimeSettings(CQvcString& out) override;
    void put_DateTimeSettings(const CQvcString& text) override;
    void get_AutoBackupSettings(CQvcString& out) override;
    void put_AutoBackupSettings(const CQvcString& text) override;
    void get_AdvancedSettings(long row, CQvcString& out) override;
    void put_AdvancedSettings(long row, const CQvcString& text) override;
    void GetXmlView(long index, CQvcVariant& out) override;
    void PutXmlView(long index, const CQvcVariant& record) override;

protected:
    // For derived components (test doubles) that fail an operation on purpose.
    void SetError(long code) { m_error = code; }
    // True when connected; otherwise sets 25005.
    bool Ready();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    CQvcString m_connection;
    CQvcString m_path;
    long m_error = 0;
    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
    long m_maxNodes = kMaxNodes;
};
