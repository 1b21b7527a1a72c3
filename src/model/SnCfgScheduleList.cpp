#include "model/SnCfgScheduleList.h"

#include <algorithm>

CSnCfgSchedule CSnCfgScheduleList::Entry(int index) const {
    CSnCfgSchedule entry;
    entry.Parse(m_text, index);
    return entry;
}

std::vector<CSnCfgSchedule> CSnCfgScheduleList::Entries() const {
    std::vector<CSnCfgSchedule> entries;
    for (int i = 0; i < kMaxEntries; ++i) {
        CSnCfgSchedule entry = Entry(i);
        if (entry.Time == 0)
            break;
        entries.push_back(entry);
    }
    return entries;
}

int CSnCfgScheduleList::PieceCount() const {
    if (m_text.IsEmpty())
        return 0;
    const std::string& text = m_text.Str();
    return static_cast<int>(std::count(text.begin(), text.end(), '|')) + 1;
}

bool CSnCfgScheduleList::Append(const CSnCfgSchedule& entry) {
    if (PieceCount() >= kMaxEntries)
        return false;
    if (!m_text.IsEmpty())
        m_text += "|";
    m_text += entry.ToText();
    return true;
}

bool CSnCfgScheduleList::Assign(const std::vector<CSnCfgSchedule>& entries) {
    Clear();
    bool all = true;
    for (const CSnCfgSchedule& entry : entries)
        all = Append(entry) && all;
    return all;
}
