#pragma once
// Date and time formats (table DateTimeSettings): DateFormat "||" TimeFormat.
// The patterns are those of DateTimeFormat.h, which also holds the defaults.
#include "library/QvcString.h"
#include "model/DateTimeFormat.h"

class CSnCfg;

class CSnDateTimeSettings {
public:
    CQvcString DateFormat = kDefaultDateFormat;
    CQvcString TimeFormat = kDefaultTimeFormat;

    // Trimmed and split at "||"; a missing part takes its default.
    void Parse(const CQvcString& text);
    CQvcString Format() const { return DateFormat + "||" + TimeFormat; }

    long Read(CSnCfg& store);
    long Write(CSnCfg& store) const;
};
