#include "SnCfgSchema.h"

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

const std::vector<RecordTable> kRecordTables{
    {"MetaSettings",
     snkind::kMetaSettings,
     "ID",
     {{snmeta::kVersion, "Version", 'S'},
      {snmeta::kCreator, "Creator", 'S'},
      {snmeta::kTimeStamp, "TimeStamp", 'L'},
      {snmeta::kDescription, "Description", 'S'}},
     25110,
     25111,
     25112},
    {"SmtpSettings",
     snkind::kSmtpSettings,
     "ID",
     {{snsmtp::kServer1, "Server1", 'S'},
      {snsmtp::kPort1, "Port1", 'L'},
      {snsmtp::kSecure1, "Secure1", 'B'},
      {snsmtp::kAuthRequired1, "AuthRequired1", 'B'},
      {snsmtp::kLogin1, "Login1", 'S'},
      {snsmtp::kPassword1, "Password1", 'S'},
      {snsmtp::kSenderName1, "SenderName1", 'S'},
      {snsmtp::kSenderAddress1, "SenderAddress1", 'S'},
      {snsmtp::kServer2, "Server2", 'S'},
      {snsmtp::kPort2, "Port2", 'L'},
      {snsmtp::kSecure2, "Secure2", 'B'},
      {snsmtp::kAuthRequired2, "AuthRequired2", 'B'},
      {snsmtp::kLogin2, "Login2", 'S'},
      {snsmtp::kPassword2, "Password2", 'S'},
      {snsmtp::kSenderName2, "SenderName2", 'S'},
      {snsmtp::kSenderAddress2, "SenderAddress2", 'S'},
      {snsmtp::kCharSet, "CharSet", 'L'},
      {snsmtp::kRtf, "Rtf", 'B'},
      {snsmtp::kLogFile, "LogFile", 'S'}},
     25100,
     25101,
     25102},
    {"SmsSettings",
     snkind::kSmsSettings,
     "ID",
     {{snsms::kProtocol, "Protocol", 'L'},
      {snsms::kGsmHasPinCode, "GsmHasPinCode", 'B'},
      {snsms::kGsmPinCode, "GsmPinCode", 'S'},
      {snsms::kGsmDevice, "GsmDevice", 'S'},
      {snsms::kGsmDeviceSpeed, "GsmDeviceSpeed", 'L'},
      {snsms::kGsmDeviceFlowControl, "GsmDeviceFlowControl", 'L'},
      {snsms::kGsmInitString, "GsmInitString", 'S'},
      {snsms::kHttpProviderUrl, "HttpProviderUrl", 'S'},
      {snsms::kHttpSuccessResponse, "HttpSuccessResponse", 'S'},
      {snsms::kHttpSender, "HttpSender", 'S'},
      {snsms::kHttpWebAccount, "HttpWebAccount", 'S'},
      {snsms::kHttpWebPassword, "HttpWebPassword", 'S'},
      {snsms::kHttpProxyServer, "HttpProxyServer", 'S'},
      {snsms::kHttpProxyAccount, "HttpProxyAccount", 'S'},
      {snsms::kHttpProxyPassword, "HttpProxyPassword", 'S'},
      {snsms::kServerChannel, "ServerChannel", 'L'},
      {snsms::kLogFile, "LogFile", 'S'}},
     25185,
     25186,
     25187},
    {"PagerSettings",
     snkind::kPagerSettings,
     "ID",
     {{snpager::kProtocol, "Protocol", 'L'},
      {snpager::kSnppServer, "SnppServer", 'S'},
      {snpager::kSnppPort, "SnppPort", 'L'},
      {snpager::kSnppPassword, "SnppPassword", 'S'},
      {snpager::kSnppTimeOut, "SnppTimeOut", 'L'},
      {snpager::kDtmfDevice, "DtmfDevice", 'S'},
      {snpager::kDtmfDeviceSpeed, "DtmfDeviceSpeed", 'L'},
      {snpager::kDtmfDeviceFlowControl, "DtmfDeviceFlowControl", 'L'},
      {snpager::kDtmfDeviceInitString, "DtmfDeviceInitString", 'S'},
      {snpager::kDtmfDialPulse, "DtmfDialPulse", 'B'},
      {snpager::kDtmfRedials, "DtmfRedials", 'L'},
      {snpager::kLogFile, "LogFile", 'S'}},
     25180,
     25181,
     25182},
    {"MsnSettings",
     snkind::kMsnSettings,
     "ID",
     {{snmsn::kServer, "Server", 'S'},
      {snmsn::kPort, "Port", 'L'},
      {snmsn::kAccount, "Account", 'S'},
      {snmsn::kPassword, "Password", 'S'},
      {snmsn::kDisplayName, "DisplayName", 'S'},
      {snmsn::kLogFile, "LogFile", 'S'}},
     25188,
     25189,
     25190},
    {"LogSettings",
     snkind::kLogSettings,
     "ID",
     {{snlog::kEnabled, "Enabled", 'B'},
      {snlog::kToDatabase, "ToDatabase", 'B'},
      {snlog::kSystemMessagesOnly, "SystemMessagesOnly", 'B'},
      {snlog::kTextLogPath, "TextLogPath", 'S'},
      {snlog::kSeparator, "Separator", 'S'},
      {snlog::kMaxSizeKB, "MaxSizeKB", 'L'},
      {snlog::kBackupWhenFull, "BackupWhenFull", 'B'},
      {snlog::kDbConnection, "DbConnection", 'S'},
      {snlog::kDbPassword, "DbPassword", 'S'},
      {snlog::kSyslogEnabled, "SyslogEnabled", 'B'},
      {snlog::kSyslogServer, "SyslogServer", 'S'},
      {snlog::kSyslogPort, "SyslogPort", 'L'},
      {snlog::kSyslogTcp, "SyslogTcp", 'B'},
      {snlog::kSyslogMessage, "SyslogMessage", 'S'},
      {snlog::kSyslogFacility, "SyslogFacility", 'L'},
      {snlog::kSyslogPriorityFailure, "SyslogPriorityFailure", 'L'},
      {snlog::kSyslogPriorityRecovery, "SyslogPriorityRecovery", 'L'},
      {snlog::kSyslogPriorityInfo, "SyslogPriorityInfo", 'L'}},
     25150,
     25151,
     25152},
    {"ReportSettings",
     snkind::kReportSettings,
     "ID",
     {{snreport::kEnabled, "Enabled", 'B'},
      {snreport::kDbConnection, "DbConnection", 'S'},
      {snreport::kDbPassword, "DbPassword", 'S'},
      {snreport::kGraphsEnabled, "GraphsEnabled", 'B'},
      {snreport::kOutputDirectory, "OutputDirectory", 'S'},
      {snreport::kStyleSheet, "StyleSheet", 'S'},
      {snreport::kRetentionDays, "RetentionDays", 'L'}},
     25155,
     25156,
     25157},
    {"SnmpTrapsSettings",
     snkind::kSnmpTrapsSettings,
     "ID",
     {{snsnmptrap::kAgent, "Agent", 'S'},
      {snsnmptrap::kPort, "Port", 'L'},
      {snsnmptrap::kCommunity, "Community", 'S'},
      {snsnmptrap::kOid, "Oid", 'S'},
      {snsnmptrap::kOidType, "OidType", 'L'},
      {snsnmptrap::kProtocolVersion, "ProtocolVersion", 'L'},
      {snsnmptrap::kGenericTrap, "GenericTrap", 'L'},
      {snsnmptrap::kLogFile, "LogFile", 'S'}},
     25170,
     25171,
     25172},
    {"MessageTemplates",
     snkind::kMessageTemplate,
     "ID",
     {{sntemplate::kName, "Name", 'S'},
      {sntemplate::kNotificationTypeId, "NotificationTypeID", 'L'},
      {sntemplate::kSubject, "Subject", 'S'},
      {sntemplate::kBody, "Body", 'S'}},
     25140,
     25141,
     25142},
    {"DistributionGroups",
     snkind::kDistributionGroup,
     "ID",
     {{sngroup::kNotificationTypeId, "NotificationTypeID", 'L'},
      {sngroup::kName, "Name", 'S'},
      {sngroup::kMembers, "Members", 'S'},
      {sngroup::kIsDefault, "IsDefault", 'B'}},
     25122,
     25123,
     25124},
    {"XmlViews",
     snkind::kXmlView,
     "Idx",
     {{snxmlview::kEnabled, "Enabled", 'L'},
      {snxmlview::kName, "Name", 'S'},
      {snxmlview::kTemplate, "Template", 'S'},
      {snxmlview::kDescription, "Description", 'S'},
      {snxmlview::kOutput, "Output", 'S'}},
     25165,
     25166,
     25167},
};

