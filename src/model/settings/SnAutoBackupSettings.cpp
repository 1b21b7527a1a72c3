#include "model/settings/SnAutoBackupSettings.h"

#include "model/store/SnCfg.h"
#include "model/settings/SnSettingText.h"
#include "platform/System.h"

#include <cstdlib>

namespace {

constexpr const char* kDefaultSchedules = "0010010||0";
constexpr const char* kDefaultWhat = "11";
constexpr const char* kDefaultDirectory = "<SNROOT>\\SN_SUBDIR_SAVECONFIGURATIONS";

bool DigitSet(const std::string& text, std::size_t index) { return index < text.size() && text[index] == '1'; }

} // namespace

CSnAutoBackupSettings::CSnAutoBackupSettings() { Parse(CQvcString()); }

long CSnAutoBackupSettings::SixInTheMorning() {
    constexpr long kBase = 194400; // 1970-01-03 06:00 UTC
    return kBase - platform::LocalUtcOffsetSeconds(static_cast<std::time_t>(kBase));
}

void CSnAutoBackupSettings::Parse(const CQvcString& text) {
    Enabled = CSnSettingText::FlagOneOnly(text, "BackupEnabled", "0");

    const CQvcString schedules = CSnSettingText::Text(text, "BackupSchedules", kDefaultSchedules);
    const std::string digits = schedules.Token("||", 0).Str() + std::string(7, ' ');
    // The digits run Monday to Sunday; the days are kept Sunday first.
    for (int k = 0; k < 7; ++k)
        Days[(k + 1) % 7] = DigitSet(digits, static_cast<std::size_t>(k));
    Time = std::atol(schedules.Token("||", 1, "0").c_str());
    if (Time == 0)
        Time = SixInTheMorning();

    const std::string what = CSnSettingText::Text(text, "BackupWhat", kDefaultWhat).Str() + "  ";
    for (std::size_t k = 0; k < WhatToSave.size(); ++k)
        WhatToSave[k] = DigitSet(what, k);

    Directory = CSnSettingText::Text(text, "BackupDirectory", kDefaultDirectory);
}

CQvcString CSnAutoBackupSettings::Format() const {
    auto d = [](bool b) { return b ? 1 : 0; };
    CQvcString enabled, schedules, what, directory, out;
    enabled.Format("BackupEnabled:=%d", d(Enabled));
    schedules.Format("BackupSchedules:=%d%d%d%d%d%d%d||%ld", d(Days[kMonday]), d(Days[kTuesday]),
                     d(Days[kWednesday]), d(Days[kThursday]), d(Days[kFriday]), d(Days[kSaturday]),
                     d(Days[kSunday]), Time);
    what.Format("BackupWhat:=%d%d%d%d%d", d(WhatToSave[0]), d(WhatToSave[1]), d(WhatToSave[2]), d(WhatToSave[3]),
                d(WhatToSave[4]));
    directory.FormatGrow("BackupDirectory:=%s", Directory.c_str());
    out.FormatGrow("%s;;%s;;%s;;%s", enabled.c_str(), schedules.c_str(), what.c_str(), directory.c_str());
    return out;
}

long CSnAutoBackupSettings::Read(CSnCfg& store) {
    CQvcString text;
    long code = store.Run([&](ISnCfg& c) { c.get_AutoBackupSettings(text); });
    if (code == 0)
        Parse(text);
    return code;
}

long CSnAutoBackupSettings::Write(CSnCfg& store) const {
    const CQvcString text = Format();
    return store.WriteSettings([&](ISnCfg& c) { c.put_AutoBackupSettings(text); });
}
