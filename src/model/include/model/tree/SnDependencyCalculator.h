#pragma once
// CSnDependencyCalculator: fills, for every node of the tree, the list of nodes that
// depend on it (CSnNodeSrvc::Dependents), the reverse of the Dependencies texts.  Only
// direct references are inverted: no chains are followed, so cycles need no handling.
// A run keeps nothing; create one on the stack for each calculation.
#include "library/QvcBase.h"

#include "library/QvcString.h"

#include <cstdint>
#include <functional>
#include <vector>

class CSnCfg;
class CSnNode;

class CSnDependencyCalculator : public CQvcBase {
public:
    explicit CSnDependencyCalculator(const char* name = "CSnDependencyCalculator");

    // First empties every node's dependents list, then, for every node with a
    // Dependencies text, adds the node's ID to each node it names (to a folder and every
    // node below it, at any depth).  Unknown IDs are skipped.  Each pass is guarded: a
    // fault such as a broken node chain is reported through ReportError with the source
    // "SnDependencyCalculator" and the run goes on.  Nodes are looked up by ID in
    // one index of the tree below `root` (the first node of an ID in walk order, as the
    // store's find-by-ID finds it); the tree must not change meanwhile.
    void Calculate(CSnCfg& store, CSnNode* root);

    // The IDs a Dependencies text names: its ";"-separated fields up to the first empty
    // one, each trimmed and read as a decimal number.
    static std::vector<std::int32_t> DependencyIds(const CQvcString& dependencies);

private:
    using Visit = std::function<void(CSnNode&)>;
    // Depth first over the chain that starts at `first`: for each node, its children's
    // chain first, then the node.  A node reached twice means a broken chain: the walk
    // visits what it reached, then throws.
    void WalkTree(CSnNode* first, const Visit& visit);
    void ClearPass(CSnNode* root);
    // `listsEmptied`: the clear pass reached every node, so every list starts empty.
    void CollectPass(CSnCfg& store, CSnNode* root, bool listsEmptied);
    // The pass over a sound tree, in flat arrays.  `nodes` receives every node the walk
    // from `root` reaches, in walk order.  False, with no list changed, when the tree has
    // a broken chain or is too deep, for the walking pass to handle.
    bool CollectFlat(CSnNode* root, bool listsEmptied, std::vector<CSnNode*>& nodes);
};
