#include "library/QvcString.h"

#include "library/Messages.h"
#include "library/QvcEncoding.h"
#include "library/QvcRandom.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The plain Format keeps the fixed buffer of its origin: 2048 bytes, 2047 characters.
constexpr std::size_t kFormatBuffer = 2048;
constexpr std::size_t kGrowStart = 2047;
constexpr std::size_t kGrowLimit = std::size_t(1) << 30;

// The scrambling seed: the same fixed value for every program that reads or writes the
// stored secrets (Manager, engine, command-line tool).
constexpr unsigned kScrambleSeed = 23;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string UpperCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = Upper(c);
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

std::string_view TrimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0; // only upper-case digits are understood
}

} // namespace

std::string_view QvcTrimBlanks(std::string_view text) { return TrimView(text); }

// --- construction and assignment --------------------------------------------------------

CQvcString::CQvcString(const char* text) : m_text(text ? text : "") {}

CQvcString::CQvcString(const wchar_t* text) {
    if (!text)
        return;
    for (; *text; ++text)
        QvcAppendUtf8(m_text, static_cast<char32_t>(*text));
}

CQvcString::CQvcString(int value) : m_text(std::to_string(value)) {}
CQvcString::CQvcString(long value) : m_text(std::to_string(value)) {}

CQvcString& CQvcString::operator=(const CQvcString& other) {
    if (this != &other) {
        m_text = other.m_text;
        Changed();
    }
    return *this;
}

CQvcString& CQvcString::operator=(CQvcString&& other) noexcept {
    if (this != &other) {
        m_text = std::move(other.m_text);
        Changed();
        other.Changed();
    }
    return *this;
}

CQvcString& CQvcString::operator=(const char* text) {
    if (text != m_text.c_str())
        m_text = text ? text : "";
    Changed();
    return *this;
}

CQvcString& CQvcString::operator=(const std::string& text) {
    m_text = text;
    Changed();
    return *this;
}

CQvcString& CQvcString::operator=(char c) {
    m_text.assign(1, c);
    Changed();
    return *this;
}

CQvcString& CQvcString::operator+=(const CQvcString& text) {
    m_text += text.m_text;
    Changed();
    return *this;
}

CQvcString& CQvcString::operator+=(const char* text) {
    if (text)
        m_text += text;
    Changed();
    return *this;
}

CQvcString& CQvcString::operator+=(const std::string& text) {
    m_text += text;
    Changed();
    return *this;
}

CQvcString& CQvcString::operator+=(char c) {
    m_text += c;
    Changed();
    return *this;
}

void CQvcString::Empty() {
    m_text.clear();
    Changed();
}

CQvcString operator+(const CQvcString& a, const CQvcString& b) { return CQvcString(a.Str() + b.Str()); }
CQvcString operator+(const CQvcString& a, const char* b) { return CQvcString(a.Str() + (b ? b : "")); }
CQvcString operator+(const char* a, const CQvcString& b) { return CQvcString(std::string(a ? a : "") + b.Str()); }

// --- access -------------------------------------------------------------------------------

CQvcString CQvcString::Left(std::size_t count) const { return CQvcString(m_text.substr(0, count)); }

CQvcString CQvcString::Right(std::size_t count) const {
    if (count >= m_text.size())
        return *this;
    return CQvcString(m_text.substr(m_text.size() - count));
}

CQvcString CQvcString::Mid(std::size_t first, std::size_t count) const {
    if (first >= m_text.size())
        return CQvcString();
    return CQvcString(m_text.substr(first, count));
}

long CQvcString::Find(std::string_view what, std::size_t from) const {
    auto pos = m_text.find(what, from);
    return pos == std::string::npos ? -1 : static_cast<long>(pos);
}

long CQvcString::Find(char c, std::size_t from) const {
    auto pos = m_text.find(c, from);
    return pos == std::string::npos ? -1 : static_cast<long>(pos);
}

long CQvcString::ReverseFind(char c) const {
    auto pos = m_text.rfind(c);
    return pos == std::string::npos ? -1 : static_cast<long>(pos);
}

