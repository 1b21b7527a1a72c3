#include "model/history/HistoryStore.h"

#include "model/tree/NodeStatus.h"

#include <algorithm>
#include <ctime>

namespace {

bool IsDown(std::int32_t status) {
    return status == kStatusError || status == kStatusFailure || status == kStatusErrorByDependee ||
           status == kStatusFailureByDependee;
}

// On hold, in maintenance or not yet known: the time counts neither as up nor as down.
bool IsMonitored(std::int32_t status) {
    return status != kStatusNone && status != kStatusOnHold && status != kStatusMaintenance;
}

// Local midnight of the day `shift` days after the day of `time` (mktime normalises the
// day and finds the offset in force that day, so days of 23 or 25 hours come out right).
std::int64_t LocalDayStart(std::int64_t time, int shift, bool weekStart, bool monthStart) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    if (weekStart)
        local.tm_mday -= (local.tm_wday + 6) % 7; // back to Monday
    if (monthStart)
        local.tm_mday = 1;
    local.tm_mday += shift;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

std::int64_t NextMonth(std::int64_t monthStart) {
    const std::time_t t = static_cast<std::time_t>(monthStart);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_mon += 1;
    local.tm_mday = 1;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

} // namespace

CAvailability ComputeAvailability(std::int32_t initial, const std::vector<CHistoryEntry>& changes, std::int64_t from,
                                  std::int64_t to) {
    CAvailability a;
    a.From = from;
    a.To = to;
    std::int32_t status = initial;
    std::int64_t since = from;
    // The open outage's start, and whether it began inside the period.
    std::int64_t outageStart = IsDown(initial) ? from : -1;
    bool outageInPeriod = false;
    std::int64_t recoveredSecs = 0;
    std::int32_t recovered = 0;
    const auto advance = [&](std::int64_t until) {
        if (until <= since)
            return;
        if (IsMonitored(status))
            a.MonitoredSecs += until - since;
        if (IsDown(status))
            a.DowntimeSecs += until - since;
        since = until;
    };
    for (const CHistoryEntry& e : changes) {
        if (e.Time >= to)
            break;
        if (e.Time < from) {
            status = e.Status;
            outageStart = IsDown(status) ? from : -1;
            continue;
        }
        advance(e.Time);
        if (!IsDown(status) && IsDown(e.Status)) {
            outageStart = e.Time;
            outageInPeriod = true;
            ++a.Outages;
        } else if (IsDown(status) && !IsDown(e.Status)) {
            a.LongestOutageSecs = std::max(a.LongestOutageSecs, e.Time - outageStart);
            if (outageInPeriod) {
                recoveredSecs += e.Time - outageStart;
                ++recovered;
            }
            outageStart = -1;
            outageInPeriod = false;
        }
        status = e.Status;
    }
    advance(to);
    if (outageStart >= 0)
        a.LongestOutageSecs = std::max(a.LongestOutageSecs, to - outageStart);
    a.MttrSecs = recovered > 0 ? recoveredSecs / recovered : 0;
    if (a.MonitoredSecs > 0)
        a.UptimePercent = 100.0 * static_cast<double>(a.MonitoredSecs - a.DowntimeSecs) /
                          static_cast<double>(a.MonitoredSecs);
    return a;
}

std::vector<std::pair<std::int64_t, std::int64_t>> CalendarPeriods(std::int64_t from, std::int64_t to,
                                                                   AvailabilityBucket bucket) {
    std::vector<std::pair<std::int64_t, std::int64_t>> periods;
    if (from >= to)
        return periods;
    std::int64_t start = LocalDayStart(from, 0, bucket == AvailabilityBucket::Week, bucket == AvailabilityBucket::Month);
    while (start < to) {
        const std::int64_t end = bucket == AvailabilityBucket::Month  ? NextMonth(start)
                                 : bucket == AvailabilityBucket::Week ? LocalDayStart(start, 7, false, false)
                                                                      : LocalDayStart(start, 1, false, false);
        periods.emplace_back(std::max(start, from), std::min(end, to));
        start = end;
    }
    return periods;
}
