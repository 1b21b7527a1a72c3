#pragma once
// The engine's SNMP trap receiver: row 6 of the advanced settings.  Texts keep the
// "<SNROOT>" placeholder.
#include "library/QvcString.h"

#include <cstdint>

class CSnAdvSnmpTrapRcvSettings {
public:
    bool Enabled = false;
    std::int32_t Port = 162;
    std::int32_t Protocol = 0;
    std::int32_t DefaultStatus = 8; // a check status
    bool AllCommunities = true;
    CQvcString Community = "public";
    bool EnableLogging = false;
    bool AdoLogging = true;
    CQvcString AdoLogString = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\SnmpTrapsIn.mdb";
    CQvcString AdoLogPassword;
    CQvcString AdoLogTable = "SnmpTraps";
    CQvcString TextLog = "<SNROOT>Logs\\SnmpTrapsIn.txt";
    CQvcString TextSeparator = ",";

    // Every field from the text, a missing key taking its default; a port of 0 is 162.
    void Parse(const CQvcString& text);
    // "Enabled:=%ld;;Port:=%ld;;...;;TextSeparator:=%s", at most 2047 characters.
    CQvcString Format() const;
};
