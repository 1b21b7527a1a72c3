#pragma once
// Automatic backup settings (table AutoBackupSettings, one key-value text):
//   "BackupEnabled:=%d;;BackupSchedules:=<7 digits Monday first>||<time>;;
//    BackupWhat:=<5 digits>;;BackupDirectory:=%s"
#include "library/QvcString.h"

#include <array>
#include <cstdint>

class CSnCfg;

class CSnAutoBackupSettings {
public:
    enum Day { kSunday, kMonday, kTuesday, kWednesday, kThursday, kFriday, kSaturday };
    enum What { kConfigurationFile, kScripts, kLogFiles, kReportStyleSheets, kWebViewStyleSheets };

    bool Enabled = false;
    std::array<bool, 7> Days{}; // Sunday first
    std::array<bool, 5> WhatToSave{};
    // Seconds since 1970, of which only the local time of day counts.
    long Time = 0;
    CQvcString Directory;

    CSnAutoBackupSettings();
    // A missing key takes its default; a time of 0 becomes 06:00 local time.
    void Parse(const CQvcString& text);
    CQvcString Format() const;
    // 06:00 local time as the seconds of the third day after 1970-01-01.
    static long SixInTheMorning();

    long Read(CSnCfg& store);
    long Write(CSnCfg& store) const;
};
