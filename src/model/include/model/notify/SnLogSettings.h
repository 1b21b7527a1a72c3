#pragma once
// Log settings (table LogSettings): the text log or the log database, and syslog.  The
// text log path keeps the "<SNROOT>" placeholder; the database password is held scrambled.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/settings/SnRecordSettings.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

class CSnLogSettings : public CSnRowSettings<CSnLogSettings, &snkind::kLogSettings, &ISnCfg::GetLogSettings,
                                             &ISnCfg::PutLogSettings> {
public:
    bool Enabled = true;
    bool ToDatabase = false;
    bool SystemMessagesOnly = false;
    CQvcString TextLogPath = "<SNROOT>Logs\\Log.txt";
    CQvcString Separator = ",";
    std::int32_t MaxSizeKB = 1024;
    bool BackupWhenFull = true;
    CQvcString DbConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\Log.mdb";
    CQvcString DbPassword;
    bool SyslogEnabled = false;
    CQvcString SyslogServer;
    std::int32_t SyslogPort = 514;
    bool SyslogTcp = false;
    CQvcString SyslogMessage = "<% Name %>: <% Status %> - <% Response %>";
    std::int32_t SyslogFacility = 16;
    std::int32_t SyslogPriorityFailure = 3;
    std::int32_t SyslogPriorityRecovery = 5;
    std::int32_t SyslogPriorityInfo = 6;

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snlog;
        fn(snprop::kEnabled, "Enabled", s.Enabled);
        fn(snprop::kToDatabase, "ToDatabase", s.ToDatabase);
        fn(snprop::kSystemMessagesOnly, "SystemMessagesOnly", s.SystemMessagesOnly);
        fn(snprop::kTextLogPath, "TextLogPath", s.TextLogPath);
        fn(snprop::kSeparator, "Separator", s.Separator);
        fn(snprop::kMaxSizeKB, "MaxSizeKB", s.MaxSizeKB);
        fn(snprop::kBackupWhenFull, "BackupWhenFull", s.BackupWhenFull);
        fn(snprop::kDbConnection, "DbConnection", s.DbConnection);
        fn(snprop::kDbPassword, "DbPassword", s.DbPassword);
        fn(snprop::kSyslogEnabled, "SyslogEnabled", s.SyslogEnabled);
        fn(snprop::kSyslogServer, "SyslogServer", s.SyslogServer);
        fn(snprop::kSyslogPort, "SyslogPort", s.SyslogPort);
        fn(snprop::kSyslogTcp, "SyslogTcp", s.SyslogTcp);
        fn(snprop::kSyslogMessage, "SyslogMessage", s.SyslogMessage);
        fn(snprop::kSyslogFacility, "SyslogFacility", s.SyslogFacility);
        fn(snprop::kSyslogPriorityFailure, "SyslogPriorityFailure", s.SyslogPriorityFailure);
        fn(snprop::kSyslogPriorityRecovery, "SyslogPriorityRecovery", s.SyslogPriorityRecovery);
        fn(snprop::kSyslogPriorityInfo, "SyslogPriorityInfo", s.SyslogPriorityInfo);
    }
    bool operator==(const CSnLogSettings&) const = default;
};
