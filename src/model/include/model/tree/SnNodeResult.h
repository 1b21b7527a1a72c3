#pragma once
// The last result the engine reported for a check.
#include "library/QvcString.h"

#include <cstdint>

inline constexpr const char* kNotMonitored = "Not monitored";

struct CSnNodeResult {
    virtual ~CSnNodeResult() = default;
    std::int32_t Status = 0;     // 0 until a result arrives
    std::int32_t Processing = 0; // the engine is running the check now
    CQvcString Data;
    CQvcString Response = kNotMonitored;
    CQvcString Comment;
    std::int32_t Duration = 0;   // seconds
    std::int32_t LastUpdate = 0; // seconds since 1970 of the last result; 0 never
    // A fingerprint of the result line these fields were last read from, 0 before the
    // first read.  Reading the same line again changes nothing, so a refresh skips the
    // checks whose line did not change, and the list skips their rows.
    std::uint64_t Source = 0;
};
