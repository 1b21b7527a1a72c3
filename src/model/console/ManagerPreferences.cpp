#include "model/console/ManagerPreferences.h"

#include "library/QvcBase.h"
#include "platform/Registry.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace prefs {

namespace {

using platform::Hive;

std::string ManagerKey() { return std::string(kProductKey) + "\\Manager"; }

enum class Rule { None, Flag, AppLook, Absolute };

std::int32_t Normalise(std::int32_t value, Rule rule) {
    switch (rule) {
    case Rule::Flag:
        return value != 0 ? 1 : 0;
    case Rule::AppLook:
        return value >= 0 && value <= 9 ? value : 0;
    case Rule::Absolute:
        // The absolute value; the most negative number has none and stays as it is.
        return value < 0 && value != INT32_MIN ? -value : value;
    case Rule::None:
        break;
    }
    return value;
}

int ReadDword(Hive hive, const char* name, std::int32_t def, Rule rule) {
    const std::string key = ManagerKey();
    platform::RegEnsureKey(hive, key.c_str());
    std::uint32_t raw = 0;
    std::int32_t value = def;
    if (platform::RegQueryDword(hive, key.c_str(), name, &raw) == platform::kRegOk)
        value = static_cast<std::int32_t>(raw);
    value = Normalise(value, rule);
    platform::RegSetDword(hive, key.c_str(), name, static_cast<std::uint32_t>(value));
    return value;
}

void WriteDword(const char* name, std::int32_t value) {
    const std::string key = ManagerKey();
    platform::RegEnsureKey(Hive::CurrentUser, key.c_str());
    platform::RegSetDword(Hive::CurrentUser, key.c_str(), name, static_cast<std::uint32_t>(value));
}

int User(const char* name, std::int32_t def, Rule rule = Rule::None) {
    return ReadDword(Hive::CurrentUser, name, def, rule);
}

int Machine(const char* name, std::int32_t def) { return ReadDword(Hive::LocalMachine, name, def, Rule::Absolute); }

std::string SubKey(const char* subKey) { return std::string(kProductKey) + "\\" + (subKey ? subKey : ""); }

} // namespace

int AutoRefreshEnabled() { return User("AutoRefreshEnabled", 1, Rule::Flag); }
int AutoRefreshDynamic() { return User("AutoRefreshDynamic", 1, Rule::Flag); }
int AutoRefreshTimeSecs() { return User("AutoRefreshTimeSecs", 5); }
int PasteUnchanged() { return User("PasteUnchanged", 0, Rule::Flag); }
int PasteHold() { return User("PasteHold", 0, Rule::Flag); }
int AppLook() { return User("AppLook", 0, Rule::AppLook); }

void WriteAutoRefresh(int enabled, int dynamic, int timeSecs) {
    WriteDword("AutoRefreshEnabled", enabled);
    WriteDword("AutoRefreshDynamic", dynamic);
    WriteDword("AutoRefreshTimeSecs", timeSecs);
}
void WritePasteUnchanged(int value) { WriteDword("PasteUnchanged", value); }
void WritePasteHold(int value) { WriteDword("PasteHold", value); }
void WriteAppLook(int value) { WriteDword("AppLook", value); }

int MinIntervalSecs() { return Machine("MinIntervalSecs", 5); }
int MaxCreateChecks() { return Machine("MaxCreateChecks", 255); }
int MaxTotalChecks() { return Machine("MaxTotalChecks", 4096); }
int MfTimerMsecs() { return Machine("MfTimerMsecs", 1200); }
int MfTimerIdleMsecs() { return Machine("MfTimerIdleMsecs", 1000); }
int MfTimerMaxHandlingMsecs() { return Machine("MfTimerMaxHandlingMsecs", 5000); }

CQvcString ReadString(const char* subKey, const char* value, const char* def) {
    const std::string key = SubKey(subKey);
    return CQvcString(platform::RegReadStringWriteBack(Hive::CurrentUser, key.c_str(), value, def ? def : "", true));
}

void WriteString(const char* subKey, const char* value, const char* text) {
    const std::string key = SubKey(subKey);
    platform::RegEnsureKey(Hive::CurrentUser, key.c_str());
    platform::RegSetString(Hive::CurrentUser, key.c_str(), value, text ? text : "");
}

long ReadLong(const char* subKey, const char* value, long def) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", def);
    return std::atol(ReadString(subKey, value, text).c_str());
}

void WriteLong(const char* subKey, const char* value, long number) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", number);
    WriteString(subKey, value, text);
}

} // namespace prefs
