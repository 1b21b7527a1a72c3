#include "model/link/LinkFileValues.h"

#include "platform/Profile.h"

#include "platform/System.h"

#include <limits>

std::int32_t LinkParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range: a long run of
    // digits saturates instead of overflowing.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= kLimit)
            value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

CQvcString LinkOneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "||";
        } else {
            out += text[i];
        }
    }
    return CQvcString(std::move(out));
}

bool LinkAppendEntry(CQvcSectionString& section, std::string_view key, std::string_view value,
                     std::size_t usable) {
    // A NUL inside the value would end the entry there in the double-NUL list: only the
    // part before it is ever written, so only that part is measured.
    value = value.substr(0, value.find('\0'));
    const std::size_t entry = key.size() + 1 + value.size();
    if (section.Count() + entry + 1 > usable)
        return false;
    std::string text;
    text.reserve(entry);
    text.append(key).append("=").append(value);
    section.Append(text);
    return true;
}

bool LinkFindValue(const std::vector<std::string_view>& entries, std::string_view key,
                   std::string_view& value) {
    for (std::string_view entry : entries) {
        const std::size_t eq = entry.find('=');
        if (eq == std::string_view::npos || eq != key.size())
            continue;
        if (CQvcString(entry.substr(0, eq)).EqualsNoCase(key)) {
            value = entry.substr(eq + 1);
            return true;
        }
    }
    return false;
}

bool LinkDeleteProfileFile(const CQvcString& path) {
    if (path.IsEmpty())
        return true;
    platform::DeleteFile(platform::ProfileLockFile(path.Str()));
    platform::DeleteFile(path.Str());
    return !platform::FileExists(path.Str());
}
