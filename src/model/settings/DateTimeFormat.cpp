#include "model/settings/DateTimeFormat.h"

#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

namespace {

constexpr const char* kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// One piece of a pattern: a run of one field letter, or literal text.
struct Piece {
    char field = 0; // 'y', 'm', 'd', 'h', 'H', 's', 't'; 0 for literal text
    int count = 0;
    std::string literal;
};

char FieldOf(char c) {
    if (c == 'H')
        return 'H';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    switch (lower) {
    case 'y':
    case 'm':
    case 'd':
    case 'h':
    case 's':
    case 't':
        return lower;
    default:
        return 0;
    }
}

std::vector<Piece> Split(std::string_view pattern) {
    std::vector<Piece> pieces;
    auto literal = [&pieces](std::string_view text) {
        if (text.empty())
            return;
        if (pieces.empty() || pieces.back().field != 0)
            pieces.push_back(Piece{});
        pieces.back().literal += text;
    };
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            // Quoted literal; '' inside stands for one quote, an unclosed quote runs to the end.
            std::string text;
            ++i;
            while (i < pattern.size()) {
                if (pattern[i] == '\'') {
                    if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += pattern[i++];
            }
            literal(text);
            continue;
        }
        const char field = FieldOf(c);
        if (field == 0) {
            literal(pattern.substr(i, 1));
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < pattern.size() && FieldOf(pattern[end]) == field)
            ++end;
        pieces.push_back(Piece{field, static_cast<int>(end - i), {}});
        i = end;
    }
    return pieces;
}

// An "m" run is a minute when the previous field is an hour or the next field is a second.
bool IsMinute(const std::vector<Piece>& pieces, std::size_t index) {
    for (std::size_t k = index; k-- > 0;) {
        if (pieces[k].field == 0)
            continue;
        if (pieces[k].field == 'h' || pieces[k].field == 'H')
            return true;
        break;
    }
    for (std::size_t k = index + 1; k < pieces.size(); ++k) {
        if (pieces[k].field == 0)
            continue;
        return pieces[k].field == 's';
    }
    return false;
}

void AppendNumber(std::string& out, int value, bool twoDigits) {
    char buffer[16];
    char* at = buffer;
    if (twoDigits && value >= 0 && value < 10)
        *at++ = '0';
    at = std::to_chars(at, buffer + sizeof buffer, value).ptr;
    out.append(buffer, at);
}

// The pieces of the last few patterns this thread formatted with.  A list refresh
// formats thousands of times with the same date and time patterns; splitting them again
// each time cost more than the formatting.
const std::vector<Piece>& PiecesOf(std::string_view pattern) {
    struct Entry {
        std::string pattern;
        std::vector<Piece> pieces;
        bool used = false;
    };
    thread_local std::array<Entry, 4> t_recent;
    thread_local std::size_t t_next = 0;
    for (const Entry& entry : t_recent)
        if (entry.used && entry.pattern == pattern)
            return entry.pieces;
    Entry& entry = t_recent[t_next];
    t_next = (t_next + 1) % t_recent.size();
    entry = {std::string(pattern), Split(pattern), true};
    return entry.pieces;
}

} // namespace

CQvcString FormatDateTimePattern(const platform::LocalTime& time, std::string_view pattern) {
    const std::vector<Piece>& pieces = PiecesOf(pattern);
    const int monthIndex = (time.month >= 1 && time.month <= 12) ? time.month - 1 : 0;
    const int dayIndex = (time.weekday >= 0 && time.weekday <= 6) ? time.weekday : 0;
    std::string out;
    out.reserve(24);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& p = pieces[i];
        switch (p.field) {
        case 0:
            out += p.literal;
            break;
        case 'y':
            if (p.count >= 3)
                AppendNumber(out, time.year, false);
            else
                AppendNumber(out, time.year % 100, p.count == 2);
            break;
        case 'm':
            if (IsMinute(pieces, i))
                AppendNumber(out, time.minute, p.count >= 2);
            else if (p.count >= 4)
                out += kMonthNames[monthIndex];
            else if (p.count == 3)
                out.append(kMonthNames[monthIndex], 3);
            else
                AppendNumber(out, time.month, p.count == 2);
            break;
        case 'd':
            if (p.count >= 4)
                out += kDayNames[dayIndex];
            else if (p.count == 3)
                out.append(kDayNames[dayIndex], 3);
            else
                AppendNumber(out, time.day, p.count == 2);
            break;
        case 'h': {
            const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
            AppendNumber(out, hour12, p.count >= 2);
            break;
        }
        case 'H':
            AppendNumber(out, time.hour, p.count >= 2);
            break;
        case 's':
            AppendNumber(out, time.second, p.count >= 2);
            break;
        case 't':
            out += time.hour < 12 ? (p.count >= 2 ? "AM" : "A") : (p.count >= 2 ? "PM" : "P");
            break;
        default:
            break;
        }
    }
    return CQvcString(std::move(out));
}

CQvcString FormatLocalDateTime(std::time_t value, std::string_view pattern) {
    return FormatDateTimePattern(platform::ToLocalTime(value), pattern);
}
