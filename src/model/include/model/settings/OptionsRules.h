#pragma once
// The checks that the Options sheet runs on OK, one per page.  Each returns the text of
// the first refusal, empty when the page's values are accepted.  The texts name the field
// and the allowed values, so that the message alone tells the user what to change.
#include "library/QvcString.h"

class CSnAdvancedSettings;
class CSnAdvSnmpTrapRcvSettings;
class CSnAutoBackupSettings;
class CSnDateTimeSettings;
class CSnLogSettings;
class CSnStatsLimits;
class CSnWebViewHeader;

// The PowerShell command is required; an HTTP library is empty (the system's own) or a
// full path with a backslash, as a bare name would be read back as empty.
CQvcString CheckAdvancedOptions(const CSnAdvancedSettings& settings);
// Port 1..65535; protocol 0 (UDP) or 1 (TCP); a community unless all are accepted; when
// logging, the database connection text or the text log with its separator.
CQvcString CheckTrapReceiverOptions(const CSnAdvSnmpTrapRcvSettings& settings);
// The text log (when logging to text files): path, separator, at least 64 KB; syslog
// (when on): server, port 1..65535, facility 0..23, priorities 0..7, a message.
CQvcString CheckLogOptions(const CSnLogSettings& settings);
// When on: at least one day, at least one kind of file, a directory.
CQvcString CheckAutoBackupOptions(const CSnAutoBackupSettings& settings);
// Both formats non-empty, without "||" (the stored separator), the date format with a
// day, month or year field and the time format with an hour field.
CQvcString CheckDateTimeOptions(const CSnDateTimeSettings& settings);
// Every warning at most its limit; the logging frequencies at least 10 s, the history
// warning factor at least 1, the clean-up interval at least 24 hours.
CQvcString CheckStatsLimitsOptions(const CSnStatsLimits& limits);
// When the web view is on: a refresh period of at least 10 s and a virtual directory;
// never a negative period.
CQvcString CheckWebViewOptions(const CSnWebViewHeader& header);
