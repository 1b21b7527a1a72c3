#include "model/history/HistoryTime.h"

#include <cstdio>
#include <ctime>

std::optional<std::int64_t> ParseHistoryTime(const std::string& text, std::int64_t now) {
    if (text.size() >= 3 && text[0] == '-') {
        std::size_t used = 0;
        long long amount = 0;
        try {
            amount = std::stoll(text.substr(1), &used);
        } catch (...) {
            return std::nullopt;
        }
        if (amount < 0 || used + 2 != text.size() || text[1] == '+' || text[1] == ' ')
            return std::nullopt;
        const char unit = text.back();
        const long long seconds = unit == 'd' ? 86400 : unit == 'h' ? 3600 : unit == 'm' ? 60 : 0;
        if (seconds == 0)
            return std::nullopt;
        return now - amount * seconds;
    }
    std::tm t{};
    int consumed = 0;
    const bool dateOnly = text.size() == 10;
    const int fields = dateOnly ? std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &t.tm_year, &t.tm_mon, &t.tm_mday, &consumed)
                                : std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &t.tm_year, &t.tm_mon, &t.tm_mday,
                                              &t.tm_hour, &t.tm_min, &consumed);
    if (fields != (dateOnly ? 3 : 5) || static_cast<std::size_t>(consumed) != text.size() || text.size() != (dateOnly ? 10u : 16u))
        return std::nullopt;
    const int month = t.tm_mon, day = t.tm_mday, hour = t.tm_hour, minute = t.tm_min;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59)
        return std::nullopt;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    const std::time_t time = std::mktime(&t);
    // A day the month does not have (2026-02-30) comes back as another date.
    if (time == -1 || t.tm_mday != day || t.tm_mon != month - 1)
        return std::nullopt;
    return static_cast<std::int64_t>(time);
}

std::string FormatHistoryTime(std::int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}
