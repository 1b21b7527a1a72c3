#include "model/console/SnAutoRefreshSettings.h"

#include "model/console/ManagerPreferences.h"

void CSnAutoRefreshSettings::Read() {
    Enabled = prefs::AutoRefreshEnabled() != 0;
    Dynamic = prefs::AutoRefreshDynamic() != 0;
    PeriodSecs = prefs::AutoRefreshTimeSecs();
}

void CSnAutoRefreshSettings::Write() const {
    prefs::WriteAutoRefresh(Enabled ? 1 : 0, Dynamic ? 1 : 0, static_cast<int>(PeriodSecs));
}

CQvcString CSnAutoRefreshSettings::Validate() {
    if (PeriodSecs >= kMinPeriodSecs && PeriodSecs <= kMaxPeriodSecs)
        return {};
    if (Enabled && !Dynamic) {
        CQvcString message;
        message.Format("Invalid Frequency value. Enter a value between %d and %d.", static_cast<int>(kMinPeriodSecs),
                       static_cast<int>(kMaxPeriodSecs));
        return message;
    }
    PeriodSecs = kFallbackPeriodSecs;
    return {};
}
