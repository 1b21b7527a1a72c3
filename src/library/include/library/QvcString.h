#pragma once
// CQvcString: the 8-bit text type of the whole system (UTF-8 on Linux).
//
// Besides the usual string operations it carries the tokenising on which every stored
// setting rests ("a||b||c", "Key:=Value;;Key2:=Value2"), path and text helpers, and the
// scrambled form in which stored passwords are kept.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define QVC_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#else
#define QVC_PRINTF(fmtIndex, argIndex)
#endif

class CQvcString {
public:
    CQvcString() = default;
    CQvcString(const char* text); // NOLINT: implicit like the texts it stands for; null is empty
    CQvcString(std::string text) : m_text(std::move(text)) {}
    CQvcString(std::string_view text) : m_text(text) {}
    CQvcString(const wchar_t* text); // NOLINT: converted to UTF-8
    explicit CQvcString(char c) : m_text(1, c) {}
    explicit CQvcString(int value);  // "%d"
    explicit CQvcString(long value); // "%ld"
    CQvcString(const CQvcString& other) : m_text(other.m_text) {}
    CQvcString(CQvcString&& other) noexcept : m_text(std::move(other.m_text)) { other.Changed(); }
    ~CQvcString() = default;

    CQvcString& operator=(const CQvcString& other);
    CQvcString& operator=(CQvcString&& other) noexcept;
    CQvcString& operator=(const char* text);
    CQvcString& operator=(const std::string& text);
    CQvcString& operator=(char c);
    CQvcString& operator+=(const CQvcString& text);
    CQvcString& operator+=(const char* text);
    CQvcString& operator+=(const std::string& text);
    CQvcString& operator+=(char c);

    // --- access -------------------------------------------------------------------
    const char* c_str() const { return m_text.c_str(); }
    const std::string& Str() const { return m_text; }
    operator std::string_view() const { return m_text; }
    std::size_t Length() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty();
    char operator[](std::size_t i) const { return m_text[i]; }
    char Last() const { return m_text.empty() ? '\0' : m_text.back(); }

    CQvcString Left(std::size_t count) const;
    CQvcString Right(std::size_t count) const;
    CQvcString Mid(std::size_t first, std::size_t count = std::string::npos) const;
    // Index of the first occurrence at or after `from`, or -1.
    long Find(std::string_view what, std::size_t from = 0) const;
    long Find(char c, std::size_t from = 0) const;
    long ReverseFind(char c) const;

    bool operator==(const CQvcString& other) const { return m_text == other.m_text; }
    bool operator==(const char* other) const { return m_text == (other ? other : ""); }
    bool operator<(const CQvcString& other) const { return m_text < other.m_text; }
    // strcmp-style comparison ignoring ASCII letter case.
    int CompareNoCase(std::string_view other) const;
    bool EqualsNoCase(std::string_view other) const { return CompareNoCase(other) == 0; }

    // --- formatting ---------------------------------------------------------------
    // printf-style; results of more than 2046 characters are cut there.
    CQvcString& Format(const char* format, ...) QVC_PRINTF(2, 3);
    CQvcString& FormatV(const char* format, va_list args);
    // As Format, but the buffer starts at 2047 characters and doubles until the result
    // fits (up to 2^30); on failure the string becomes empty.
    CQvcString& FormatGrow(const char* format, ...) QVC_PRINTF(2, 3);
    // As Format with a caller-given capacity (the result is cut to capacity-1).
    CQvcString& FormatSized(std::size_t capacity, const char* format, ...) QVC_PRINTF(3, 4);

    // --- editing ------------------------------------------------------------------
    // Removes leading and trailing spaces, tabs, CR and LF.
    CQvcString& Trim();
    CQvcString& TrimLeftChar(char c);
    CQvcString& TrimRightChar(char c);
    // Appends the character unless the text already ends with it.
    CQvcString& EnsureTrailing(char c);
    // Removes `prefix` from the front if, and only if, the text starts with it (case counts).
    CQvcString& RemovePrefix(std::string_view prefix);
    // Removes `suffix` from the end, repeatedly, while the text ends with it.
    CQvcString& RemoveSuffix(std::string_view suffix);
    // Puts `text` in front; with `unlessPresent`, nothing when the text already starts with it.
    CQvcString& Prepend(std::string_view text, bool unlessPresent = false);
    bool StartsWith(std::string_view text, bool caseSensitive = true) const;
    bool EndsWith(std::string_view text, bool caseSensitive = true) const;
    // False when either side is empty.
    bool Contains(std::string_view text, bool caseSensitive = true) const;
    // Replaces every occurrence, left to right, without overlaps; an empty `find` does
    // nothing.  A case-insensitive search keeps the letter case of the untouched text.
    CQvcString& Replace(std::string_view find, std::string_view with, bool caseSensitive = true);
    // Replaces whole words only; a word is a run between space, tab, '"', ',', '\'', CR, LF.
    CQvcString& ReplaceWord(std::string_view word, std::string_view with, bool caseSensitive = true);
    // In a template, every "<% name %>" (inner text trimmed, case ignored) becomes `value`;
    // other placeholders are written back as "<% inner %>"; an unclosed "<%" ends the scan.
    CQvcString& FillPlaceholder(std::string_view name, std::string_view value);
    // If longer than `limit`, cuts so that text + suffix is exactly `limit` long.
    CQvcString& TruncateWithSuffix(std::size_t limit, std::string_view suffix);
    CQvcString& MakeUpper();
    CQvcString& MakeLower();
    // True for an empty text or one made only of decimal digits.
    bool IsDigits() const;
    // The numbered user-interface text, at most 254 characters; empty when unknown.
    CQvcString& LoadString(unsigned id);
    // "C:\dir" on computer "srv" becomes "\\srv\C$\dir"; other texts are unchanged.
    CQvcString& DriveToSharePath(std::string_view computer);
    // Every "||" becomes CR LF (stored lists shown in multi-line boxes).
    CQvcString& BarsToLineBreaks();
    // Every CR LF becomes "||" (what the user typed, stored on one line).
    CQvcString& LineBreaksToBars();