int CQvcString::CompareNoCase(std::string_view other) const {
    std::size_t n = std::min(m_text.size(), other.size());
    for (std::size_t i = 0; i < n; ++i) {
        int a = std::tolower(static_cast<unsigned char>(m_text[i]));
        int b = std::tolower(static_cast<unsigned char>(other[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_text.size() == other.size())
        return 0;
    return m_text.size() < other.size() ? -1 : 1;
}

// --- formatting ---------------------------------------------------------------------------

CQvcString& CQvcString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return *this;
}

CQvcString& CQvcString::FormatV(const char* format, va_list args) {
    char buffer[kFormatBuffer];
    int n = std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    m_text.assign(n < 0 ? "" : buffer);
    Changed();
    return *this;
}

CQvcString& CQvcString::FormatGrow(const char* format, ...) {
    std::size_t capacity = kGrowStart;
    std::vector<char> buffer;
    for (;;) {
        buffer.resize(capacity + 1);
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(buffer.data(), buffer.size(), format ? format : "", args);
        va_end(args);
        if (n < 0) {
            m_text.clear();
            break;
        }
        if (static_cast<std::size_t>(n) <= capacity) {
            m_text.assign(buffer.data(), static_cast<std::size_t>(n));
            break;
        }
        if (capacity >= kGrowLimit) {
            m_text.clear();
            break;
        }
        capacity = std::min(capacity * 2, kGrowLimit);
    }
    Changed();
    return *this;
}

CQvcString& CQvcString::FormatSized(std::size_t capacity, const char* format, ...) {
    if (capacity == 0) {
        m_text.clear();
        Changed();
        return *this;
    }
    std::vector<char> buffer(capacity);
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer.data(), buffer.size(), format ? format : "", args);
    va_end(args);
    m_text.assign(n < 0 ? "" : buffer.data());
    Changed();
    return *this;
}

// --- editing ------------------------------------------------------------------------------

CQvcString& CQvcString::Trim() {
    m_text = std::string(TrimView(m_text));
    Changed();
    return *this;
}

CQvcString& CQvcString::TrimLeftChar(char c) {
    std::size_t n = 0;
    while (n < m_text.size() && m_text[n] == c)
        ++n;
    m_text.erase(0, n);
    Changed();
    return *this;
}

CQvcString& CQvcString::TrimRightChar(char c) {
    while (!m_text.empty() && m_text.back() == c)
        m_text.pop_back();
    Changed();
    return *this;
}

CQvcString& CQvcString::EnsureTrailing(char c) {
    if (m_text.empty() || m_text.back() != c)
        m_text += c;
    Changed();
    return *this;
}

CQvcString& CQvcString::RemovePrefix(std::string_view prefix) {
    if (!prefix.empty() && StartsWith(prefix, true)) {
        m_text.erase(0, prefix.size());
        Changed();
    }
    return *this;
}

CQvcString& CQvcString::RemoveSuffix(std::string_view suffix) {
    if (suffix.empty())
        return *this;
    while (EndsWith(suffix, true))
        m_text.erase(m_text.size() - suffix.size());
    Changed();
    return *this;
}

CQvcString& CQvcString::Prepend(std::string_view text, bool unlessPresent) {
    if (unlessPresent && StartsWith(text, true))
        return *this;
    m_text.insert(0, text);
    Changed();
    return *this;
}

bool CQvcString::StartsWith(std::string_view text, bool caseSensitive) const {
    if (text.size() > m_text.size())
        return false;
    std::string_view head(m_text.data(), text.size());
    return caseSensitive ? head == text : EqualNoCase(head, text);
}

bool CQvcString::EndsWith(std::string_view text, bool caseSensitive) const {
    if (text.size() > m_text.size())
        return false;
    std::string_view tail(m_text.data() + m_text.size() - text.size(), text.size());
    return caseSensitive ? tail == text : EqualNoCase(tail, text);
}

bool CQvcString::Contains(std::string_view text, bool caseSensitive) const {
    if (text.empty() || m_text.empty())
        return false;
    if (caseSensitive)
        return m_text.find(text) != std::string::npos;
    return UpperCopy(m_text).find(UpperCopy(text)) != std::string::npos;
}

CQvcString& CQvcString::Replace(std::string_view find, std::string_view with, bool caseSensitive) {
    if (find.empty() || m_text.empty())
        return *this;
    // The search runs on an upper-cased copy when case is ignored; both copies have the
    // same length, so positions carry over and the output keeps the original letters.
    const std::string haystack = caseSensitive ? m_text : UpperCopy(m_text);
    const std::string needle = caseSensitive ? std::string(find) : UpperCopy(find);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = haystack.find(needle, pos);
        if (hit == std::string::npos)
            break;
        out.append(m_text, pos, hit - pos);
        out.append(with);
        pos = hit + needle.size();
    }
    if (pos == 0)
        return *this;
    out.append(m_text, pos, std::string::npos);
    m_text = std::move(out);
    Changed();
    return *this;
}

