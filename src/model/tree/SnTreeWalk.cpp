#include "model/tree/SnTreeWalk.h"

#include "library/ErrorReport.h"

#include <algorithm>

namespace treewalk {

namespace {

// Tables of finished walks, for the next walks of the same thread.  Nested walks each
// take their own.
thread_local std::vector<VisitedSet::Table> t_spareTables;

} // namespace

VisitedSet::VisitedSet() {
    if (!t_spareTables.empty()) {
        m_table = std::move(t_spareTables.back());
        t_spareTables.pop_back();
    }
    if (++m_table.Mark == 0) { // the marks went round: forget every old one
        std::fill(m_table.Slots.begin(), m_table.Slots.end(), Slot{});
        m_table.Mark = 1;
    }
}

VisitedSet::~VisitedSet() {
    if (!m_table.Slots.empty())
        t_spareTables.push_back(std::move(m_table));
}

void VisitedSet::Grow() {
    std::vector<Slot> old(m_table.Slots.empty() ? 64 : m_table.Slots.size() * 2);
    old.swap(m_table.Slots);
    const std::uint32_t mark = m_table.Mark;
    m_count = 0;
    for (const Slot& slot : old)
        if (slot.Mark == mark)
            Insert(slot.Node);
}

void ReportRevisit() {
    QvcAssertFailure(__FILE__, __LINE__);
}

void ReportTooDeep() {
    QvcAssertFailure(__FILE__, __LINE__);
}

} // namespace treewalk
