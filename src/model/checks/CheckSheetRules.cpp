#include "model/checks/CheckSheetRules.h"

#include "library/Messages.h"
#include "model/checks/CheckTypes.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnNetPopupSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"

#include <cstdlib>

namespace sheetrules {
namespace {

constexpr std::size_t kTitleLimit = 50;
constexpr std::size_t kTitleKeep = 47;

struct UnitFactor {
    const char* unit;
    std::int32_t seconds;
};
// Largest first: the display takes the first unit that divides the interval.
constexpr UnitFactor kFactors[] = {{"days", 86400}, {"hours", 3600}, {"minutes", 60}};

Refusal Refuse(unsigned id, bool errorIcon, long argument = -1) {
    Refusal r{id, CQvcString(), errorIcon};
    const char* text = MessageText(id);
    if (argument >= 0)
        r.Text.FormatGrow(text, static_cast<int>(argument));
    else
        r.Text = text;
    return r;
}

CQvcString Trimmed(CQvcString text) {
    return text.Trim();
}

} // namespace

CQvcString SheetTitle(const CQvcString& displayName, bool hasType) {
    CQvcString title = CQvcString("Properties - ") + (hasType ? displayName : CQvcString("New Check"));
    if (title.Length() > kTitleLimit)
        title = title.Left(kTitleKeep) + "...";
    return title;
}

IntervalShown ShowInterval(std::int32_t seconds) {
    if (seconds <= 0)
        return {CQvcString(), "seconds"};
    for (const UnitFactor& f : kFactors)
        if (seconds % f.seconds == 0)
            return {CQvcString(static_cast<long>(seconds / f.seconds)), f.unit};
    return {CQvcString(static_cast<long>(seconds)), "seconds"};
}

std::int32_t NumberOf(const CQvcString& text) {
    const CQvcString t = Trimmed(text);
    if (t.IsEmpty() || !QvcIsInteger(t))
        return 0;
    return static_cast<std::int32_t>(std::atol(t.c_str()));
}

std::int32_t IntervalSeconds(const CQvcString& number, const CQvcString& unit) {
    const std::int32_t n = NumberOf(number);
    for (const UnitFactor& f : kFactors)
        if (unit == f.unit)
            return n * f.seconds;
    return n;
}

CQvcString PositiveText(std::int32_t value) {
    return value > 0 ? CQvcString(static_cast<long>(value)) : CQvcString();
}

GeneralEnabling GeneralEnablingFor(int mode, bool configured, std::int32_t type, const CQvcString& byteCodes) {
    GeneralEnabling e;
    e.Every = e.Schedule = configured && mode != kModeTrap;
    e.Trap = mode == kModeTrap;
    // A Directory check in its "3" option has no threshold of its own.
    const bool directoryWithoutThreshold = type == kTypeDirectory && !byteCodes.IsEmpty() && byteCodes[0] == '3';
    e.Threshold = mode == kModeInterval && configured && !directoryWithoutThreshold;
    e.RowLabel = mode != kModeScheduled;
    return e;
}

const char* SecondNotifyCaption(int mode) {
    return mode == kModeInterval ? "Notify when check recovers from failure" : "Notify when check is successfull";
}

Refusal CheckGeneral(const GeneralFields& f) {
    const CQvcString type = Trimmed(f.TypeText);
    if (type == kSelectText || type.StartsWith("[") || type.IsEmpty())
        return Refuse(51548, false);
    if (Trimmed(f.DisplayName).IsEmpty())
        return Refuse(51547, false);
    if (f.Mode == kModeInterval) {
        // The text names 5 seconds whatever the preference says.
        if (f.Unit == "seconds" && NumberOf(f.Interval) < f.MinIntervalSecs)
            return Refuse(51588, false);
        const std::int32_t threshold = NumberOf(f.Threshold);
        if (threshold < 1 || threshold > kMaxErrorThreshold)
            return Refuse(61537, false, kMaxErrorThreshold);
    } else if (f.Mode == kModeScheduled && !f.HasSchedule) {
        return Refuse(61484, false);
    }
    return {};
}

Refusal CheckActions(const ActionFields& f) {
    for (int i = 0; i < 4; ++i)
        if (f.ProgramEnabled[i] && Trimmed(f.Program[i]).IsEmpty())
            return Refusal{0, kProgramPathMessage, true};
    if (f.Restart == 2 && Trimmed(f.Services).IsEmpty())
        return Refuse(51529, true);
    if (f.Restart != 0 && Trimmed(f.Computer).IsEmpty())
        return Refuse(51528, true);
    return {};
}

Refusal CheckAdvanced(const AdvancedFields& f) {
    if ((f.NotifyEvery && NumberOf(f.NotifyMinutes) <= 0) || (f.TriggerEvery && NumberOf(f.TriggerMinutes) <= 0))
        return Refuse(61524, true);
    return {};
}

CQvcString WithoutUncPrefix(const CQvcString& host) {
    CQvcString h = host;
    while (h.StartsWith("\\\\"))
        h = h.Mid(2);
    return h;
}

bool ChannelEnabled(int channel, const ChannelSetup& s) {
    auto filled = [](const CQvcString& text) { return !Trimmed(text).IsEmpty(); };
    switch (channel) {
    case 0:
        return s.Smtp && filled(s.Smtp->Server1);
    case 1:
        return s.NetPopup && s.NetPopup->Enabled;
    case 2:
        if (!s.Sms)
            return false;
        if (s.Sms->Protocol == 0)
            return filled(s.Sms->GsmDevice);
        return s.Sms->Protocol == 1 ? filled(s.Sms->HttpProviderUrl) : true;
    case 3:
        return s.Pager && filled(s.Pager->Protocol == 0 ? s.Pager->SnppServer : s.Pager->DtmfDevice);
    case 4:
        return s.Traps && filled(s.Traps->Agent);
    case 5:
        return s.Msn && filled(s.Msn->Server);
    default:
        return false;
    }
}

} // namespace sheetrules
