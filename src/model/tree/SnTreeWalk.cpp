#include "model/tree/SnTreeWalk.h"

#include "library/ErrorReport.h"

namespace treewalk {

static_assert(sizeof(CSnNode) >= (std::size_t{1} << VisitedSet::kLineBits),
              "two nodes would share a bit of the visited set");

// A fresh set per walk: its table and blocks are a few KB for a small tree and a few
// hundred KB for 100,000 nodes, cheap beside the walk itself, and no thread-local state
// is left behind in whichever program or loaded module ran the walk.
VisitedSet::VisitedSet() {
    m_table.Mark = 1; // a slot is taken when it carries this mark
}

VisitedSet::~VisitedSet() = default;

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
