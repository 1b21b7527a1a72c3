#pragma once
// CSnCfgSchedule: one entry of a schedule list, either on days of the week (kind 0) or on
// one date (kind 1), at a time of day, lasting `Hours` hours (maintenance windows; 0 for
// scan schedules).
//
// Text form: "e" + seven day digits Sunday..Saturday, or "d" + the date; then ";" + the
// time; then ";" + the hours.  Example: Monday and Wednesday at T is "e0101000;T;0".
#include "library/QvcString.h"

#include <array>
#include <cstdint>

class CSnCfgSchedule {
public:
    static constexpr std::int32_t kKindWeekdays = 0;
    static constexpr std::int32_t kKindDate = 1;
    // Indexes into Days.
    enum Day { kSunday = 0, kMonday, kTuesday, kWednesday, kThursday, kFriday, kSaturday };

    CSnCfgSchedule() = default;
    virtual ~CSnCfgSchedule() = default;

    // Every field back to 0.
    void Reset() { *this = CSnCfgSchedule(); }

    // Fills the record from entry `index` (0-based) of a list text.  Parsing never fails:
    // a missing, empty or malformed entry leaves the fields 0 (see the .cpp for the rules).
    void Parse(const CQvcString& listText, int index);
    // The entry text: "e%d%d%d%d%d%d%d;%ld;%d" or "d%ld;%ld;%d".
    CQvcString ToText() const;

    // Same kind, time and hours, and the same date (kind 1) or the same seven days (kind 0).
    bool IsEqual(const CSnCfgSchedule& other) const;
    bool operator==(const CSnCfgSchedule& other) const { return IsEqual(other); }

    // "Every Mo,We at <time>" or "On <date> at <time>", the date and time written with the
    // given patterns (DateTimeFormat.h), in local time; with `withHours` (maintenance
    // windows) followed by " for <hours> hours".
    CQvcString Describe(const CQvcString& dateFormat, const CQvcString& timeFormat, bool withHours) const;

    bool AnyDaySet() const;

    // --- when an entry happens, in local time ------------------------------------------
    // An entry starts at the local time of day of `Time` on each day whose flag is set
    // (kind 0), or once on the local date of `Date` (kind 1).  Days are built with the
    // calendar, so an entry keeps its time of day across daylight-saving changes (a time
    // that a change skips is taken as the system normalises it).
    //
    // The first start strictly after `after` (seconds since 1970); -1 when there is none
    // (no day set, or a date entry whose start has passed).
    std::int64_t NextStart(std::int64_t after) const;
    // True when `when` lies in a window that starts at a start of this entry and lasts
    // `Hours` hours (its start included, its end excluded); an entry of 0 hours covers
    // nothing.  `windowEnd`, when given, receives the end of the covering window that
    // ends last.
    bool Covers(std::int64_t when, std::int64_t* windowEnd = nullptr) const;

    std::int32_t Kind = kKindWeekdays;
    std::array<std::int32_t, 7> Days{}; // Sunday first
    std::int32_t Date = 0;              // seconds since 1970 (kind 1)
    std::int32_t Time = 0;              // seconds since 1970; the time of day counts
    std::int32_t Hours = 0;
};
