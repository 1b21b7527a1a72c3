#include "model/settings/SnAdvSnmpTrapRcvSettings.h"

#include "model/settings/SnSettingText.h"

void CSnAdvSnmpTrapRcvSettings::Parse(const CQvcString& text) {
    using T = CSnSettingText;
    CSnAdvSnmpTrapRcvSettings d;
    Enabled = T::FlagNotZero(text, "Enabled", "0");
    Port = static_cast<std::int32_t>(T::Long(text, "Port", "162"));
    if (Port == 0)
        Port = 162;
    Protocol = static_cast<std::int32_t>(T::Long(text, "Protocol", "0"));
    DefaultStatus = static_cast<std::int32_t>(T::Long(text, "DefaultStatus", "8"));
    AllCommunities = T::FlagNotZero(text, "AllCommunities", "1");
    Community = T::Text(text, "Community", d.Community.c_str());
    EnableLogging = T::FlagNotZero(text, "EnableLogging", "0");
    AdoLogging = T::FlagNotZero(text, "AdoLogging", "1");
    AdoLogString = T::Text(text, "AdoLogString", d.AdoLogString.c_str());
    AdoLogPassword = T::Text(text, "AdoLogPassword", "");
    AdoLogTable = T::Text(text, "AdoLogTable", d.AdoLogTable.c_str());
    TextLog = T::Text(text, "TextLog", d.TextLog.c_str());
    TextSeparator = T::Text(text, "TextSeparator", d.TextSeparator.c_str());
}

CQvcString CSnAdvSnmpTrapRcvSettings::Format() const {
    CQvcString out;
    out.FormatSized(2048,
                    "Enabled:=%ld;;Port:=%ld;;Protocol:=%ld;;DefaultStatus:=%ld;;AllCommunities:=%d;;Community:=%s;;"
                    "EnableLogging:=%d;;AdoLogging:=%d;;AdoLogString:=%s;;AdoLogPassword:=%s;;AdoLogTable:=%s;;"
                    "TextLog:=%s;;TextSeparator:=%s",
                    Enabled ? 1L : 0L, static_cast<long>(Port), static_cast<long>(Protocol),
                    static_cast<long>(DefaultStatus), AllCommunities ? 1 : 0, Community.c_str(),
                    EnableLogging ? 1 : 0, AdoLogging ? 1 : 0, AdoLogString.c_str(), AdoLogPassword.c_str(),
                    AdoLogTable.c_str(), TextLog.c_str(), TextSeparator.c_str());
    return out;
}
