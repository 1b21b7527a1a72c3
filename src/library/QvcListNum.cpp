#include "library/QvcListNum.h"

#include <algorithm>
#include <cstdlib>

CQvcListNum::CQvcListNum(const char* separator, const char* altSeparator) {
    m_separators.Assign(Separators{separator, altSeparator});
}

int CQvcListNum::Add(std::int32_t value, bool allowDuplicate) {
    if (!allowDuplicate && Contains(value))
        return 0;
    m_values.push_back(value);
    return 1;
}

bool CQvcListNum::Contains(std::int32_t value) const {
    return std::find(m_values.begin(), m_values.end(), value) != m_values.end();
}

void CQvcListNum::RemoveAll() {
    m_values.clear();
    m_cursor = 0;
}

std::int32_t CQvcListNum::GetFirst() {
    m_cursor = 0;
    return GetNext();
}

std::int32_t CQvcListNum::GetNext() {
    if (m_cursor >= m_values.size())
        return kNoValue;
    return m_values[m_cursor++];
}

std::int32_t CQvcListNum::GetAt(std::size_t index) const {
    return index < m_values.size() ? m_values[index] : kNoValue;
}

void CQvcListNum::Sort() {
    std::sort(m_values.begin(), m_values.end());
    m_cursor = 0;
}

CQvcString CQvcListNum::Join() const {
    CQvcString out;
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        if (i > 0)
            out += m_separators->Main;
        out += CQvcString(static_cast<long>(m_values[i]));
    }
    return out;
}

int CQvcListNum::Parse(const CQvcString& text, bool allowDuplicate) {
    RemoveAll();
    const Separators& separators = *m_separators;
    if (separators.Main.IsEmpty())
        return 0;
    CQvcString work = text;
    if (!separators.Alt.IsEmpty())
        work.Replace(separators.Alt.Str(), separators.Main.Str(), false);
    for (int i = 0;; ++i) {
        CQvcString token;
        if (!work.GetToken(separators.Main.Str(), "", token, i))
            break;
        const int value = std::atoi(token.c_str());
        CQvcString trimmed = token;
        trimmed.Trim();
        if ((value == 0 && trimmed.Str() != "0") || !Add(value, allowDuplicate)) {
            RemoveAll();
            return 0;
        }
    }
    return 1;
}
