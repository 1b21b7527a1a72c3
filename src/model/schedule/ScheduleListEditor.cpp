#include "model/schedule/ScheduleListEditor.h"

#include "library/Messages.h"

#include <algorithm>

namespace {

sheetrules::Refusal Refuse(unsigned id, bool errorIcon) {
    sheetrules::Refusal r{id, CQvcString(), errorIcon};
    if (id == 51635)
        r.Text.FormatGrow(MessageText(id), CSnCfgScheduleList::kMaxEntries);
    else
        r.Text = MessageText(id);
    return r;
}

} // namespace

CScheduleListEditor::CScheduleListEditor(Use use, const CSnCfgScheduleList& list)
    : m_use(use), m_rows(list.Entries()) {}

CScheduleListEditor::AddResult CScheduleListEditor::Add(const CSnCfgSchedule& entry) {
    if (static_cast<int>(m_rows.size()) >= CSnCfgScheduleList::kMaxEntries)
        return {false, Refuse(51635, true)};
    if (m_use == Use::GlobalMaintenance && entry.Hours == 0)
        return {false, Refuse(50358, false)};
    if (entry.Kind == CSnCfgSchedule::kKindWeekdays && !entry.AnyDaySet())
        return {false, Refuse(51636, false)};
    if (m_use == Use::GlobalMaintenance && std::find(m_rows.begin(), m_rows.end(), entry) != m_rows.end())
        return {};
    m_rows.push_back(entry);
    return {true, {}};
}

void CScheduleListEditor::Remove(int row) {
    if (row >= 0 && row < static_cast<int>(m_rows.size()))
        m_rows.erase(m_rows.begin() + row);
}

bool CScheduleListEditor::HasPendingEntry(const CSnCfgSchedule& typed) const {
    if (m_use != Use::Scan && typed.Kind == CSnCfgSchedule::kKindDate)
        return true;
    return typed.Kind == CSnCfgSchedule::kKindWeekdays && typed.AnyDaySet();
}

sheetrules::Refusal CScheduleListEditor::CheckOk() const {
    if (m_use == Use::Scan && m_rows.empty())
        return Refuse(61695, false);
    return {};
}

CSnCfgScheduleList CScheduleListEditor::List() const {
    CSnCfgScheduleList list;
    list.Assign(m_rows);
    return list;
}
