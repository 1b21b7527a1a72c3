#pragma once
// The window-free rules of the check property sheet: its title, how a scan interval is
// shown and read back, which controls of the General page are enabled, the caption of the
// second notification box, when a notification channel may be changed, and the checks
// that keep a page open, each in its fixed order.  The sheet's widgets only gather their
// fields and show what these functions return.
#include "library/QvcString.h"

#include <cstdint>

class CSnNetPopupSettings;
class CSnPagerSettings;
class CSnMsnSettings;
class CSnSmsSettings;
class CSnSmtpSettings;
class CSnSnmpTrapsSettings;

namespace sheetrules {

// Scan modes of a check.
inline constexpr int kModeInterval = 0;
inline constexpr int kModeScheduled = 1;
inline constexpr int kModeTrap = 2;
inline constexpr int kMaxErrorThreshold = 99;
inline constexpr const char* kSelectText = "<select>";

// "Properties - <name>" for a check that has a type, else "Properties - New Check"; a
// title longer than 50 characters keeps its first 47 followed by "...".
CQvcString SheetTitle(const CQvcString& displayName, bool hasType);

// The unit texts of the interval combo, smallest first.
inline constexpr const char* kUnits[] = {"seconds", "minutes", "hours", "days"};

// An interval as the page shows it: the number (empty for 0 or less) and its unit.
struct IntervalShown {
    CQvcString Number;
    CQvcString Unit;
    bool operator==(const IntervalShown&) const = default;
};
// The largest whole unit: 7200 s is 2 "hours", 120 s is 2 "minutes", 90 s is 90 "seconds".
IntervalShown ShowInterval(std::int32_t seconds);
// The number times 86400, 3600 or 60 for "days", "hours" or "minutes"; any other unit
// keeps it as seconds.  A number that is not a whole number reads as 0.
std::int32_t IntervalSeconds(const CQvcString& number, const CQvcString& unit);
// A threshold, interval or minute count as an edit shows it: empty for 0 or less.
CQvcString PositiveText(std::int32_t value);
// The number of an edit; 0 for an empty or non-numeric text.
std::int32_t NumberOf(const CQvcString& text);

// Which controls of the General page are enabled (and shown, for the trap button).
struct GeneralEnabling {
    bool Every = false;      // "Check every:"
    bool Schedule = false;   // "Schedule this Check:"
    bool Trap = false;       // "Check on every incoming SNMP trap": enabled and shown
    bool Threshold = false;  // the error-threshold edit
    bool RowLabel = false;   // the "errors in a row" label
    bool operator==(const GeneralEnabling&) const = default;
};
GeneralEnabling GeneralEnablingFor(int mode, bool configured, std::int32_t type, const CQvcString& byteCodes);

// The caption of the second box of every notification pair in a scan mode.
const char* SecondNotifyCaption(int mode);

// A refusal: the message number (0 for the unnumbered program-path message), its text
// with the argument filled in, and whether it carries the error icon (else the warning).
struct Refusal {
    unsigned Id = 0;
    CQvcString Text;
    bool ErrorIcon = false;
    bool Refused() const { return !Text.IsEmpty(); }
};

struct GeneralFields {
    CQvcString TypeText;     // the chooser's text
    CQvcString DisplayName;
    int Mode = kModeInterval;
    CQvcString Interval;     // the number edit
    CQvcString Unit;         // the unit combo
    CQvcString Threshold;    // the error-threshold edit
    bool HasSchedule = false;
    int MinIntervalSecs = 5; // the Manager preference
};
// "Check What" (51548), display name (51547), then by mode: interval minimum (51588)
// and threshold 1..99 (61537) in mode 0, a schedule (61484) in mode 1, nothing in mode 2.
Refusal CheckGeneral(const GeneralFields& fields);

struct ActionFields {
    bool ProgramEnabled[4] = {};
    CQvcString Program[4];
    int Restart = 0;         // 0 none, 1 reboot, 2 restart services
    CQvcString Computer;
    CQvcString Services;
};
inline constexpr const char* kProgramPathMessage =
    "One or more programs are enabled, while the corresponding program path is empty. Please fill in the "
    "program path in the corresponding entry/entries.";
// An enabled program without a path, restart without services (51529), reboot or restart
// without a computer (51528).
Refusal CheckActions(const ActionFields& fields);

struct AdvancedFields {
    bool NotifyEvery = false;
    CQvcString NotifyMinutes;
    bool TriggerEvery = false;
    CQvcString TriggerMinutes;
};
// "Notify every" or "Trigger every" with 0 or no number of minutes (61524).
Refusal CheckAdvanced(const AdvancedFields& fields);

// A host text without its leading pairs of backslashes ("\\\\srv" gives "srv").
CQvcString WithoutUncPrefix(const CQvcString& host);

// The global settings of the notification channels, as far as they decide whether a
// channel is set up: a channel that is not cannot be chosen on a check.
struct ChannelSetup {
    const CSnSmtpSettings* Smtp = nullptr;
    const CSnNetPopupSettings* NetPopup = nullptr;
    const CSnSmsSettings* Sms = nullptr;
    const CSnPagerSettings* Pager = nullptr;
    const CSnSnmpTrapsSettings* Traps = nullptr;
    const CSnMsnSettings* Msn = nullptr;
};
// Channel 0..5 (e-mail, network pop-up, SMS, pager, SNMP trap, messenger) is set up: a
// first mail server, the pop-up switch, the device, URL or server of the SMS protocol, the
// SNPP server or DTMF device, a trap agent, a messenger server.  A missing record counts as
// not set up.
bool ChannelEnabled(int channel, const ChannelSetup& setup);

} // namespace sheetrules
