#pragma once
// Texts and small helpers shared by the check runners (not part of the engine's interface).
#include "engine/CheckRunner.h"

#include <cstdio>
#include <string>

namespace runner {

// The outcome of a run that the engine's stop cut short.
inline CheckOutcome Cancelled() {
    return CheckOutcome::Uncertain("Check cancelled: the engine is stopping");
}

// A number with `decimals` places ("12.5").
inline std::string Number(double value, int decimals = 1) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// A byte count in the largest fitting unit ("512 bytes", "12.0 KB", "3.4 GB").
inline std::string Bytes(double bytes) {
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
    if (bytes < 1024)
        return Number(bytes, 0) + " bytes";
    int unit = -1;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    return Number(bytes) + " " + kUnits[unit];
}

// Megabytes from a byte count: whole above 10 MB, else with up to two decimals as needed
// ("512 MB", "2.5 MB", "0.5 MB", "1 MB"), so a small limit is never shown as "0 MB".
inline std::string Megabytes(double bytes) {
    const double mb = bytes / (1024.0 * 1024.0);
    std::string text = Number(mb, mb >= 10 ? 0 : 2);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text + " MB";
}

// A time-out as the responses state it ("7000 ms").
inline std::string Millis(long long ms) {
    return std::to_string(ms) + " ms";
}

} // namespace runner
