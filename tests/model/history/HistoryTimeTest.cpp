#include "model/history/HistoryTime.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(HistoryTime, LocalDatesAndTimesBeforeNow) {
    testsupport::ScopedTimeZone zone("Europe/Berlin");
    constexpr std::int64_t now = 1772359200; // 2026-03-01 11:00 in Berlin
    const struct { const char* text; std::optional<std::int64_t> expected; } cases[] = {
        {"2026-03-01", now - 11 * 3600},
        {"2026-07-01 08:30", 1782887400},      // summer time: UTC+2
        {"-7d", now - 7 * 86400}, {"-24h", now - 86400}, {"-30m", now - 1800}, {"-0d", now},
        {"2026-02-30", std::nullopt}, {"2026-13-01", std::nullopt}, {"2026-03-01 24:00", std::nullopt},
        {"2026-03-01 10:00:00", std::nullopt}, {"2026-3-1", std::nullopt}, {"-7w", std::nullopt},
        {"-d", std::nullopt}, {"--7d", std::nullopt}, {"-7dd", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseHistoryTime(c.text, now), c.expected) << c.text;
}
