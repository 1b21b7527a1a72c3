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
#include "model/tree/SnTreeText.h"

#include <functional>

class CSnNode;

enum class WalkStep {
    Continue, // visit the node's children next, then its sibling
    Skip,     // leave the node's children out, go on with its sibling
    Stop,     // end the whole walk
};

// How far below `first` a walk goes: its own chain only, or every subtree.
enum class WalkScope { Chain, Subtrees };

inline constexpr int kMaxWalkDepth = CSnTreeText::kMaxDepth + 1;

using TreeVisitor = std::function<WalkStep(CSnNode* node, int depth)>;

// How a walk ended.
struct WalkOutcome {
    bool Stopped = false;               // the visitor ended the walk
    const CSnNode* Revisited = nullptr; // the first node a link led back to, if any
    bool TooDeep = false;               // nodes below kMaxWalkDepth were left out

    bool operator==(const WalkOutcome&) const = default;
};

// Walks `first` and its next siblings (and their subtrees with WalkScope::Subtrees).
WalkOutcome WalkTree(CSnNode* first, const TreeVisitor& visit, WalkScope scope = WalkScope::Subtrees);

// The first node in walk order that `match` accepts, or nullptr.
CSnNode* FindInTree(CSnNode* first, const std::function<bool(const CSnNode*)>& match,
                    WalkScope scope = WalkScope::Subtrees);
