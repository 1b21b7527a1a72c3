#include "model/schedule/SnCfgScheduleList.h"

#include <algorithm>

CSnCfgSchedule CSnCfgScheduleList::Entry(int index) const {
    CSnCfgSchedule entry;
    entry.Parse(m_text.Get(), index);
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
    const std::string& text = m_text->Str();
    if (text.empty())
        return 0;
    return static_cast<int>(std::count(text.begin(), text.end(), '|')) + 1;
}

bool CSnCfgScheduleList::Append(const CSnCfgSchedule& entry) {
    if (PieceCount() >= kMaxEntries)
        return false;
    CQvcString& text = m_text.Edit();
    if (!text.IsEmpty())
        text += "|";
    text += entry.ToText();
    return true;
}

bool CSnCfgScheduleList::Assign(const std::vector<CSnCfgSchedule>& entries) {
    Clear();
    bool all = true;
    for (const CSnCfgSchedule& entry : entries)
        all = Append(entry) && all;
    return all;
}

std::int64_t CSnCfgScheduleList::NextStart(std::int64_t after) const {
    std::int64_t next = -1;
    for (const CSnCfgSchedule& entry : Entries()) {
        const std::int64_t start = entry.NextStart(after);
        if (start >= 0 && (next < 0 || start < next))
            next = start;
    }
    return next;
}

bool CSnCfgScheduleList::Covers(std::int64_t when, std::int64_t* windowEnd) const {
    bool covered = false;
    std::int64_t latest = 0;
    for (const CSnCfgSchedule& entry : Entries()) {
        std::int64_t end = 0;
        if (entry.Covers(when, &end)) {
            covered = true;
            latest = std::max(latest, end);
        }
    }
    if (covered && windowEnd != nullptr)
        *windowEnd = latest;
    return covered;
}