    // --- tokens -------------------------------------------------------------------
    // Token `index` (from 0) by `separator`; `out` is `def` when the text has too few
    // separators or the token is empty.  Returns true when a non-empty token was found.
    // Asking for index i+1 right after index i continues from the remembered position.
    bool GetToken(std::string_view separator, const char* def, CQvcString& out, int index) const;
    CQvcString Token(std::string_view separator, int index, const char* def = "") const;
    // The token converted with atol; a missing token yields `def`.
    long GetTokenLong(std::string_view separator, long def, int index) const;
    // Number of leading non-empty tokens, stopping at the first empty one.
    int CountTokens(std::string_view separator) const;
    // True when one of the leading non-empty tokens equals `value`.
    bool HasToken(std::string_view separator, std::string_view value, bool caseSensitive = true) const;

    // Settings-string reading: items by `itemSeparator`, key and value by
    // `assignSeparator`; first key equal to `key` (case ignored) gives its trimmed value;
    // an empty item ends the search.  `out` is `def` otherwise.  Returns true when found.
    static bool GetSetting(std::string_view text, std::string_view itemSeparator, std::string_view key,
                           const char* def, CQvcString& out, std::string_view assignSeparator = ":=");
    // Convenience: ";;" and ":=".
    static CQvcString Setting(std::string_view text, std::string_view key, const char* def = "");

    // --- secrets ------------------------------------------------------------------
    // The scrambled form of stored passwords: upper-case hexadecimal pairs, at least 28
    // digits for any non-empty text.
    static CQvcString Scramble(std::string_view plain);
    static CQvcString Unscramble(std::string_view scrambled);

private:
    void Changed() { m_tokenMark = 0; }

    bool SameTokenSeparator(std::string_view separator) const;
    void RememberToken(std::string_view separator, int index, std::size_t pos) const;

    // Every node carries dozens of texts: the string stays small (40 bytes).
    std::string m_text;
    // Remembered position of the last GetToken, packed into 8 bytes: where the token began,
    // its index plus one (0: nothing remembered) and its one-character separator.  A longer
    // separator, a position past 4 GB or an index past 16 million is not remembered: the
    // next walk starts from the front.
    static constexpr std::uint32_t kTokenMarkMax = (1u << 24) - 1;
    mutable std::uint32_t m_tokenPos = 0;
    mutable std::uint32_t m_tokenMark : 24 = 0;
    mutable std::uint32_t m_tokenSep : 8 = 0;
};

CQvcString operator+(const CQvcString& a, const CQvcString& b);
CQvcString operator+(const CQvcString& a, const char* b);
CQvcString operator+(const char* a, const CQvcString& b);

// The text without the blanks (space, tab, CR, LF) at either end, as Trim leaves it.
std::string_view QvcTrimBlanks(std::string_view text);

// --- number texts ---------------------------------------------------------------------
// Only digits, full stops, commas and minus signs; empty counts as numeric.
bool QvcIsNumeric(std::string_view text);
// Only digits and minus signs; empty counts.
bool QvcIsInteger(std::string_view text);
// Turns every '.' and ',' into `separator`; when the text then lacks it and `decimals`
// > 0, appends it and that many "0".  0, or -1 for a text that is not numeric.
int QvcSetDecimalSeparator(CQvcString& text, char separator, int decimals);

// --- validators -----------------------------------------------------------------------
bool QvcIsValidNetBiosName(std::string_view text);
bool QvcIsValidPagerNumber(std::string_view text);
bool QvcIsValidPlainName(std::string_view text);
bool QvcIsValidObjectId(std::string_view text);
