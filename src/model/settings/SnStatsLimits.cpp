#include "model/settings/SnStatsLimits.h"

#include "library/QvcBase.h"
#include "platform/Registry.h"

#include <algorithm>
#include <utility>

void CSnStatsLimits::Read() {
    const CQvcString key = CQvcString(kProductKey) + "\\Stats";
    const auto hive = platform::Hive::LocalMachine;
    auto value = [&](const char* name, std::uint32_t def) {
        return platform::RegReadDwordWriteBack(hive, key.c_str(), name, def);
    };
    // A value that needed adjusting is written back adjusted.
    auto adjusted = [&](const char* name, std::uint32_t read, std::uint32_t wanted) {
        if (read != wanted)
            platform::RegSetDword(hive, key.c_str(), name, wanted);
        return wanted;
    };
    auto atMost = [&](const char* name, std::uint32_t def, std::uint32_t limit) {
        std::uint32_t v = value(name, def);
        return adjusted(name, v, std::min(v, limit));
    };
    auto atLeast = [&](const char* name, std::uint32_t def, std::uint32_t floor) {
        std::uint32_t v = value(name, def);
        return adjusted(name, v, std::max(v, floor));
    };

    CSnStatsLimits d;
    DbMsaSizeMBLimit = value("DbMsaSizeMBLimit", d.DbMsaSizeMBLimit);
    DbMsaSizeMBWarning = atMost("DbMsaSizeMBWarning", d.DbMsaSizeMBWarning, DbMsaSizeMBLimit);
    RpTblMsaRecordLimit = value("RpTblMsaRecordLimit", d.RpTblMsaRecordLimit);
    RpTblMsaRecordWarning = atMost("RpTblMsaRecordWarning", d.RpTblMsaRecordWarning, RpTblMsaRecordLimit);
    RpTblSqlRecordLimit = value("RpTblSqlRecordLimit", d.RpTblSqlRecordLimit);
    RpTblSqlRecordWarning = atMost("RpTblSqlRecordWarning", d.RpTblSqlRecordWarning, RpTblSqlRecordLimit);
    GrTblMsaRecordLimit = value("GrTblMsaRecordLimit", d.GrTblMsaRecordLimit);
    GrTblMsaRecordWarning = atMost("GrTblMsaRecordWarning", d.GrTblMsaRecordWarning, GrTblMsaRecordLimit);
    GrTblSqlRecordLimit = value("GrTblSqlRecordLimit", d.GrTblSqlRecordLimit);
    GrTblSqlRecordWarning = atMost("GrTblSqlRecordWarning", d.GrTblSqlRecordWarning, GrTblSqlRecordLimit);
    RpLogFrequencySecs = atLeast("RpLogFrequencySecs", d.RpLogFrequencySecs, 10);
    GrLogFrequencySecs = atLeast("GrLogFrequencySecs", d.GrLogFrequencySecs, 10);
    SvcWarningLogIntervalSecs = value("SvcWarningLogIntervalSecs", d.SvcWarningLogIntervalSecs);
    HistoryWarningFactor = atLeast("HistoryWarningFactor", d.HistoryWarningFactor, 1);
    DbCleanupIntervalHours = atLeast("DbCleanupIntervalHours", d.DbCleanupIntervalHours, 24);
    DbCleanupLog = platform::RegReadStringWriteBack(hive, key.c_str(), "DbCleanupLog", "", true);
}

long CSnStatsLimits::Write() const {
    const CQvcString key = CQvcString(kProductKey) + "\\Stats";
    const auto hive = platform::Hive::LocalMachine;
    const std::pair<const char*, std::uint32_t> values[] = {
        {"DbMsaSizeMBLimit", DbMsaSizeMBLimit},
        {"DbMsaSizeMBWarning", DbMsaSizeMBWarning},
        {"RpTblMsaRecordLimit", RpTblMsaRecordLimit},
        {"RpTblMsaRecordWarning", RpTblMsaRecordWarning},
        {"RpTblSqlRecordLimit", RpTblSqlRecordLimit},
        {"RpTblSqlRecordWarning", RpTblSqlRecordWarning},
        {"GrTblMsaRecordLimit", GrTblMsaRecordLimit},
        {"GrTblMsaRecordWarning", GrTblMsaRecordWarning},
        {"GrTblSqlRecordLimit", GrTblSqlRecordLimit},
        {"GrTblSqlRecordWarning", GrTblSqlRecordWarning},
        {"RpLogFrequencySecs", RpLogFrequencySecs},
        {"GrLogFrequencySecs", GrLogFrequencySecs},
        {"SvcWarningLogIntervalSecs", SvcWarningLogIntervalSecs},
        {"HistoryWarningFactor", HistoryWarningFactor},
        {"DbCleanupIntervalHours", DbCleanupIntervalHours},
    };
    for (const auto& [name, value] : values)
        if (long code = platform::RegSetDword(hive, key.c_str(), name, value))
            return code;
    return platform::RegSetString(hive, key.c_str(), "DbCleanupLog", DbCleanupLog.c_str());
}
