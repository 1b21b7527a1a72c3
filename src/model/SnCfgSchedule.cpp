#include "model/SnCfgSchedule.h"

#include "model/DateTimeFormat.h"

#include <cstdlib>

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
