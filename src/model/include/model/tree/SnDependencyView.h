#pragma once
// CSnDependencyView: what the dependencies dialogs show, taken from the tree as it is in
// memory.  For one node: the nodes its Dependencies text names ("depends on") and the
// nodes that depend on it ("is depended on by", from a dependency calculation); for the
// whole configuration: every node that takes part in a dependency.  A view is a snapshot:
// build a new one after the tree or a Dependencies text changed.
#include "library/QvcString.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class CSnCfg;
class CSnNode;

// One line of a dependencies list.
struct SnDependencyEntry {
    std::int32_t Id = 0;
    bool Folder = false;
    CQvcString Name;
    // The folders from the root down to the one that holds the node, joined by "\"
    // (empty for the root and for a node outside the tree).
    CQvcString Path;

    bool operator==(const SnDependencyEntry&) const = default;
};
using SnDependencyEntries = std::vector<SnDependencyEntry>;

class CSnDependencyView {
public:
    // Runs a dependency calculation over the tree below `root`.  `edited`, when given, is
    // a copy of a node being edited (a property sheet's working copy): its Dependencies
    // text counts instead of the one of the tree's node with the same ID, and a node not
    // in the tree yet (a check being created) gets an entry of its own.  The tree's texts
    // are left as they were and its dependents lists match them again afterwards.
    CSnDependencyView(CSnCfg& store, CSnNode* root, const CSnNode* edited = nullptr);

    // The entry of a node; null for an ID that names no node.
    const SnDependencyEntry* Find(std::int32_t id) const;
    // The nodes a Dependencies text names, in its order, each once; IDs that name no
    // node are left out.
    SnDependencyEntries Resolve(const CQvcString& dependencies) const;
    // What node `id` depends on (its own text resolved) and who depends on it, directly
    // or through a folder above it.  Empty for an unknown ID.
    SnDependencyEntries DependsOn(std::int32_t id) const;
    SnDependencyEntries DependedOnBy(std::int32_t id) const;
    // Every node that depends on an existing node or that some node depends on, in tree
    // order (a node before its children).
    SnDependencyEntries Involved() const;

    // The Dependencies text of a list of IDs: each in decimal, ";" between them.
    static CQvcString Text(const std::vector<std::int32_t>& ids);

private:
    struct Node {
        SnDependencyEntry Entry;
        CQvcString Dependencies;
        std::vector<std::int32_t> Dependents;
    };
    const Node* NodeOf(std::int32_t id) const;
    SnDependencyEntries Entries(const std::vector<std::int32_t>& ids) const;

    std::vector<Node> m_nodes; // tree order; a node not in the tree comes last
    std::unordered_map<std::int32_t, std::size_t> m_index;
};
