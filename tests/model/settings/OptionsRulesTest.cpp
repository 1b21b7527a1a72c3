// The Options pages' checks on OK: one table per page, each row one change to valid values
// and the refusal it draws (empty: accepted).  Boundaries sit on both sides of each limit.
#include "model/notify/SnLogSettings.h"
#include "model/settings/OptionsRules.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/settings/SnAutoBackupSettings.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/settings/SnStatsLimits.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

template <class T> struct Row {
    std::function<void(T&)> change;
    std::string refusal;
};

// Runs every row on a copy of `valid` through `check`.
template <class T, class Check> void RunTable(const T& valid, Check check, const std::vector<Row<T>>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        T values = valid;
        rows[i].change(values);
        EXPECT_EQ(check(values).Str(), rows[i].refusal) << "row " << i;
    }
}

} // namespace

TEST(OptionsRulesTest, Advanced) {
    RunTable<CSnAdvancedSettings>(CSnAdvancedSettings{}, CheckAdvancedOptions, {
        {[](auto&) {}, ""},
        {[](auto& s) { s.HttpLib = "C:\\Lib\\http.dll"; }, ""},
        {[](auto& s) { s.PowerShellCmd = "  "; }, "Enter the command that runs PowerShell scripts."},
        {[](auto& s) { s.HttpLib = "http.dll"; },
         "Enter the HTTP library with its full path (for example C:\\Lib\\http.dll), or leave it empty to use "
         "the system's own library."},
    });
}

TEST(OptionsRulesTest, TrapReceiver) {
    RunTable<CSnAdvSnmpTrapRcvSettings>(CSnAdvSnmpTrapRcvSettings{}, CheckTrapReceiverOptions, {
        {[](auto& s) { s.Port = 65535; s.Protocol = 1; }, ""},
        {[](auto& s) { s.Port = 0; }, "The trap receiver's port must be between 1 and 65535."},
        {[](auto& s) { s.Protocol = 2; }, "The trap receiver's protocol must be UDP or TCP."},
        {[](auto& s) { s.AllCommunities = false; s.Community = " "; },
         "Enter the community whose traps are accepted, or accept all communities."},
        {[](auto& s) { s.AdoLogString = ""; }, ""}, // not logging
        {[](auto& s) { s.EnableLogging = true; s.AdoLogString = ""; },
         "Enter the connection text of the database that logs the received traps."},
        {[](auto& s) { s.EnableLogging = true; s.AdoLogging = false; s.TextLog = ""; },
         "Enter the text file that logs the received traps."},
        {[](auto& s) { s.EnableLogging = true; s.AdoLogging = false; s.TextSeparator = ""; },
         "Enter the separator of the received traps' text log."},
    });
}

TEST(OptionsRulesTest, Log) {
    CSnLogSettings syslog;
    syslog.SyslogEnabled = true;
    syslog.SyslogServer = "127.0.0.1";
    RunTable<CSnLogSettings>(syslog, CheckLogOptions, {
        {[](auto& s) { s.MaxSizeKB = 64; s.SyslogPort = 65535; s.SyslogFacility = 23; }, ""},
        {[](auto& s) { s.TextLogPath = " "; }, "Enter the location of the text log."},
        {[](auto& s) { s.Separator = ""; }, "Enter the separator of the text log."},
        {[](auto& s) { s.MaxSizeKB = 63; }, "The text log's maximum size must be at least 64 KB."},
        {[](auto& s) { s.MaxSizeKB = 0; s.ToDatabase = true; }, ""},
        {[](auto& s) { s.SyslogServer = ""; }, "Enter the syslog server."},
        {[](auto& s) { s.SyslogServer = ""; s.SyslogEnabled = false; }, ""},
        {[](auto& s) { s.SyslogPort = 0; }, "The syslog port must be between 1 and 65535."},
        {[](auto& s) { s.SyslogFacility = 24; }, "The syslog facility must be between 0 and 23."},
        {[](auto& s) { s.SyslogPriorityRecovery = 8; },
         "Each syslog priority must be between 0 (emergency) and 7 (debug)."},
        {[](auto& s) { s.SyslogMessage = ""; }, "Enter the syslog message."},
    });
}

TEST(OptionsRulesTest, AutoBackup) {
    CSnAutoBackupSettings on;
    on.Enabled = true;
    RunTable<CSnAutoBackupSettings>(on, CheckAutoBackupOptions, {
        {[](auto&) {}, ""},
        {[](auto& s) { s.Days = {}; }, "Choose at least one day for the automatic backup."},
        {[](auto& s) { s.Days = {}; s.Days[CSnAutoBackupSettings::kSunday] = true; }, ""},
        {[](auto& s) { s.WhatToSave = {}; }, "Choose at least one kind of file to back up."},
        {[](auto& s) { s.Directory = ""; }, "Enter the directory that receives the backups."},
    });
}

TEST(OptionsRulesTest, DateTime) {
    RunTable<CSnDateTimeSettings>(CSnDateTimeSettings{}, CheckDateTimeOptions, {
        {[](auto& s) { s.DateFormat = "yyyy"; s.TimeFormat = "H"; }, ""},
        {[](auto& s) { s.DateFormat = " "; }, "Enter a date format."},
        {[](auto& s) { s.TimeFormat = ""; }, "Enter a time format."},
        {[](auto& s) { s.DateFormat = "dd||mm"; }, "A date or time format cannot contain \"||\"."},
        {[](auto& s) { s.DateFormat = "'day' -"; },
         "The date format must show the day (d), the month (m) or the year (y)."},
        {[](auto& s) { s.TimeFormat = "mm:ss 'h'"; }, "The time format must show the hour (h or H)."},
    });
}

TEST(OptionsRulesTest, StatsLimits) {
    RunTable<CSnStatsLimits>(CSnStatsLimits{}, CheckStatsLimitsOptions, {
        {[](auto& s) { s.DbMsaSizeMBWarning = s.DbMsaSizeMBLimit; s.RpLogFrequencySecs = 10; }, ""},
        {[](auto& s) { s.DbMsaSizeMBWarning = s.DbMsaSizeMBLimit + 1; },
         "The warning level of the statistics database size cannot exceed its limit."},
        {[](auto& s) { s.GrTblSqlRecordLimit = s.GrTblSqlRecordWarning - 1; },
         "The warning level of the graph records (SQL server) cannot exceed its limit."},
        {[](auto& s) { s.GrLogFrequencySecs = 9; }, "Report and graph data are logged at most every 10 seconds."},
        {[](auto& s) { s.HistoryWarningFactor = 0; }, "The history warning factor must be at least 1."},
        {[](auto& s) { s.DbCleanupIntervalHours = 23; }, "The database clean-up interval must be at least 24 hours."},
    });
}

TEST(OptionsRulesTest, WebView) {
    RunTable<CSnWebViewHeader>(CSnWebViewHeader{}, CheckWebViewOptions, {
        {[](auto& s) { s.Enabled = true; s.FreqSeconds = 10; s.Vdir = "sentrelle"; }, ""},
        {[](auto& s) { s.FreqSeconds = -1; }, "The web view's refresh period must be at least 10 seconds."},
        {[](auto& s) { s.Enabled = true; s.FreqSeconds = 9; s.Vdir = "sentrelle"; },
         "The web view's refresh period must be at least 10 seconds."},
        {[](auto& s) { s.Enabled = true; s.FreqSeconds = 60; }, "Enter the web server's virtual directory of the web view."},
    });
}