std::string ColumnSql(const Column& c) {
    std::string sql = std::string("\"") + c.Name + "\" ";
    return sql + (c.Kind == 'S' ? "TEXT NOT NULL DEFAULT ''" : "INTEGER NOT NULL DEFAULT 0");
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

const RecordTable* FindRecordTable(std::string_view kind) {
    if (kind == kNodes.Kind)
        return &kNodes;
    for (const RecordTable& t : kRecordTables)
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
    for (const RecordTable& t : kRecordTables)
        sql += TableSql(t);
    sql += "CREATE TABLE \"Tree\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), \"Tree\" TEXT NOT NULL);\n"
           "CREATE TABLE \"ServerCredentials\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), "
           "\"Value\" TEXT NOT NULL);\n"
           "CREATE TABLE \"MaintenanceSettings\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), "
           "\"Value\" TEXT NOT NULL);\n"
           "CREATE TABLE \"DateTimeSettings\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), "
           "\"Value\" TEXT NOT NULL);\n"
           "CREATE TABLE \"AutoBackupSettings\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), "
           "\"Value\" TEXT NOT NULL);\n"
           "CREATE TABLE \"NetPopupSettings\" (\"ID\" INTEGER PRIMARY KEY CHECK (\"ID\" = 1), "
           "\"Enabled\" INTEGER NOT NULL);\n"
           "CREATE TABLE \"AdvancedSettings\" (\"Row\" INTEGER PRIMARY KEY CHECK (\"Row\" BETWEEN 1 AND 7), "
           "\"Value\" TEXT NOT NULL);\n"
           "CREATE INDEX \"NodesByType\" ON \"Nodes\" (\"Type\");\n"
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
