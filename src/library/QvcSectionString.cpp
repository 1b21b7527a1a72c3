#include "library/QvcSectionString.h"

#include <cstdio>
#include <cstring>

void CQvcSectionString::Set(const char* buffer, std::size_t size) {
    m_data.clear();
    if (!buffer)
        return;
    std::size_t pos = 0;
    while (pos < size && buffer[pos] != '\0') {
        std::size_t len = 0;
        while (pos + len < size && buffer[pos + len] != '\0')
            ++len;
        m_data.append(buffer + pos, len);
        m_data += '\0';
        pos += len + 1;
    }
}

void CQvcSectionString::Append(std::string_view entry) {
    // An entry ends at its first NUL: a NUL inside would end the whole list.
    entry = entry.substr(0, entry.find('\0'));
    if (entry.empty())
        return;
    m_data.append(entry);
    m_data += '\0';
}

void CQvcSectionString::AppendNumbered(unsigned long number, std::string_view text) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%08lX|", number);
    std::string entry(prefix);
    entry.append(text.substr(0, text.find('\0')));
    Append(entry);
}

void CQvcSectionString::KeepLast(std::size_t n) {
    std::size_t total = CountEntries();
    if (total <= n)
        return;
    std::size_t drop = total - n;
    std::size_t pos = 0;
    while (drop-- > 0)
        pos = m_data.find('\0', pos) + 1;
    m_data.erase(0, pos);
}

std::size_t CQvcSectionString::CountEntries() const {
    std::size_t count = 0;
    for (char c : m_data)
        if (c == '\0')
            ++count;
    return count;
}

const char* CQvcSectionString::Buffer() const {
    m_buffer = m_data;
    m_buffer += '\0';
    if (m_data.empty())
        m_buffer += '\0';
    return m_buffer.c_str(); // c_str adds one more NUL after the closing one
}

std::vector<std::string_view> CQvcSectionString::Entries() const {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < m_data.size()) {
        std::size_t end = m_data.find('\0', pos);
        out.emplace_back(m_data.data() + pos, end - pos);
        pos = end + 1;
    }
    return out;
}