CQvcString& CQvcString::ReplaceWord(std::string_view word, std::string_view with, bool caseSensitive) {
    if (word.empty() || m_text.empty())
        return *this;
    auto same = [caseSensitive](std::string_view a, std::string_view b) {
        return caseSensitive ? a == b : EqualNoCase(a, b);
    };
    if (same(word, with))
        return *this;
    static constexpr std::string_view kDelimiters = " \t\",'\r\n";
    std::string out;
    out.reserve(m_text.size());
    std::size_t i = 0;
    bool changed = false;
    while (i < m_text.size()) {
        if (kDelimiters.find(m_text[i]) != std::string_view::npos) {
            out += m_text[i++];
            continue;
        }
        std::size_t end = m_text.find_first_of(kDelimiters, i);
        if (end == std::string::npos)
            end = m_text.size();
        std::string_view current(m_text.data() + i, end - i);
        if (same(current, word)) {
            out.append(with);
            changed = true;
        } else {
            out.append(current);
        }
        i = end;
    }
    if (changed) {
        m_text = std::move(out);
        Changed();
    }
    return *this;
}

CQvcString& CQvcString::FillPlaceholder(std::string_view name, std::string_view value) {
    const std::string_view wanted = TrimView(name);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t open = m_text.find("<%", pos);
        if (open == std::string::npos)
            break;
        std::size_t close = m_text.find("%>", open + 2);
        if (close == std::string::npos)
            break; // an unclosed placeholder ends the scan; the rest is copied as it is
        out.append(m_text, pos, open - pos);
        std::string_view inner = TrimView(std::string_view(m_text).substr(open + 2, close - open - 2));
        if (EqualNoCase(inner, wanted)) {
            out.append(value);
        } else {
            out.append("<% ");
            out.append(inner);
            out.append(" %>");
        }
        pos = close + 2;
    }
    out.append(m_text, pos, std::string::npos);
    m_text = std::move(out);
    Changed();
    return *this;
}

CQvcString& CQvcString::TruncateWithSuffix(std::size_t limit, std::string_view suffix) {
    if (m_text.size() <= limit)
        return *this;
    if (suffix.size() >= limit) {
        m_text.assign(suffix.substr(0, limit));
    } else {
        m_text.resize(limit - suffix.size());
        m_text.append(suffix);
    }
    Changed();
    return *this;
}

CQvcString& CQvcString::MakeUpper() {
    for (char& c : m_text)
        c = Upper(c);
    Changed();
    return *this;
}

