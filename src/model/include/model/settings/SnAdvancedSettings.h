#pragma once
// Advanced settings (table AdvancedSettings): seven rows of key-value text.
//   1 the global mapping of undetermined results, 2 an alternate HTTP library, 3 and 4
//   reserved, 5 the web view header, 6 the SNMP trap receiver, 7 the PowerShell command.
// Writing stores rows 1 to 7 in order and stops at the first row that fails;
// "GlobalSettings" is stamped only when all seven were written.
#include "library/QvcString.h"
#include "model/settings/SnAdvSnmpTrapRcvSettings.h"
#include "model/settings/SnAdvThreadSettings.h"
#include "model/settings/SnWebViewHeader.h"

class CSnCfg;

class CSnAdvancedSettings {
public:
    static constexpr int kRows = 7;

    bool UncertainAsError = false;
    bool UncertainAsSuccess = false;
    // Without a backslash the value reads as empty: the system's own library.
    CQvcString HttpLib;
    CSnWebViewHeader WebViews;
    CSnAdvSnmpTrapRcvSettings SnmpTrapRcv;
    CQvcString PowerShellCmd = "powershell.exe";
    CSnAdvThreadSettings Threads;

    // The fields of one row from its (trimmed) text; keys missing from it take defaults.
    void ParseRow(int row, const CQvcString& text);
    CQvcString FormatRow(int row) const;

    // All seven rows in one connection; on failure the settings keep their values.
    long Read(CSnCfg& store);
    long Write(CSnCfg& store) const;
};
