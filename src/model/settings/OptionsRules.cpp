#include "model/settings/OptionsRules.h"

#include "model/notify/SnLogSettings.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/settings/SnAutoBackupSettings.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/settings/SnStatsLimits.h"

#include <algorithm>
#include <cstring>
#include <cstdint>

namespace {

bool Blank(const CQvcString& text) {
    CQvcString trimmed = text;
    return trimmed.Trim().IsEmpty();
}

bool ValidPort(std::int32_t port) {
    return port >= 1 && port <= 65535;
}

// True when the pattern has one of `letters` outside quoted literal text.
bool HasField(const CQvcString& pattern, const char* letters) {
    bool quoted = false;
    for (char c : pattern.Str()) {
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && std::strchr(letters, c) != nullptr)
            return true;
    }
    return false;
}

} // namespace

CQvcString CheckAdvancedOptions(const CSnAdvancedSettings& s) {
    if (Blank(s.PowerShellCmd))
        return "Enter the command that runs PowerShell scripts.";
    if (!s.HttpLib.IsEmpty() && s.HttpLib.Find('\\') < 0)
        return "Enter the HTTP library with its full path (for example C:\\Lib\\http.dll), or leave it empty "
               "to use the system's own library.";
    return {};
}

CQvcString CheckTrapReceiverOptions(const CSnAdvSnmpTrapRcvSettings& s) {
    if (!ValidPort(s.Port))
        return "The trap receiver's port must be between 1 and 65535.";
    if (s.Protocol != 0 && s.Protocol != 1)
        return "The trap receiver's protocol must be UDP or TCP.";
    if (!s.AllCommunities && Blank(s.Community))
        return "Enter the community whose traps are accepted, or accept all communities.";
    if (s.EnableLogging && s.AdoLogging && Blank(s.AdoLogString))
        return "Enter the connection text of the database that logs the received traps.";
    if (s.EnableLogging && !s.AdoLogging && Blank(s.TextLog))
        return "Enter the text file that logs the received traps.";
    if (s.EnableLogging && !s.AdoLogging && s.TextSeparator.IsEmpty())
        return "Enter the separator of the received traps' text log.";
    return {};
}

CQvcString CheckLogOptions(const CSnLogSettings& s) {
    if (s.Enabled && !s.ToDatabase) {
        if (Blank(s.TextLogPath))
            return "Enter the location of the text log.";
        if (s.Separator.IsEmpty())
            return "Enter the separator of the text log.";
        if (s.MaxSizeKB < 64)
            return "The text log's maximum size must be at least 64 KB.";
    }
    if (!s.SyslogEnabled)
        return {};
    if (Blank(s.SyslogServer))
        return "Enter the syslog server.";
    if (!ValidPort(s.SyslogPort))
        return "The syslog port must be between 1 and 65535.";
    if (s.SyslogFacility < 0 || s.SyslogFacility > 23)
        return "The syslog facility must be between 0 and 23.";
    for (std::int32_t priority : {s.SyslogPriorityFailure, s.SyslogPriorityRecovery, s.SyslogPriorityInfo})
        if (priority < 0 || priority > 7)
            return "Each syslog priority must be between 0 (emergency) and 7 (debug).";
    if (Blank(s.SyslogMessage))
        return "Enter the syslog message.";
    return {};
}

CQvcString CheckAutoBackupOptions(const CSnAutoBackupSettings& s) {
    if (!s.Enabled)
        return {};
    auto any = [](const auto& flags) { return std::any_of(flags.begin(), flags.end(), [](bool b) { return b; }); };
    if (!any(s.Days))
        return "Choose at least one day for the automatic backup.";
    if (!any(s.WhatToSave))
        return "Choose at least one kind of file to back up.";
    if (Blank(s.Directory))
        return "Enter the directory that receives the backups.";
    return {};
}

CQvcString CheckDateTimeOptions(const CSnDateTimeSettings& s) {
    if (Blank(s.DateFormat))
        return "Enter a date format.";
    if (Blank(s.TimeFormat))
        return "Enter a time format.";
    if (s.DateFormat.Contains("||") || s.TimeFormat.Contains("||"))
        return "A date or time format cannot contain \"||\".";
    if (!HasField(s.DateFormat, "dDmMyY"))
        return "The date format must show the day (d), the month (m) or the year (y).";
    if (!HasField(s.TimeFormat, "hH"))
        return "The time format must show the hour (h or H).";
    return {};
}

CQvcString CheckStatsLimitsOptions(const CSnStatsLimits& l) {
    struct Pair {
        std::uint32_t warning, limit;
        const char* what;
    };
    const Pair pairs[] = {
        {l.DbMsaSizeMBWarning, l.DbMsaSizeMBLimit, "statistics database size"},
        {l.RpTblMsaRecordWarning, l.RpTblMsaRecordLimit, "report records (file database)"},
        {l.RpTblSqlRecordWarning, l.RpTblSqlRecordLimit, "report records (SQL server)"},
        {l.GrTblMsaRecordWarning, l.GrTblMsaRecordLimit, "graph records (file database)"},
        {l.GrTblSqlRecordWarning, l.GrTblSqlRecordLimit, "graph records (SQL server)"},
    };
    for (const Pair& p : pairs)
        if (p.warning > p.limit)
            return CQvcString().Format("The warning level of the %s cannot exceed its limit.", p.what);
    if (l.RpLogFrequencySecs < 10 || l.GrLogFrequencySecs < 10)
        return "Report and graph data are logged at most every 10 seconds.";
    if (l.HistoryWarningFactor < 1)
        return "The history warning factor must be at least 1.";
    if (l.DbCleanupIntervalHours < 24)
        return "The database clean-up interval must be at least 24 hours.";
    return {};
}

CQvcString CheckWebViewOptions(const CSnWebViewHeader& h) {
    if (h.FreqSeconds < 0 || (h.Enabled && h.FreqSeconds < 10))
        return "The web view's refresh period must be at least 10 seconds.";
    if (h.Enabled && Blank(h.Vdir))
        return "Enter the web server's virtual directory of the web view.";
    return {};
}
