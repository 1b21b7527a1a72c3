#include "model/schedule/SnCfgSchedule.h"

#include "model/settings/DateTimeFormat.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

std::tm LocalTm(std::int64_t value) {
    const std::time_t t = static_cast<std::time_t>(value);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return tm;
}

TimeOfDay LocalTimeOfDay(std::int64_t value) {
    const std::tm tm = LocalTm(value);
    return {tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The moment of the local calendar day `dayOffset` days after the date in `date`, at the
// time of day `tod`; `weekday` receives the weekday of that day (0 Sunday).  The
// calendar normalises the day offset, and tm_isdst -1 lets it pick the offset in force.
std::int64_t LocalMoment(const std::tm& date, int dayOffset, const TimeOfDay& tod, int& weekday) {
    std::tm tm{};
    tm.tm_year = date.tm_year;
    tm.tm_mon = date.tm_mon;
    tm.tm_mday = date.tm_mday + dayOffset;
    tm.tm_hour = tod.hour;
    tm.tm_min = tod.minute;
    tm.tm_sec = tod.second;
    tm.tm_isdst = -1;
    const std::time_t moment = std::mktime(&tm);
    weekday = tm.tm_wday;
    return static_cast<std::int64_t>(moment);
}

} // namespace

void CSnCfgSchedule::Parse(const CQvcString& listText, int index) {
    Reset();
    // Entries are separated by single bars; a missing entry reads as empty.
    CQvcString piece = listText.Token("|", index);
    piece.Trim();
    if (piece.IsEmpty())
        return;

    const CQvcString when = piece.Token(";", 0);
    const CQvcString time = piece.Token(";", 1);
    const CQvcString hours = piece.Token(";", 2);

    // The kind and its days or date count only when all three parts are present; a
    // weekday part must be exactly "e" and seven digits, otherwise no day is set.
    if (!when.IsEmpty() && !time.IsEmpty() && !hours.IsEmpty()) {
        if (when[0] == 'e') {
            Kind = kKindWeekdays;
            if (when.Length() == 8) {
                for (std::size_t d = 0; d < Days.size(); ++d)
                    Days[d] = when[d + 1] == '1' ? 1 : 0;
            }
        } else if (when[0] == 'd') {
            Kind = kKindDate;
            Date = static_cast<std::int32_t>(std::atol(when.c_str() + 1));
        }
    }
    // Time and hours are read from every non-empty entry, even one without a first part;
    // a time of 0 is what ends a list when it is loaded.
    Time = static_cast<std::int32_t>(std::atol(time.c_str()));
    Hours = static_cast<std::int32_t>(std::atol(hours.c_str()));
}

CQvcString CSnCfgSchedule::ToText() const {
    CQvcString text;
    if (Kind == kKindDate) {
        text.Format("d%ld;%ld;%d", static_cast<long>(Date), static_cast<long>(Time), static_cast<int>(Hours));
    } else {
        text.Format("e%d%d%d%d%d%d%d;%ld;%d", Days[kSunday], Days[kMonday], Days[kTuesday], Days[kWednesday],
                    Days[kThursday], Days[kFriday], Days[kSaturday], static_cast<long>(Time),
                    static_cast<int>(Hours));
    }
    return text;
}

bool CSnCfgSchedule::IsEqual(const CSnCfgSchedule& other) const {
    if (Kind != other.Kind || Time != other.Time || Hours != other.Hours)
        return false;
    if (Kind == kKindDate)
        return Date == other.Date;
    return Days == other.Days;
}

bool CSnCfgSchedule::AnyDaySet() const {
    for (std::int32_t d : Days) {
        if (d != 0)
            return true;
    }
    return false;
}

CQvcString CSnCfgSchedule::Describe(const CQvcString& dateFormat, const CQvcString& timeFormat,
                                    bool withHours) const {
    CQvcString text;
    if (Kind == kKindDate) {
        text = "On ";
        text += FormatLocalDateTime(static_cast<std::time_t>(Date), dateFormat);
    } else {
        // Monday first, Sunday last.
        static constexpr struct {
            int day;
            const char* label;
        } kOrder[] = {{kMonday, "Mo,"},   {kTuesday, "Tu,"}, {kWednesday, "We,"}, {kThursday, "Th,"},
                      {kFriday, "Fr,"},   {kSaturday, "Sa,"}, {kSunday, "Su,"}};
        CQvcString days;
        for (const auto& entry : kOrder) {
            if (Days[entry.day] != 0)
                days += entry.label;
        }
        if (!days.IsEmpty())
            days = days.Left(days.Length() - 1);
        text = "Every ";
        text += days;
    }
    text += " at ";
    text += FormatLocalDateTime(static_cast<std::time_t>(Time), timeFormat);
    if (withHours) {
        CQvcString hours;
        hours.Format(" for %d hours", static_cast<int>(Hours));
        text += hours;
    }
    return text;
}

std::int64_t CSnCfgSchedule::NextStart(std::int64_t after) const {
    const TimeOfDay tod = LocalTimeOfDay(Time);
    int weekday = 0;
    if (Kind == kKindDate) {
        const std::int64_t start = LocalMoment(LocalTm(Date), 0, tod, weekday);
        return start > after ? start : -1;
    }
    if (!AnyDaySet())
        return -1;
    // Today's start may still be ahead; a week and a day later the same weekday has come
    // round again for sure.
    const std::tm today = LocalTm(after);
    for (int k = 0; k <= 7; ++k) {
        const std::int64_t start = LocalMoment(today, k, tod, weekday);
        if (start > after && Days[static_cast<std::size_t>(weekday)] != 0)
            return start;
    }
    return -1;
}

bool CSnCfgSchedule::Covers(std::int64_t when, std::int64_t* windowEnd) const {
    if (Hours <= 0)
        return false;
    const std::int64_t length = static_cast<std::int64_t>(Hours) * 3600;
    const TimeOfDay tod = LocalTimeOfDay(Time);
    int weekday = 0;
    bool covered = false;
    std::int64_t end = 0;
    const auto consider = [&](std::int64_t start) {
        if (start <= when && when < start + length) {
            covered = true;
            end = std::max(end, start + length);
        }
    };
    if (Kind == kKindDate) {
        consider(LocalMoment(LocalTm(Date), 0, tod, weekday));
    } else {
        // A window may have started on any of the days its length reaches back over.
        const std::tm today = LocalTm(when);
        const int daysBack = static_cast<int>(std::min<std::int64_t>(Hours / 24 + 1, 366));
        for (int k = 0; k <= daysBack; ++k) {
            const std::int64_t start = LocalMoment(today, -k, tod, weekday);
            if (Days[static_cast<std::size_t>(weekday)] != 0)
                consider(start);
        }
    }
    if (covered && windowEnd != nullptr)
        *windowEnd = end;
    return covered;
}
