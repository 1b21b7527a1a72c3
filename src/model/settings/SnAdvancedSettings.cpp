#include "model/settings/SnAdvancedSettings.h"

#include "model/store/SnCfg.h"
#include "model/settings/SnSettingText.h"

void CSnAdvancedSettings::ParseRow(int row, const CQvcString& text) {
    switch (row) {
    case 1:
        UncertainAsError = CSnSettingText::FlagOneOnly(text, "UncertainAsError", "0");
        UncertainAsSuccess = CSnSettingText::FlagOneOnly(text, "UncertainAsSuccess", "0");
        break;
    case 2:
        HttpLib = CSnSettingText::Text(text, "HttpLib", "");
        if (HttpLib.Find('\\') < 0)
            HttpLib.Empty();
        break;
    case 5:
        WebViews.Parse(text);
        break;
    case 6:
        SnmpTrapRcv.Parse(text);
        break;
    case 7:
        PowerShellCmd = CSnSettingText::Text(text, "PowerShellCmd", "powershell.exe");
        break;
    default:
        break;
    }
}

CQvcString CSnAdvancedSettings::FormatRow(int row) const {
    CQvcString out;
    switch (row) {
    case 1:
        out.Format("UncertainAsError:=%d;;UncertainAsSuccess:=%d", UncertainAsError ? 1 : 0,
                   UncertainAsSuccess ? 1 : 0);
        break;
    case 2:
        out.FormatSized(HttpLib.Length() + 2048, "HttpLib:=%s", HttpLib.c_str());
        break;
    case 5:
        out = WebViews.Format();
        break;
    case 6:
        out = SnmpTrapRcv.Format();
        break;
    case 7:
        out.FormatGrow("PowerShellCmd:=%s", PowerShellCmd.c_str());
        break;
    default:
        out = "Reserved";
        break;
    }
    return out;
}

long CSnAdvancedSettings::Read(CSnCfg& store) {
    CSnAdvancedSettings read;
    read.Threads = Threads;
    long code = store.Run([&](ISnCfg& c) {
        for (int row = 1; row <= kRows; ++row) {
            CQvcString text;
            c.get_AdvancedSettings(row, text);
            long step = 0;
            c.GetLastError(step);
            if (step)
                return;
            text.Trim();
            read.ParseRow(row, text);
        }
    });
    if (code == 0)
        *this = read;
    return code;
}

long CSnAdvancedSettings::Write(CSnCfg& store) const {
    return store.WriteSettings([&](ISnCfg& c) {
        for (int row = 1; row <= kRows; ++row) {
            c.put_AdvancedSettings(row, FormatRow(row));
            long step = 0;
            c.GetLastError(step);
            if (step)
                return;
        }
    });
}
