#pragma once
// The one depth-first walk over the nodes' Child/Next links: a node, then its children
// (each chain walked the same way), then its next sibling.  Every walk over the tree in
// the model, the engine, the engine link, the CLI and the Manager goes through it.
//
// Policy against broken trees (built by hand, or read from a damaged store):
// - Each node is visited at most once.  A link that leads back to a node already reached
//   (a looping sibling chain, a child that points at an ancestor) is not followed: the
//   chain ends there and the assertion log records it.
// - The starting chain is depth 0, its children depth 1, and so on.  Nodes deeper than
//   kMaxWalkDepth (one level more than the store accepts below the root holder) are not
//   visited; the assertion log records the cut.  A tree the store accepts never reaches it.
// The visitor decides, per node, to go on, to skip the node's subtree, or to stop the
// whole walk.
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeText.h"

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

enum class WalkStep {
    Continue, // visit the node's children next, then its sibling
    Skip,     // leave the node's children out, go on with its sibling
    Stop,     // end the whole walk
};

// How far below `first` a walk goes: its own chain only, or every subtree.
enum class WalkScope { Chain, Subtrees };

inline constexpr int kMaxWalkDepth = CSnTreeText::kMaxDepth + 1;

// How a walk ended.
struct WalkOutcome {
    bool Stopped = false;               // the visitor ended the walk
    const CSnNode* Revisited = nullptr; // the first node a link led back to, if any
    bool TooDeep = false;               // nodes below kMaxWalkDepth were left out

    bool operator==(const WalkOutcome&) const = default;
};

namespace treewalk {

// The nodes a walk has reached: an open-addressing table of pointers.  Tables are kept
// per thread and reused (a slot counts only when it carries the current use's mark), so
// a walk neither allocates nor clears a table once the thread has walked a tree as big.
class VisitedSet {
public:
    VisitedSet();
    ~VisitedSet();
    VisitedSet(const VisitedSet&) = delete;
    VisitedSet& operator=(const VisitedSet&) = delete;

    // False when `node` was already in the set.
    bool Insert(const CSnNode* node) {
        if ((m_count + 1) * 2 > m_table.Slots.size())
            Grow();
        const std::size_t mask = m_table.Slots.size() - 1;
        for (std::size_t i = SlotOf(node, mask);; i = (i + 1) & mask) {
            Slot& slot = m_table.Slots[i];
            if (slot.Mark != m_table.Mark) {
                slot = {node, m_table.Mark};
                ++m_count;
                return true;
            }
            if (slot.Node == node)
                return false;
        }
    }

    struct Slot {
        const CSnNode* Node = nullptr;
        std::uint32_t Mark = 0;
    };
    struct Table {
        std::vector<Slot> Slots;
        std::uint32_t Mark = 0;
    };

private:
    static std::size_t SlotOf(const CSnNode* node, std::size_t mask) {
        auto h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(node));
        h ^= h >> 29;
        h *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(h >> 32) & mask;
    }
    void Grow();

    Table m_table;
    std::size_t m_count = 0;
};

// Log the two kinds of broken tree in the assertion log.
void ReportRevisit();
void ReportTooDeep();

} // namespace treewalk

// Walks `first` and its next siblings (and their subtrees with WalkScope::Subtrees),
// calling `visit(CSnNode* node, int depth)`, which returns a WalkStep.
template <class Visit>
WalkOutcome WalkTree(CSnNode* first, Visit&& visit, WalkScope scope = WalkScope::Subtrees) {
    // The siblings still to walk once the current subtree is done wait on a stack of our
    // own, so that a deep tree costs heap, not call stack.
    WalkOutcome outcome;
    treewalk::VisitedSet seen;
    std::vector<std::pair<CSnNode*, int>> pending;
    CSnNode* node = first;
    int depth = 0;
    for (;;) {
        if (node == nullptr) {
            if (pending.empty())
                return outcome;
            std::tie(node, depth) = pending.back();
            pending.pop_back();
        }
        if (depth > kMaxWalkDepth) {
            treewalk::ReportTooDeep();
            outcome.TooDeep = true;
            node = nullptr;
            continue;
        }
        if (!seen.Insert(node)) {
            treewalk::ReportRevisit();
            if (!outcome.Revisited)
                outcome.Revisited = node;
            node = nullptr;
            continue;
        }
        const WalkStep step = visit(node, depth);
        if (step == WalkStep::Stop) {
            outcome.Stopped = true;
            return outcome;
        }
        if (step == WalkStep::Continue && scope == WalkScope::Subtrees && node->ChildNode()) {
            if (node->NextNode())
                pending.emplace_back(node->NextNode(), depth);
            node = node->ChildNode();
            ++depth;
        } else {
            node = node->NextNode();
        }
    }
}

// The first node in walk order that `match(const CSnNode*)` accepts, or nullptr.
template <class Match>
CSnNode* FindInTree(CSnNode* first, Match&& match, WalkScope scope = WalkScope::Subtrees) {
    CSnNode* found = nullptr;
    WalkTree(
        first,
        [&](CSnNode* n, int) {
            if (!match(static_cast<const CSnNode*>(n)))
                return WalkStep::Continue;
            found = n;
            return WalkStep::Stop;
        },
        scope);
    return found;
}
