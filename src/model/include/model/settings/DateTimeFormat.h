#pragma once
// Date and time texts in the formats that the configuration's date and time settings
// hold ("mm/dd/yyyy", "hh:mm:ss tt", "dd.mm.yyyy HH:mm", ...).  The schedule lists, the
// check list and the activity view all format through these functions.
//
// Pattern letters (y, m, d, s and t in either case; h and H differ):
//   yyyy (or yyy)  year, four digits       yy  two digits       y  two digits, no zero
//   m / mm         month 1-12 / 01-12      mmm "Jan"            mmmm "January"
//   d / dd         day 1-31 / 01-31        ddd "Sun"            dddd "Sunday"
//   h / hh         hour 1-12 / 01-12       H / HH  hour 0-23 / 00-23
//   m / mm         minute, when the m follows an hour field or precedes a seconds field
//   s / ss         second                  t "A"/"P"            tt "AM"/"PM"
//   '...'          literal text ('' inside a quoted part is one quote)
// Every other character is copied as it is.  The month/minute rule is what lets one
// lower-case "mm" mean the month in "mm/dd/yyyy" and the minute in "hh:mm:ss".
#include "library/QvcString.h"
#include "platform/System.h"

#include <ctime>
#include <string_view>

inline constexpr const char* kDefaultDateFormat = "mm/dd/yyyy";
inline constexpr const char* kDefaultTimeFormat = "hh:mm:ss tt";

// The broken-down time written with the pattern.  `weekday` 0 is Sunday.
CQvcString FormatDateTimePattern(const platform::LocalTime& time, std::string_view pattern);
// A time value (seconds since 1970) as local time, written with the pattern.
CQvcString FormatLocalDateTime(std::time_t value, std::string_view pattern);
