#include "model/tree/SnTreeWalk.h"

#include "library/ErrorReport.h"
#include "model/tree/SnNode.h"

#include <unordered_set>
#include <utility>
#include <vector>

WalkOutcome WalkTree(CSnNode* first, const TreeVisitor& visit, WalkScope scope) {
    // An explicit stack of the chains still to continue, so that a deep tree costs heap,
    // not call stack: each entry is the next node of a chain and that chain's depth.
    WalkOutcome outcome;
    std::unordered_set<const CSnNode*> seen;
    std::vector<std::pair<CSnNode*, int>> pending;
    if (first)
        pending.emplace_back(first, 0);
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > kMaxWalkDepth) {
            QvcAssertFailure(__FILE__, __LINE__); // nested deeper than any stored tree
            outcome.TooDeep = true;
            continue;
        }
        if (!seen.insert(node).second) {
            QvcAssertFailure(__FILE__, __LINE__); // a link leads back into the walk
            if (!outcome.Revisited)
                outcome.Revisited = node;
            continue;
        }
        const WalkStep step = visit(node, depth);
        if (step == WalkStep::Stop) {
            outcome.Stopped = true;
            return outcome;
        }
        // The sibling waits below the children, so the children come first.
        if (node->NextNode())
            pending.emplace_back(node->NextNode(), depth);
        if (step == WalkStep::Continue && scope == WalkScope::Subtrees && node->ChildNode())
            pending.emplace_back(node->ChildNode(), depth + 1);
    }
    return outcome;
}

CSnNode* FindInTree(CSnNode* first, const std::function<bool(const CSnNode*)>& match, WalkScope scope) {
    CSnNode* found = nullptr;
    WalkTree(
        first,
        [&](CSnNode* n, int) {
            if (!match(n))
                return WalkStep::Continue;
            found = n;
            return WalkStep::Stop;
        },
        scope);
    return found;
}