CQvcString& CQvcString::MakeLower() {
    for (char& c : m_text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Changed();
    return *this;
}

bool CQvcString::IsDigits() const {
    return std::all_of(m_text.begin(), m_text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

CQvcString& CQvcString::LoadString(unsigned id) {
    const char* text = MessageText(id);
    m_text = text ? std::string(text).substr(0, 254) : std::string();
    Changed();
    return *this;
}

CQvcString& CQvcString::DriveToSharePath(std::string_view computer) {
    if (m_text.size() < 2 || m_text[1] != ':' || !std::isalpha(static_cast<unsigned char>(m_text[0])))
        return *this;
    std::string out;
    if (computer.substr(0, 2) != "\\\\")
        out = "\\\\";
    out.append(computer);
    out += '\\';
    out += m_text[0];
    out += '$';
    out.append(m_text, 2, std::string::npos);
    m_text = std::move(out);
    Changed();
    return *this;
}

CQvcString& CQvcString::BarsToLineBreaks() { return Replace("||", "\r\n", true); }

CQvcString& CQvcString::LineBreaksToBars() { return Replace("\r\n", "||", true); }

// --- tokens -------------------------------------------------------------------------------

bool CQvcString::GetToken(std::string_view separator, const char* def, CQvcString& out, int index) const {
    const std::string fallback = def ? def : "";
    // An empty text has no token.  It never holds a remembered walk, so it is left
    // untouched: the shared default values of lazily stored parts are read from many
    // threads at once and must stay unwritten.
    if (separator.empty() || index < 0 || m_text.empty()) {
        out = fallback;
        return false;
    }
    // Continue from the remembered token when the caller walks the tokens in order.
    std::size_t start = 0;
    int current = 0;
    if (m_tokenMark != 0 && static_cast<int>(m_tokenMark) - 1 <= index && SameTokenSeparator(separator)) {
        start = m_tokenPos;
        current = static_cast<int>(m_tokenMark) - 1;
    }
    while (current < index) {
        std::size_t next = m_text.find(separator, start);
        if (next == std::string::npos) {
            m_tokenMark = 0;
            out = fallback;
            return false;
        }
        start = next + separator.size();
        ++current;
    }
    RememberToken(separator, index, start);
    std::size_t end = m_text.find(separator, start);
    std::string token = m_text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (token.empty()) {
        out = fallback;
        return false;
    }
    // `out` may be this very string: assign last.
    out = token;
    return true;
}

bool CQvcString::SameTokenSeparator(std::string_view separator) const {
    return separator.size() == 1 && static_cast<unsigned char>(separator[0]) == m_tokenSep;
}

void CQvcString::RememberToken(std::string_view separator, int index, std::size_t pos) const {
    if (separator.size() != 1 || static_cast<std::uint32_t>(index) >= kTokenMarkMax ||
        pos > std::numeric_limits<std::uint32_t>::max()) {
        m_tokenMark = 0;
        return;
    }
    m_tokenSep = static_cast<unsigned char>(separator[0]);
    m_tokenMark = static_cast<std::uint32_t>(index) + 1;
    m_tokenPos = static_cast<std::uint32_t>(pos);
}

CQvcString CQvcString::Token(std::string_view separator, int index, const char* def) const {
    CQvcString out;
    GetToken(separator, def, out, index);
    return out;
}

long CQvcString::GetTokenLong(std::string_view separator, long def, int index) const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%ld", def);
    CQvcString out;
    GetToken(separator, buffer, out, index);
    return std::atol(out.c_str());
}

int CQvcString::CountTokens(std::string_view separator) const {
    if (separator.empty() || m_text.empty())
        return 0;
    int count = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = m_text.find(separator, start);
        std::size_t len = (end == std::string::npos ? m_text.size() : end) - start;
        if (len == 0)
            break;
        ++count;
        if (end == std::string::npos)
            break;
        start = end + separator.size();
    }
    return count;
}

bool CQvcString::HasToken(std::string_view separator, std::string_view value, bool caseSensitive) const {
    if (separator.empty() || m_text.empty())
        return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = m_text.find(separator, start);
        std::string_view token(m_text.data() + start, (end == std::string::npos ? m_text.size() : end) - start);
        if (token.empty())
            return false;
        if (caseSensitive ? token == value : EqualNoCase(token, value))
            return true;
        if (end == std::string::npos)
            return false;
        start = end + separator.size();
    }
}

