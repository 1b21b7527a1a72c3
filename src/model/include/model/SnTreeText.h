#pragma once
// The tree text of the configuration: items separated by ";", each a node ID, "=" and a
// comma-separated list.  The list's first number is the node's first child (0 = none);
// for the root and for a folder's first child the IDs of the following siblings come
// next (a single 0 when there are none); every other item carries a single 0 there.
//
// Building a tree from a text is defensive: an ID is placed at most once, folders nest
// at most kMaxDepth levels below the root, and the sibling list of an item counts only
// where the format puts one (the root and first children).  A text that breaks these
// rules (a cycle, a node referenced twice, a nesting too deep) is refused with 25050
// instead of being followed without end; nothing else in a text can stop the walk.
#include "library/QvcBase.h"
#include "library/QvcString.h"

#include <functional>
#include <vector>

class CSnNode;

class CSnTreeText {
public:
    struct Item {
        long Id = 0;
        std::vector<long> List;
    };

    // Deepest level of a placed node; the root is level 0.
    static constexpr int kMaxDepth = 20;
    // Code of a refused tree ("Invalid Tree Item").
    static constexpr long kInvalidTree = 25050;

    // Splits at ";" and "=", takes every number with atol, drops items whose ID is 0 or
    // less and sorts the rest by ID (stable).  An empty text reads as "1,0".
    static std::vector<Item> Parse(const CQvcString& text);
    // The first item of that ID in sorted items, or null.
    static const Item* Find(const std::vector<Item>& items, long id);

    // Called for every node the walk places: its ID, its parent's ID (0 for the root), the
    // ID of the sibling it follows (0 when it is the first child or the root), its level.
    using PlaceFn = std::function<void(long id, long parent, long previous, int depth)>;
    // Walks the items from `rootId` in the order a tree build creates the nodes.  0, or
    // kInvalidTree when the walk had to refuse a node (see the class comment); the nodes
    // placed before the refusal have been reported.  `tracer` receives the refusals.
    static long Walk(const std::vector<Item>& items, long rootId, const PlaceFn& place,
                     const CQvcBase* tracer = nullptr);

    // The text of the tree below `root` in the order the store writes it; each item is
    // traced as "Write Tree Item %s: %s".  kInvalidTree for a tree whose links loop or
    // nest deeper than kMaxDepth (nothing useful is written then).
    static long Write(const CSnNode* root, CQvcString& out, const CQvcBase* tracer = nullptr);
};
