#pragma once
// CQvcSectionString: a list of NUL-terminated entries closed by one more NUL, the layout
// in which the profile functions exchange whole sections.  The count covers the entries
// with their terminators, not the closing NUL; an empty section string is two NULs with
// count 0.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CQvcSectionString {
public:
    CQvcSectionString() = default;

    // Copies every entry of a double-NUL buffer up to the empty one.  With `size`, the
    // copy never reads past that many bytes.
    void Set(const char* buffer, std::size_t size = std::string::npos);
    void Clear() { m_data.clear(); }
    // Appends one entry; an empty entry is ignored.
    void Append(std::string_view entry);
    // Appends "%08lX" of `number` + "|" + text.
    void AppendNumbered(unsigned long number, std::string_view text);
    // Keeps only the last `n` entries, dropping the oldest.
    void KeepLast(std::size_t n);
    std::size_t CountEntries() const;
    // Bytes of the entries with their terminators.
    std::size_t Count() const { return m_data.size(); }
    bool IsEmpty() const { return m_data.empty(); }
    // The double-NUL buffer for the profile functions (valid until the next change).
    const char* Buffer() const;
    std::vector<std::string_view> Entries() const;

private:
    std::string m_data; // entries, each followed by its NUL; the closing NUL is added by Buffer()
    mutable std::string m_buffer;
};
