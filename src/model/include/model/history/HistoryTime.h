#pragma once
// Times as a user gives and reads them when asking for a check's history.
#include <cstdint>
#include <optional>
#include <string>

// "YYYY-MM-DD" (midnight) or "YYYY-MM-DD HH:MM" in local time, or a time before `now`:
// "-7d", "-24h", "-30m".  Seconds since 1970; nothing for any other text.
std::optional<std::int64_t> ParseHistoryTime(const std::string& text, std::int64_t now);
// "YYYY-MM-DD HH:MM:SS" in local time.
std::string FormatHistoryTime(std::int64_t time);
