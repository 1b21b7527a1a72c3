#include "SnCfgSchema.h"

#include "model/notify/SnLogSettings.h"
#include "model/notify/SnMessageTemplate.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"
#include "model/settings/SnMetaSettings.h"
#include "model/settings/SnReportSettings.h"
#include "model/settings/SnWebView.h"
#include "model/store/SnRecordProperties.h"

#include <algorithm>

namespace snschema {
namespace {

const RecordTable kNodes{
    "Nodes",
    snkind::kNode,
    "ID",
    {
        {snnode::kName, "Name", 'S'},
        {snnode::kNotes, "Notes", 'S'},
        {snnode::kScanMode, "ScanMode", 'L'},
        {snnode::kScanInterval, "ScanInterval", 'L'},
        {snnode::kScanSchedule, "ScanSchedule", 'S'},
        {snnode::kErrorThreshold, "ErrorThreshold", 'L'},
        {snnode::kOnHold, "OnHold", 'B'},
        {snnode::kInverse, "Inverse", 'B'},
        {snnode::kScriptTimeout, "ScriptTimeout", 'L'},
        {snnode::kType, "Type", 'L'},
        {snnode::kMaintenanceEnabled, "MaintenanceEnabled", 'B'},
        {snnode::kMaintenanceSchedule, "MaintenanceSchedule", 'S'},
        {snnode::kDependencies, "Dependencies", 'S'},
        {snnode::kReNotifyRepeat, "ReNotifyRepeat", 'B'},
        {snnode::kReNotifyMinutes, "ReNotifyMinutes", 'L'},
        {snnode::kNotifyFlags, "NotifyFlags", 'S'},
        {18, "Recipients0", 'S'},
        {19, "Recipients1", 'S'},
        {20, "Recipients2", 'S'},
        {21, "Recipients3", 'S'},
        {22, "Recipients4", 'S'},
        {23, "Recipients5", 'S'},
        {24, "Recipients6", 'S'},
        {25, "Recipients7", 'S'},
        {snnode::kRecipients10, "Recipients10", 'S'},
        {snnode::kRecipients11, "Recipients11", 'S'},
        {snnode::kReserved28, "Reserved28", 'S'},
        {snnode::kReserved29, "Reserved29", 'S'},
        {snnode::kReRunRepeat, "ReRunRepeat", 'B'},
        {snnode::kReRunMinutes, "ReRunMinutes", 'L'},
        {snnode::kActionFlags, "ActionFlags", 'S'},
        {snnode::kFailureExecutable, "FailureExecutable", 'S'},
        {snnode::kSuccessExecutable, "SuccessExecutable", 'S'},
        {snnode::kSuccessScript, "SuccessScript", 'S'},
        {snnode::kFailureScript, "FailureScript", 'S'},
        {snnode::kRestartServices, "RestartServices", 'S'},
        {snnode::kRestartComputer, "RestartComputer", 'S'},
        {snnode::kRestartCredentials, "RestartCredentials", 'S'},
        {snnode::kUncertain, "Uncertain", 'L'},
        {snnode::kGraphEnabled, "GraphEnabled", 'B'},
        {snnode::kReserved42, "Reserved42", 'S'},
        {snnode::kReserved43, "Reserved43", 'S'},
        {snnode::kUseCredentials, "UseCredentials", 'B'},
        {snnode::kCredentialsServer, "CredentialsServer", 'S'},
        {snnode::kParamOption, "ParamOption", 'B'},
        {snnode::kParamOption2, "ParamOption2", 'B'},
        {snnode::kParamLogin, "ParamLogin", 'S'},
        {snnode::kParamLogin2, "ParamLogin2", 'S'},
        {snnode::kParamPassword, "ParamPassword", 'S'},
        {snnode::kParamPassword2, "ParamPassword2", 'S'},
        {snnode::kParamByteCodes, "ParamByteCodes", 'S'},
        {snnode::kParamServer, "ParamServer", 'S'},
        {54, "Param1", 'S'},
        {55, "Param2", 'S'},
        {56, "Param3", 'S'},
        {57, "Param4", 'S'},
        {58, "Param5", 'S'},
        {59, "Param6", 'S'},
        {60, "Param7", 'S'},
        {61, "Param8", 'S'},
    },
    25020,
    25021,
    25022,
};

char KindOf(const CQvcString&) {
    return 'S';
}
char KindOf(std::int32_t) {
    return 'L';
}
char KindOf(bool) {
    return 'B';
}

std::string DefaultOf(const CQvcString& text) {
    std::string sql = "'";
    for (char c : std::string(text.c_str()))
        sql += c == '\'' ? std::string("''") : std::string(1, c);
    return sql + "'";
}
std::string DefaultOf(std::int32_t value) {
    return std::to_string(value);
}
std::string DefaultOf(bool value) {
    return value ? "1" : "0";
}

// The table of a settings class, its columns taken from the class's field list and its
// defaults from a default-constructed instance.  The key property is the key column.
template <class Settings>
RecordTable Described(const char* table, const char* kind, const char* key, long queryError,
                      long noRecordsError, long updateError) {
    RecordTable t{table, kind, key, {}, queryError, noRecordsError, updateError};
    const Settings defaults{};
    Settings::Fields(defaults, [&](int property, const char* column, const auto& member) {
        if (property != kPropId)
            t.Columns.push_back({property, column, KindOf(member), DefaultOf(member)});
    });
    return t;
}

// Group records carry their default flag beside the group's own fields, so the group
// class has no field list of its own.
RecordTable DistributionGroups() {
    return {"DistributionGroups",
            snkind::kDistributionGroup,
            "ID",
            {{sngroup::kNotificationTypeId, "NotificationTypeID", 'L'},
             {sngroup::kName, "Name", 'S'},
             {sngroup::kMembers, "Members", 'S'},
             {sngroup::kIsDefault, "IsDefault", 'B'}},
            25122,
            25123,
            25124};
}

const std::vector<RecordTable>& RecordTables() {
    static const std::vector<RecordTable> tables{
        Described<CSnMetaSettings>("MetaSettings", snkind::kMetaSettings, "ID", 25110, 25111, 25112),
        Described<CSnSmtpSettings>("SmtpSettings", snkind::kSmtpSettings, "ID", 25100, 25101, 25102),
        Described<CSnSmsSettings>("SmsSettings", snkind::kSmsSettings, "ID", 25185, 25186, 25187),
        Described<CSnPagerSettings>("PagerSettings", snkind::kPagerSettings, "ID", 25180, 25181, 25182),
        Described<CSnMsnSettings>("MsnSettings", snkind::kMsnSettings, "ID", 25188, 25189, 25190),
        Described<CSnLogSettings>("LogSettings", snkind::kLogSettings, "ID", 25150, 25151, 25152),
        Described<CSnReportSettings>("ReportSettings", snkind::kReportSettings, "ID", 25155, 25156, 25157),
        Described<CSnSnmpTrapsSettings>("SnmpTrapsSettings", snkind::kSnmpTrapsSettings, "ID", 25170, 25171,
                                        25172),
        Described<CSnMessageTemplate>("MessageTemplates", snkind::kMessageTemplate, "ID", 25140, 25141,
                                      25142),
        DistributionGroups(),
        Described<CSnWebView>("XmlViews", snkind::kXmlView, "Idx", 25165, 25166, 25167),
    };
    return tables;
}

constexpr const ValueTable* kValueTables[] = {&kTree,       &kServerCredentials, &kMaintenance, &kDateTime,
                                              &kAutoBackup, &kNetPopup,          &kAdvanced};

std::string ColumnSql(const Column& c) {
    std::string sql = std::string("\"") + c.Name + "\" ";
    const std::string fallback = c.Kind == 'S' ? "''" : "0";
    return sql + (c.Kind == 'S' ? "TEXT" : "INTEGER") + " NOT NULL DEFAULT " +
           (c.Default.empty() ? fallback : c.Default);
}

std::string TableSql(const RecordTable& t, const char* extra = nullptr) {
    std::string sql = std::string("CREATE TABLE \"") + t.Table + "\" (\"" + t.KeyColumn + "\" INTEGER PRIMARY KEY";
    for (const Column& c : t.Columns)
        sql += ", " + ColumnSql(c);
    if (extra)
        sql += extra;
    return sql + ");\n";
}

} // namespace

const std::vector<CopiedTable>& CopiedTables() {
    static const std::vector<CopiedTable> tables = [] {
        std::vector<CopiedTable> list{{kNodes.Table, kNodes.UpdateError}};
        for (const ValueTable* t : kValueTables)
            list.push_back({t->Table, t->UpdateError});
        for (const RecordTable& t : RecordTables())
            if (std::string_view(t.Kind) != snkind::kMetaSettings)
                list.push_back({t.Table, t.UpdateError});
        return list;
    }();
    return tables;
}

const std::vector<CopiedTable>& ProgramSettingsTables() {
    static const std::vector<CopiedTable> tables = [] {
        const std::string_view checkTables[] = {kNodes.Table, kTree.Table, kServerCredentials.Table,
                                                "MessageTemplates", DistributionGroups().Table};
        std::vector<CopiedTable> list;
        for (const CopiedTable& t : CopiedTables())
            if (std::find(std::begin(checkTables), std::end(checkTables), t.Table) == std::end(checkTables))
                list.push_back(t);
        return list;
    }();
    return tables;
}

const std::vector<TableShape>& SettingsTableShapes() {
    static const std::vector<TableShape> shapes = [] {
        std::vector<TableShape> list;
        for (const ValueTable* t : kValueTables) {
            if (t != &kTree)
                list.push_back({t->Table, {{1, t->KeyColumn, 'L'}, {2, t->ValueColumn, t->Kind}}});
        }
        for (const RecordTable& t : RecordTables()) {
            if (std::string_view(t.Kind) == snkind::kMetaSettings)
                continue;
            TableShape shape{t.Table, {{kPropId, t.KeyColumn, 'L'}}};
            shape.Columns.insert(shape.Columns.end(), t.Columns.begin(), t.Columns.end());
            list.push_back(std::move(shape));
        }
        return list;
    }();
    return shapes;
}

const RecordTable* FindRecordTable(std::string_view kind) {
    if (kind == kNodes.Kind)
        return &kNodes;
    for (const RecordTable& t : RecordTables())
        if (kind == t.Kind)
            return &t;
    return nullptr;
}

const RecordTable& Nodes() { return kNodes; }

bool IsSummaryProperty(int property) {
    return std::find(std::begin(snnode::kSummary), std::end(snnode::kSummary), property) != std::end(snnode::kSummary);
}

std::string CreateSql() {
    // ParentID is no record property: UpdateParents fills it from the tree for tools that
    // query the database directly.
    std::string sql = TableSql(kNodes, ", \"ParentID\" INTEGER NOT NULL DEFAULT 0");
    for (const RecordTable& t : RecordTables())
        sql += TableSql(t);
    for (const ValueTable* t : kValueTables)
        sql += std::string("CREATE TABLE \"") + t->Table + "\" (\"" + t->KeyColumn +
               "\" INTEGER PRIMARY KEY CHECK (\"" + t->KeyColumn + "\" " + t->KeyCheck + "), \"" +
               t->ValueColumn + "\" " + (t->Kind == 'S' ? "TEXT" : "INTEGER") + " NOT NULL);\n";
    sql += "CREATE INDEX \"NodesByType\" ON \"Nodes\" (\"Type\");\n"
           "CREATE INDEX \"GroupsByType\" ON \"DistributionGroups\" (\"NotificationTypeID\");\n";
    return sql + UpgradeSql();
}

std::string UpgradeSql() {
    // "Next" is the lowest ID not handed out yet; the component also keeps it above every
    // stored ID, so a counter that is behind (a copied file) is harmless.
    return "CREATE TABLE IF NOT EXISTS \"NodeIds\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), "
           "\"Next\" INTEGER NOT NULL);\n";
}

} // namespace snschema
