#include "model/tree/SnTreeWalk.h"

#include "library/ErrorReport.h"

#include <algorithm>

namespace treewalk {

namespace {

// Tables of finished walks, for the next walks of the same thread.  Nested walks each
// take their own.
thread_local std::vector<VisitedSet::Table> t_spareTables;

} // namespace

static_assert(sizeof(CSnNode) >= (std::size_t{1} << VisitedSet::kLineBits),
              "two nodes would share a bit of the visited set");

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

namespace {

std::size_t SlotOf(std::uint64_t stretch, std::size_t mask) {
    return static_cast<std::size_t>((stretch * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

} // namespace

VisitedSet::Block& VisitedSet::BlockOf(std::uint64_t stretch) {
    if ((m_used + 1) * 2 > m_table.Slots.size())
        Grow();
    const std::size_t mask = m_table.Slots.size() - 1;
    for (std::size_t i = SlotOf(stretch, mask);; i = (i + 1) & mask) {
        Slot& slot = m_table.Slots[i];
        if (slot.Mark == m_table.Mark) {
            if (slot.Stretch == stretch)
                return m_table.Blocks[slot.Block];
            continue;
        }
        // The blocks are handed out in order within a use: the first m_used are taken.
        if (m_used == m_table.Blocks.size())
            m_table.Blocks.emplace_back();
        slot = {stretch, m_table.Mark, static_cast<std::uint32_t>(m_used)};
        Block& block = m_table.Blocks[m_used++];
        block.fill(0);
        return block;
    }
}

void VisitedSet::Grow() {
    std::vector<Slot> old(m_table.Slots.empty() ? 64 : m_table.Slots.size() * 2);
    old.swap(m_table.Slots);
    const std::size_t mask = m_table.Slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.Mark != m_table.Mark)
            continue;
        std::size_t i = SlotOf(slot.Stretch, mask);
        while (m_table.Slots[i].Mark == m_table.Mark)
            i = (i + 1) & mask;
        m_table.Slots[i] = slot;
    }
}

void ReportRevisit() {
    QvcAssertFailure(__FILE__, __LINE__);
}

void ReportTooDeep() {
    QvcAssertFailure(__FILE__, __LINE__);
}

} // namespace treewalk
