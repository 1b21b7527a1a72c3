#pragma once
// CStreamMatcher: looks for a text in content as it streams in (a web page, a fetched
// file), ignoring case, with no limit on the content's size: only the end of the previous
// chunk (one byte less than the text) is kept, so that a text split between two chunks is
// found too.
#include <cctype>
#include <string>
#include <string_view>

class CStreamMatcher {
public:
    explicit CStreamMatcher(std::string_view text) : m_text(Upper(text)) {}
    void Feed(std::string_view chunk) {
        if (m_found || m_text.empty())
            return;
        m_window += Upper(chunk);
        m_found = m_window.find(m_text) != std::string::npos;
        const std::size_t keep = m_text.size() - 1;
        if (m_window.size() > keep)
            m_window.erase(0, m_window.size() - keep);
    }
    bool Found() const { return m_found; }
    // New content (a redirect followed) starts over.
    void Restart() {
        m_window.clear();
        m_found = false;
    }

private:
    static std::string Upper(std::string_view text) {
        std::string out(text);
        for (char& c : out)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return out;
    }
    std::string m_text;
    std::string m_window;
    bool m_found = false;
};
