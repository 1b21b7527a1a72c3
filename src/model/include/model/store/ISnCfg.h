#pragma once
// ISnCfg: the configuration component.  Every call is bracketed by its caller: Open,
// GetLastError, the operation only when that gave 0, GetLastError again, Close.  The
// operations return nothing; GetLastError gives the outcome (0 or an error code of the
// 25000 family), and out values count only when it gave 0.  No database connection
// stays open between Open and Close pairs.
//
// Records travel as CQvcVariant holding a CSnRecord; a value that is not a record, or an
// empty record pointer, is error 25001.  `where` texts take the small grammar
//   condition { AND condition }     condition = field op integer
//   op = "=" | "<>" | "<" | "<=" | ">" | ">="
// and anything else is refused with the table's query error.  The fields that a `where`
// may name: ID, Type, ScanMode, ScanInterval, ErrorThreshold, OnHold, Inverse,
// GraphEnabled, ScriptTimeout, MaintenanceEnabled and ParentID for the nodes; ID and
// NotificationTypeID for the distribution groups.
//
// Property numbers of every record kind: SnRecordProperties.h.
#include "library/QvcString.h"
#include "model/store/QvcVariant.h"

#include <memory>

class ISnCfg {
public:
    virtual ~ISnCfg() = default;

    virtual void get_ConnectionString(CQvcString& out) = 0;
    // Accepts "Provider=...;Data Source=<path>" and "DRIVER=...;DBQ=<path>".
    virtual void put_ConnectionString(const CQvcString& text) = 0;
    virtual void GetLastError(long& code) = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;

    // The write bracket inside one connection: every write between BeginTransaction and
    // CommitTransaction is kept together, or dropped together by RollbackTransaction, by
    // a failed commit, by Close or by the end of the process.  The bracket takes the
    // database's write lock at once (other writers wait for it); brackets nest.
    virtual void BeginTransaction() = 0;
    virtual void CommitTransaction() = 0;
    virtual void RollbackTransaction() = 0;
    // A node ID that no node had and no later NewNode gives, handed out without storing
    // a record (NewNodeWithId stores it later).
    virtual void ReserveNodeId(long& id) = 0;

    virtual void GetMetaSettings(CQvcVariant& out) = 0;
    virtual void PutMetaSettings(const CQvcVariant& record) = 0;
    virtual void get_Tree(CQvcString& out) = 0;
    virtual void put_Tree(const CQvcString& text) = 0;
    virtual void UpdateParents() = 0;

    virtual void NewNode(CQvcVariant& out) = 0;
    virtual void NewNodeWithId(long id, CQvcVariant& out) = 0;
    virtual void GetNode(long id, CQvcVariant& out) = 0;
    // With `summary` 1, only the summary properties are filled.
    virtual void GetFirstNode(const CQvcString& where, long summary, CQvcVariant& out) = 0;
    virtual void GetNextNode(CQvcVariant& out) = 0;
    virtual void GetFirstNodeId(const CQvcString& where, long& id) = 0;
    virtual void GetNextNodeId(long& id) = 0;
    virtual void SaveNode(const CQvcVariant& record) = 0;
    virtual void DeleteNode(long id) = 0;
    virtual void CountNodes(const CQvcString& where, long& count) = 0;

    virtual void get_ServerCredentials(CQvcString& out) = 0;
    virtual void put_ServerCredentials(const CQvcString& text) = 0;

    virtual void GetDistributionGroup(long id, CQvcVariant& out) = 0;
    virtual void GetFirstDistributionGroup(const CQvcString& where, CQvcVariant& out) = 0;
    virtual void GetNextDistributionGroup(CQvcVariant& out) = 0;
    // Inserts the group when its ID is new, else updates it.
    virtual void SaveDistributionGroup(const CQvcVariant& record) = 0;
    virtual void DeleteDistributionGroups(const CQvcString& where) = 0;

    virtual void GetMessageTemplate(long id, CQvcVariant& out) = 0;
    virtual void PutMessageTemplate(const CQvcVariant& record) = 0;
    virtual void GetSmtpSettings(long index, CQvcVariant& out) = 0;
    virtual void PutSmtpSettings(const CQvcVariant& record) = 0;
    virtual void GetNetPopupSettings(bool& enabled) = 0;
    virtual void PutNetPopupSettings(bool enabled) = 0;
    virtual void GetSmsSettings(CQvcVariant& out) = 0;
    virtual void PutSmsSettings(const CQvcVariant& record) = 0;
    virtual void GetPagerSettings(CQvcVariant& out) = 0;
    virtual void PutPagerSettings(const CQvcVariant& record) = 0;
    virtual void GetMsnSettings(CQvcVariant& out) = 0;
    virtual void PutMsnSettings(const CQvcVariant& record) = 0;
    virtual void GetLogSettings(CQvcVariant& out) = 0;
    virtual void PutLogSettings(const CQvcVariant& record) = 0;
    virtual void GetReportSettings(CQvcVariant& out) = 0;
    virtual void PutReportSettings(const CQvcVariant& record) = 0;
    virtual void get_MaintenanceSettings(CQvcString& out) = 0;
    virtual void put_MaintenanceSettings(const CQvcString& text) = 0;
    virtual void GetSnmpTrapsSettings(CQvcVariant& out) = 0;
    virtual void PutSnmpTrapsSettings(const CQvcVariant& record) = 0;
    virtual void get_DateTimeSettings(CQvcString& out) = 0;
    virtual void put_DateTimeSettings(const CQvcString& text) = 0;
    virtual void get_AutoBackupSettings(CQvcString& out) = 0;
    virtual void put_AutoBackupSettings(const CQvcString& text) = 0;
    // Rows 1 to 7.
    virtual void get_AdvancedSettings(long row, CQvcString& out) = 0;
    virtual void put_AdvancedSettings(long row, const CQvcString& text) = 0;
    // Indexes 0 to 127.
    virtual void GetXmlView(long index, CQvcVariant& out) = 0;
    virtual void PutXmlView(long index, const CQvcVariant& record) = 0;
};

// The SQLite component (see SnCfgSqlite.h) working on the database that the connection
// text names ("Provider=...;Data Source=<path>" or "DRIVER=...;DBQ=<path>").
std::unique_ptr<ISnCfg> CreateSnCfgComponent(const CQvcString& connectionString);
