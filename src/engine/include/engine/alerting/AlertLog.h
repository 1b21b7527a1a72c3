#pragma once
// The text log of alerts: one line per delivery, its fields joined by the log settings'
// separator: local time, check ID, check name, status, action name, recipient, "sent" or
// "failed", and the outcome's words.
#include "engine/alerting/AlertQueue.h"
#include "model/notify/SnLogSettings.h"

#include <cstdint>
#include <string>

// The line of a report (without its line end).
std::string AlertLogLine(const CSnLogSettings& settings, const AlertReport& report, std::int64_t when);

// Appends the report's line to the text log (TextLogPath, "<SNROOT>" allowed) when logging
// is on, to text, and not limited to system messages.  The file must lie inside the Engine
// root and is never written through a link.  When the line would take it past MaxSizeKB,
// a log that backs up when full is renamed to "<name>.bak" (replacing an older backup)
// and starts again; one that does not takes no more lines.  0, or the errno of a failure.
int AppendAlertLog(const CSnLogSettings& settings, const CQvcString& engineRoot, const AlertReport& report,
                   std::int64_t when);
