#pragma once
// The schema of the configuration database: one table per record kind or settings
// table, with a named column per record property.  The schema is versioned inside the
// file (PRAGMA user_version), separately from the configuration version that the
// meta-settings record carries; the file is marked as ours with PRAGMA application_id.
#include <string>
#include <string_view>
#include <vector>

namespace snschema {

// Version 1: the first schema.  Version 2 adds the node ID counter (NodeIds), so that an
// ID handed out is never handed out again, even when its node was never stored or was
// deleted.  A version 1 file is brought to version 2 when it is opened for writing (a
// read-only one still opens and reads); any other version is refused at Open.
inline constexpr int kVersion = 2;
inline constexpr int kOldestVersion = 1;
// "SnCf".
inline constexpr int kApplicationId = 0x536E4366;

struct Column {
    int Property;             // record property number
    const char* Name;         // column name
    char Kind;                // 'L' integer, 'B' flag (0 or 1 in the database), 'S' text
    std::string Default = {}; // the column's SQL default; empty: '' for text, 0 otherwise
};

// A table that holds record objects.
struct RecordTable {
    const char* Table;
    const char* Kind;      // the record kind (CSnRecord::Kind)
    const char* KeyColumn; // the column of property 1
    std::vector<Column> Columns; // without the key
    long QueryError;
    long NoRecordsError;
    long UpdateError;
};

// A table that holds one value per key (most of them a single row with key 1).
struct ValueTable {
    const char* Table;
    const char* KeyColumn;
    const char* KeyCheck; // the SQL condition on the key
    const char* ValueColumn;
    char Kind; // as Column::Kind
    long QueryError;
    long NoRecordsError;
    long UpdateError;
};

inline constexpr ValueTable kTree{"Tree", "ID", "= 1", "Tree", 'S', 25060, 25061, 25062};
inline constexpr ValueTable kServerCredentials{
    "ServerCredentials", "ID", "= 1", "Value", 'S', 25035, 25036, 25037};
inline constexpr ValueTable kMaintenance{
    "MaintenanceSettings", "ID", "= 1", "Value", 'S', 25160, 25161, 25162};
inline constexpr ValueTable kDateTime{"DateTimeSettings", "ID", "= 1", "Value", 'S', 25173, 25174, 25175};
inline constexpr ValueTable kAutoBackup{"AutoBackupSettings", "ID", "= 1", "Value", 'S', 25176, 25177, 25178};
inline constexpr ValueTable kNetPopup{"NetPopupSettings", "ID", "= 1", "Enabled", 'B', 25105, 25106, 25107};
inline constexpr ValueTable kAdvanced{
    "AdvancedSettings", "Row", "BETWEEN 1 AND 7", "Value", 'S', 25194, 25195, 25196};

// A table that a configuration import copies whole, and the code of a failed copy.
struct CopiedTable {
    const char* Table;
    long UpdateError;
};
// Every table of the configuration except the meta-settings, which describe the file
// itself (its version and creator) rather than what it configures.
const std::vector<CopiedTable>& CopiedTables();
// The program's own settings among them: what an import of the monitor checks alone
// leaves as it was.  The checks go with the tables they refer to (the tree, message
// templates, distribution groups, server credentials).
const std::vector<CopiedTable>& ProgramSettingsTables();

// A table's columns as a text export writes and reads them: the key first, then the rest
// in schema order.
struct TableShape {
    const char* Table;
    std::vector<Column> Columns; // [0] is the key (kind 'L')
};
// Every table a configuration import copies except the nodes and the tree, whose text
// export is the nested tree itself.
const std::vector<TableShape>& SettingsTableShapes();

// The record table of a kind; null for an unknown kind.
const RecordTable* FindRecordTable(std::string_view kind);
// The node table; its summary columns are those of the summary properties.
const RecordTable& Nodes();
bool IsSummaryProperty(int property);

// Every CREATE TABLE statement of the schema, joined.
std::string CreateSql();
// The statements that bring a version 1 database to version 2 (without the version).
std::string UpgradeSql();

} // namespace snschema
