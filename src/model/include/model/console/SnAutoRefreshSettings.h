#pragma once
// CSnAutoRefreshSettings: how the main window refreshes by itself, as the three per-user
// preferences AutoRefreshEnabled, AutoRefreshDynamic and AutoRefreshTimeSecs hold it.
// The Auto Refresh Settings dialog copies between its widgets and this object; its
// validation is Validate, a plain function of the fields.
#include "library/QvcString.h"

class CSnAutoRefreshSettings {
public:
    static constexpr long kMinPeriodSecs = 1;
    static constexpr long kMaxPeriodSecs = 99999;
    // What an out-of-range period becomes when the dialog does not refuse it.
    static constexpr long kFallbackPeriodSecs = 5;

    bool Enabled = true;
    // Refresh as fast as the number of checks shown allows, instead of every PeriodSecs.
    bool Dynamic = true;
    long PeriodSecs = 5;

    // From the preferences (each read writes its value back, defaults on first use).
    void Read();
    // All three preferences.
    void Write() const;

    // The dialog's OK: with auto refresh enabled and the custom period chosen, a period
    // outside 1 to 99999 is refused with the returned message; in every other case such
    // a period is replaced by 5.  Empty when the values may be written.
    CQvcString Validate();

    // The radio buttons are usable only while auto refresh is enabled, the period field
    // only while it is enabled and the custom period is chosen.
    static bool ChoiceEnabled(bool enabled) { return enabled; }
    static bool PeriodFieldEnabled(bool enabled, bool dynamic) { return enabled && !dynamic; }
};
