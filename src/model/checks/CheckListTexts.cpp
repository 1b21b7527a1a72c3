#include "model/checks/CheckListTexts.h"

#include "model/settings/DateTimeFormat.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"

namespace {

constexpr std::int32_t kModeScheduled = 1;
constexpr std::int32_t kModeEventDriven = 2;

CQvcString Every(std::int32_t count, const char* unit) {
    CQvcString text;
    text.Format("Every %d %s%s", static_cast<int>(count), unit, count >= 2 ? "s" : "");
    return text;
}

} // namespace

CQvcString IntervalText(std::int32_t seconds) {
    if (seconds == 0)
        return CQvcString();
    if (seconds % 86400 == 0)
        return Every(seconds / 86400, "day");
    if (seconds % 3600 == 0)
        return Every(seconds / 3600, "hour");
    if (seconds % 60 == 0)
        return Every(seconds / 60, "minute");
    return Every(seconds, "second");
}

CQvcString FrequencyText(const CSnNode& node, const CSnDateTimeSettings& formats) {
    const CSnNodeCfgScanFrequency& frequency = node.Cfg.ScanFrequency;
    if (frequency.Mode == kModeEventDriven)
        return CQvcString("Event-driven");
    if (frequency.Mode != kModeScheduled)
        return IntervalText(frequency.Interval);
    CQvcString text("Scheduled (");
    text += frequency.Schedule.Entry(0).Describe(formats.DateFormat, formats.TimeFormat, false);
    if (frequency.Schedule.Entries().size() > 1)
        text += ", ...";
    text += ")";
    return text;
}

CQvcString StatusText(const CSnNode& node, std::int64_t now) {
    const CSnNodeResult& result = node.Result;
    if (now != 0 && now == result.LastUpdate && result.Status != kStatusNone && result.Status != kStatusOnHold)
        return CQvcString("Processing");
    return CQvcString(StatusName(result.Status, result.Processing));
}

CQvcString DurationText(std::int32_t seconds) {
    CQvcString text;
    if (seconds == 0)
        text = "< 1 sec";
    else if (seconds < 60)
        text.Format("%d sec", static_cast<int>(seconds));
    else
        text.Format("%02dm:%02ds", static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
    return text;
}

CQvcString LastUpdateText(const CSnNode& node, const CSnDateTimeSettings& formats) {
    const std::int32_t value = node.Result.LastUpdate;
    if (value == 0)
        return CQvcString();
    const platform::LocalTime local = platform::ToLocalTime(value);
    return FormatDateTimePattern(local, formats.DateFormat.Str()) + " " +
           FormatDateTimePattern(local, formats.TimeFormat.Str());
}
