#include "model/tree/SnTreeWalk.h"

#include "library/ErrorReport.h"

namespace treewalk {

void VisitedSet::Grow() {
    std::vector<const CSnNode*> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, nullptr);
    m_mask = m_slots.size() - 1;
    m_count = 0;
    for (const CSnNode* n : old)
        if (n != nullptr)
            Insert(n);
}

void ReportRevisit() {
    QvcAssertFailure(__FILE__, __LINE__);
}

void ReportTooDeep() {
    QvcAssertFailure(__FILE__, __LINE__);
}

} // namespace treewalk
