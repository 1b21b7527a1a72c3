#pragma once
// The texts of a check's row in the check list, shared by the Manager's list view and by
// `sentrelle list`, so that both show a check the same way.  Type and host come from the
// catalogue (CheckTypeText) and the node (Function.ParamServer); data, response and
// comment are the result's own texts.
#include "library/QvcString.h"
#include "model/settings/SnDateTimeSettings.h"

#include <cstdint>

class CSnNode;

// How often the check runs, by its scan mode:
//   1 (scheduled)  "Scheduled (" + the first schedule entry's display text + ", ..." when a
//                  second entry exists + ")", in the given date and time formats;
//   2              "Event-driven";
//   otherwise      the interval: "" for 0, "Every %d day(s)" for whole days, else "Every
//                  %d hour(s)", "Every %d minute(s)", "Every %d second(s)"; the plural
//                  "s" from 2 on.
// Callers load the formats from the store once (CSnDateTimeSettings::Read).
CQvcString FrequencyText(const CSnNode& node, const CSnDateTimeSettings& formats);
// The interval part of FrequencyText alone.
CQvcString IntervalText(std::int32_t seconds);

// The result column: "Processing" when `now` (seconds since 1970; 0 = no current time)
// equals the last update and the status is neither 0 nor 5 (On Hold); otherwise the
// status name ("Processing" while the engine runs the check, "Success" ... "n/a").
CQvcString StatusText(const CSnNode& node, std::int64_t now = 0);

// A run's duration in whole seconds: "< 1 sec" for 0, "%d sec" below 60, else
// "%02dm:%02ds" with whole minutes (3725 gives "62m:05s").
CQvcString DurationText(std::int32_t seconds);

// The last update as date and time in the given formats; "" when there is none.
CQvcString LastUpdateText(const CSnNode& node, const CSnDateTimeSettings& formats);