bool CQvcString::GetSetting(std::string_view text, std::string_view itemSeparator, std::string_view key,
                            const char* def, CQvcString& out, std::string_view assignSeparator) {
    std::string result = def ? def : "";
    bool found = false;
    if (!itemSeparator.empty()) {
        const std::string_view wanted = TrimView(key);
        std::size_t start = 0;
        for (;;) {
            std::size_t end = text.find(itemSeparator, start);
            std::string_view item =
                TrimView(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
            if (item.empty())
                break;
            std::size_t assign = assignSeparator.empty() ? std::string_view::npos : item.find(assignSeparator);
            std::string_view itemKey = TrimView(item.substr(0, assign));
            if (EqualNoCase(itemKey, wanted)) {
                result = assign == std::string_view::npos
                             ? std::string()
                             : std::string(TrimView(item.substr(assign + assignSeparator.size())));
                found = true;
                break;
            }
            if (end == std::string_view::npos)
                break;
            start = end + itemSeparator.size();
        }
    }
    out = result;
    return found;
}

CQvcString CQvcString::Setting(std::string_view text, std::string_view key, const char* def) {
    CQvcString out;
    GetSetting(text, ";;", key, def, out, ":=");
    return out;
}

// --- secrets ------------------------------------------------------------------------------

CQvcString CQvcString::Scramble(std::string_view plain) {
    if (plain.empty())
        return CQvcString();
    char piece[16];
    std::string out;
    unsigned char key[3];
    {
        // One seeding and the values that follow it belong together: hold the generator.
        QvcRandomLock lock;
        QvcSrand(kScrambleSeed);
        for (unsigned char& k : key) {
            k = static_cast<unsigned char>(QvcRand() & 0xFF);
            std::snprintf(piece, sizeof piece, "%02X", k);
            out += piece;
        }
        // Every byte and then the terminating NUL.
        for (std::size_t i = 0; i <= plain.size(); ++i) {
            unsigned char byte = i < plain.size() ? static_cast<unsigned char>(plain[i]) : 0;
            std::snprintf(piece, sizeof piece, "%02X", static_cast<unsigned>((byte + key[i % 3]) % 256));
            out += piece;
        }
        while (out.size() < 28) {
            std::snprintf(piece, sizeof piece, "%02X", static_cast<unsigned>(QvcRand()));
            out += piece;
        }
    }
    return CQvcString(std::move(out));
}

CQvcString CQvcString::Unscramble(std::string_view scrambled) {
    if (scrambled.size() < 8)
        return CQvcString();
    auto pair = [&](std::size_t at) { return HexValue(scrambled[at]) * 16 + HexValue(scrambled[at + 1]); };
    const int key[3] = {pair(0), pair(2), pair(4)};
    std::string out;
    for (std::size_t at = 6, n = 0; at + 1 < scrambled.size(); at += 2, ++n) {
        int byte = (pair(at) + 256 - key[n % 3]) % 256;
        if (byte == 0)
            break;
        out += static_cast<char>(byte);
    }
    return CQvcString(std::move(out));
}

// --- number texts and validators ----------------------------------------------------------

bool QvcIsNumeric(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-'; });
}

bool QvcIsInteger(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

int QvcSetDecimalSeparator(CQvcString& text, char separator, int decimals) {
    if (!QvcIsNumeric(text.Str()))
        return -1;
    std::string s = text.Str();
    for (char& c : s)
        if (c == '.' || c == ',')
            c = separator;
    if (s.find(separator) == std::string::npos && decimals > 0) {
        s += separator;
        s.append(static_cast<std::size_t>(decimals), '0');
    }
    text = s;
    return 0;
}

bool QvcIsValidNetBiosName(std::string_view text) {
    if (text.empty() || text.size() > 64)
        return false;
    return text.find_first_of("~%;,|") == std::string_view::npos;
}

bool QvcIsValidPagerNumber(std::string_view text) {
    if (text.empty() || text.size() > 32)
        return false;
    static constexpr std::string_view kAllowed = "0123456789 ,+-*#@ABCDWabcdw";
    return text.find_first_not_of(kAllowed) == std::string_view::npos;
}

bool QvcIsValidPlainName(std::string_view text) {
    if (text.empty())
        return false;
    return text.find_first_of("~\\/%;,|<>@") == std::string_view::npos;
}

bool QvcIsValidObjectId(std::string_view text) {
    std::string_view t = TrimView(text);
    if (t.empty() || t.back() == '.')
        return false;
    if (t.find_first_not_of("0123456789.") != std::string_view::npos)
        return false;
    return t.find("..") == std::string_view::npos;
}
