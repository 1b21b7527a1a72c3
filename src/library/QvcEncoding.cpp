#include "library/QvcEncoding.h"

void QvcAppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += '?';
    }
}

namespace {

// The number of continuation bytes after a lead byte; -1 for a byte that cannot lead.
int ContinuationCount(unsigned char c) {
    if (c < 0x80)
        return 0;
    if (c >= 0xC2 && c <= 0xDF)
        return 1;
    if (c >= 0xE0 && c <= 0xEF)
        return 2;
    if (c >= 0xF0 && c <= 0xF4)
        return 3;
    return -1;
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

bool QvcIsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const int extra = ContinuationCount(static_cast<unsigned char>(s[i]));
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if (!IsContinuation(s[i + static_cast<std::size_t>(k)]))
                return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::string QvcLatin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        QvcAppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string QvcUtf8ToLatin1(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = ContinuationCount(c);
        if (extra == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (extra == 1 && i + 1 < s.size() && IsContinuation(s[i + 1])) {
            const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
            out += cp <= 0xFF ? static_cast<char>(cp) : '?';
            i += 2;
            continue;
        }
        out += '?';
        // Skip the sequence (or the stray byte).
        ++i;
        while (i < s.size() && IsContinuation(s[i]))
            ++i;
    }
    return out;
}

std::string QvcToUtf8(std::string_view text) {
    return QvcIsValidUtf8(text) ? std::string(text) : QvcLatin1ToUtf8(text);
}
