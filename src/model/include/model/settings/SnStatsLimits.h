#pragma once
// Limits of the statistics databases, kept in the registry under the sub-key "Stats" of
// the product's machine-wide key.  Each is read with its default, adjusted and written
// back, so that it exists afterwards.
#include "library/QvcString.h"

#include <cstdint>

class CSnStatsLimits {
public:
    std::uint32_t DbMsaSizeMBLimit = 2000;
    std::uint32_t DbMsaSizeMBWarning = 1750;        // at most the limit
    std::uint32_t RpTblMsaRecordLimit = 100000;
    std::uint32_t RpTblMsaRecordWarning = 40000;    // at most the limit
    std::uint32_t RpTblSqlRecordLimit = 10000000;
    std::uint32_t RpTblSqlRecordWarning = 2000000;  // at most the limit
    std::uint32_t GrTblMsaRecordLimit = 10000000;
    std::uint32_t GrTblMsaRecordWarning = 2000000;  // at most the limit
    std::uint32_t GrTblSqlRecordLimit = 2000000000;
    std::uint32_t GrTblSqlRecordWarning = 1000000000; // at most the limit
    std::uint32_t RpLogFrequencySecs = 300;         // at least 10
    std::uint32_t GrLogFrequencySecs = 300;         // at least 10
    std::uint32_t SvcWarningLogIntervalSecs = 300;
    std::uint32_t HistoryWarningFactor = 10;        // at least 1
    std::uint32_t DbCleanupIntervalHours = 24;      // at least 24
    CQvcString DbCleanupLog;                        // trimmed

    // Reads, adjusts and writes back every value.
    void Read();
    // Writes every value as it is; 0 or the first failure's code.
    long Write() const;
    bool operator==(const CSnStatsLimits&) const = default;
};
