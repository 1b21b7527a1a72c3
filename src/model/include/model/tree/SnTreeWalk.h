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

#include <array>
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

// The nodes a walk has reached, one bit per 64 bytes of memory.  A node is bigger than
// that, so no two nodes share a bit.  The bits come in blocks of one per 64 KB stretch
// of memory, found through a small table keyed by the stretch.  The nodes of 100,000
// checks lie in some 1,500 stretches: the set stays a few hundred KB, in the cache, where
// a table of pointers would be 4 MB and miss the cache at nearly every node.
// Each walk has a set of its own, so nested walks and walks on other threads keep apart.
class VisitedSet {
public:
    VisitedSet();
    ~VisitedSet();
    VisitedSet(const VisitedSet&) = delete;
    VisitedSet& operator=(const VisitedSet&) = delete;

    static constexpr unsigned kLineBits = 6;    // 64 bytes a bit
    static constexpr unsigned kStretchBits = 16; // 64 KB a block
    using Block = std::array<std::uint64_t, (std::size_t{1} << (kStretchBits - kLineBits)) / 64>;

    // False when `node` was already in the set.
    bool Insert(const CSnNode* node) {
        const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(node));
        const std::uint64_t stretch = address >> kStretchBits;
        if (stretch != m_lastStretch || m_last == nullptr) {
            m_last = &BlockOf(stretch);
            m_lastStretch = stretch;
        }
        const std::uint64_t line = (address >> kLineBits) & ((std::uint64_t{1} << (kStretchBits - kLineBits)) - 1);
        std::uint64_t& word = (*m_last)[line / 64];
        const std::uint64_t bit = std::uint64_t{1} << (line % 64);
        if ((word & bit) != 0)
            return false;
        word |= bit;
        return true;
    }

    struct Slot {
        std::uint64_t Stretch = 0;
        std::uint32_t Mark = 0;
        std::uint32_t Block = 0; // index into Blocks
    };
    struct Table {
        std::vector<Slot> Slots;
        std::vector<Block> Blocks;
        std::uint32_t Mark = 0;
    };

private:
    // The block of `stretch`, cleared when this use claims it.
    Block& BlockOf(std::uint64_t stretch);
    void Grow();

    Table m_table;
    std::size_t m_used = 0; // blocks this use has claimed
    std::uint64_t m_lastStretch = 0;
    Block* m_last = nullptr;
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
