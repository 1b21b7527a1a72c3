#include "model/settings/SnDateTimeSettings.h"

#include "model/settings/DateTimeFormat.h"
#include "model/store/SnCfg.h"

void CSnDateTimeSettings::Parse(const CQvcString& text) {
    CQvcString t = text;
    t.Trim();
    DateFormat = t.Token("||", 0, kDefaultDateFormat);
    TimeFormat = t.Token("||", 1, kDefaultTimeFormat);
}

CQvcString CSnDateTimeSettings::FormatDateTime(std::time_t value) const {
    return FormatLocalDateTime(value, DateFormat) + " " + FormatLocalDateTime(value, TimeFormat);
}

long CSnDateTimeSettings::Read(CSnCfg& store) {
    CQvcString text;
    long code = store.Run([&](ISnCfg& c) { c.get_DateTimeSettings(text); });
    if (code == 0)
        Parse(text);
    return code;
}

long CSnDateTimeSettings::Write(CSnCfg& store) const {
    const CQvcString text = Format();
    return store.WriteSettings([&](ISnCfg& c) { c.put_DateTimeSettings(text); });
}
