#pragma once
// The tree text of the configuration: items separated by ";", each a node ID, "=" and a
// comma-separated list.  The list's first number is the node's first child (0 = none);
// for the root and for a folder's first child the IDs of the following siblings come
// next (a single 0 when there are none); every other item carries a single 0 there.
//
// Reading a text checks it: every ID may be placed once, folders nest at most kMaxDepth
// levels below the root.  A text that names a node as its own child or sibling, names a
// node twice (in two places, or twice in one sibling list), loops back to an ancestor, or
// nests too deep is damaged: Read reports every fault and refuses it with 25050.  The
// tree it fills meanwhile keeps the first occurrence of every ID and drops the others
// (a loop is cut at the edge that leads back), which is what a repair writes; nodes
// nested too deep stay in it, and Format refuses such a tree.
// Sibling lists stored where the format has none (the root's, a later sibling's) are
// not followed.
#include "library/QvcBase.h"
#include "library/QvcString.h"

#include <functional>
#include <unordered_map>
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

    enum class Fault {
        SelfReference, // an item names its own ID as child or sibling
        Repeated,      // an ID placed before is named again
        Cycle,         // an ID names one of its ancestors
        TooDeep,       // a node below kMaxDepth
    };
    struct Problem {
        Fault Kind;
        long Id;     // the node named
        long Parent; // the folder under which it was named
        bool operator==(const Problem&) const = default;
    };
    // "is listed as its own child or sibling", ...
    static const char* Describe(Fault fault);

    // Every node's ordered children below a root.
    class Tree {
    public:
        explicit Tree(long rootId = 1);
        long RootId() const { return m_root; }
        bool Contains(long id) const { return id == m_root || m_parent.count(id) != 0; }
        // 0 for the root and for an ID not in the tree.
        long ParentOf(long id) const;
        const std::vector<long>& ChildrenOf(long id) const;
        // Every node, each before its children, children in order.
        std::vector<long> Nodes() const;
        // The nodes below `id` in the same order (without `id`).
        std::vector<long> Below(long id) const;
        std::size_t Size() const { return m_parent.size() + 1; }

        // `id` as the last child of `parent`; false when `id` is in the tree already or
        // `parent` is not.
        bool Append(long parent, long id);
        // Moves `id` with its subtree to the end of `parent`; false when either is missing,
        // `id` is the root, or `parent` lies in the subtree of `id`.
        bool MoveToEnd(long id, long parent);
        // Takes `id` and its subtree out; returns them, `id` first (empty for the root or
        // an ID not in the tree).
        std::vector<long> Remove(long id);

        // Called for every node in Nodes() order: its ID, its parent (0 for the root), the
        // sibling it follows (0 for a first child and the root) and its level.
        using VisitFn = std::function<void(long id, long parent, long previous, int depth)>;
        void Visit(const VisitFn& visit) const;

    private:
        void Collect(long id, std::vector<long>& out) const;

        long m_root;
        std::unordered_map<long, std::vector<long>> m_children;
        std::unordered_map<long, long> m_parent;
    };

    // Splits at ";" and "=", takes every number with atol, drops items whose ID is 0 or
    // less and sorts the rest by ID (stable).  An empty text reads as "1,0".
    static std::vector<Item> Parse(const CQvcString& text);
    // The first item of that ID in sorted items, or null.
    static const Item* Find(const std::vector<Item>& items, long id);

    // The tree below `rootId` that the text describes (see the class comment).  0, or
    // kInvalidTree when the text is damaged; `problems` (when given) receives every fault
    // and `tracer` a line for each.
    static long Read(const CQvcString& text, long rootId, Tree& tree,
                     std::vector<Problem>* problems = nullptr, const CQvcBase* tracer = nullptr);
    // The text of a tree in the order the store writes it; each item is traced as
    // "Write Tree Item %s: %s".  kInvalidTree for a tree that nests deeper than kMaxDepth.
    static long Format(const Tree& tree, CQvcString& out, const CQvcBase* tracer = nullptr);
    // The tree of linked nodes below `root`; kInvalidTree when the links loop or reach a
    // node twice.
    static long FromNodes(const CSnNode* root, Tree& tree);
    // FromNodes, then Format.
    static long Write(const CSnNode* root, CQvcString& out, const CQvcBase* tracer = nullptr);
};
