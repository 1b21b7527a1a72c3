#pragma once
// Date and time formats (table DateTimeSettings): DateFormat "||" TimeFormat.
// The patterns are those of DateTimeFormat.h, which also holds the defaults.
#include "library/QvcString.h"
#include "model/settings/DateTimeFormat.h"

#include <ctime>

class CSnCfg;

class CSnDateTimeSettings {
public:
    CQvcString DateFormat = kDefaultDateFormat;
    CQvcString TimeFormat = kDefaultTimeFormat;

    // Trimmed and split at "||"; a missing part takes its default.
    void Parse(const CQvcString& text);
    CQvcString Format() const { return DateFormat + "||" + TimeFormat; }

    // A time (seconds since 1970) as local time in these formats: the date, a blank, the
    // time.
    CQvcString FormatDateTime(std::time_t value) const;

    long Read(CSnCfg& store);
    long Write(CSnCfg& store) const;
};
