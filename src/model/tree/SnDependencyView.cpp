#include "model/tree/SnDependencyView.h"

#include "model/store/SnCfg.h"
#include "model/tree/SnDependencyCalculator.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"

#include <algorithm>
#include <utility>

namespace {

// Puts a node's Dependencies text in place for the time of one calculation and takes it
// out again, whatever happens meanwhile.
class CSwappedText {
public:
    CSwappedText(CSnNode* node, const CQvcString& text) : m_node(node) {
        if (m_node) {
            m_kept = m_node->Cfg.Action.Dependencies;
            m_node->Cfg.Action.Dependencies = text;
        }
    }
    ~CSwappedText() { Restore(); }
    CSwappedText(const CSwappedText&) = delete;
    CSwappedText& operator=(const CSwappedText&) = delete;
    // True when a text was put back.
    bool Restore() {
        if (!m_node)
            return false;
        m_node->Cfg.Action.Dependencies = m_kept;
        m_node = nullptr;
        return true;
    }

private:
    CSnNode* m_node;
    CQvcString m_kept;
};

} // namespace

CSnDependencyView::CSnDependencyView(CSnCfg& store, CSnNode* root, const CSnNode* edited) {
    CSnNode* inTree = edited ? CSnCfg::FindNode(root, edited->Id()) : nullptr;
    CSwappedText swapped(inTree != edited ? inTree : nullptr, edited ? edited->Cfg.Action.Dependencies : "");
    CSnDependencyCalculator calculator("CSnDependencyCalculator");
    calculator.Calculate(store, root);

    // paths[depth] is the path of the nodes at that depth.
    std::vector<CQvcString> paths{CQvcString()};
    WalkTree(root, [&](CSnNode* n, int depth) {
        paths.resize(static_cast<std::size_t>(depth) + 1);
        if (!m_index.try_emplace(n->Id(), m_nodes.size()).second)
            return WalkStep::Continue;
        m_nodes.push_back({{n->Id(), n->IsFolder(), n->Cfg.Name, paths.back()},
                           n->Cfg.Action.Dependencies,
                           n->Srvc.Dependents.Values()});
        if (n->ChildNode() != nullptr)
            paths.push_back(paths.back().IsEmpty() ? n->Cfg.Name : paths.back() + "\\" + n->Cfg.Name);
        return WalkStep::Continue;
    });
    if (edited && inTree == nullptr && m_index.try_emplace(edited->Id(), m_nodes.size()).second)
        m_nodes.push_back({{edited->Id(), edited->IsFolder(), edited->Cfg.Name, CQvcString()},
                           edited->Cfg.Action.Dependencies,
                           {}});
    // The tree's lists follow its own texts again.
    if (swapped.Restore())
        calculator.Calculate(store, root);
}

const CSnDependencyView::Node* CSnDependencyView::NodeOf(std::int32_t id) const {
    const auto it = m_index.find(id);
    return it == m_index.end() ? nullptr : &m_nodes[it->second];
}

const SnDependencyEntry* CSnDependencyView::Find(std::int32_t id) const {
    const Node* node = NodeOf(id);
    return node ? &node->Entry : nullptr;
}

SnDependencyEntries CSnDependencyView::Entries(const std::vector<std::int32_t>& ids) const {
    SnDependencyEntries out;
    std::vector<std::int32_t> seen;
    for (const std::int32_t id : ids) {
        const SnDependencyEntry* entry = Find(id);
        if (entry == nullptr || std::find(seen.begin(), seen.end(), id) != seen.end())
            continue;
        seen.push_back(id);
        out.push_back(*entry);
    }
    return out;
}

SnDependencyEntries CSnDependencyView::Resolve(const CQvcString& dependencies) const {
    return Entries(CSnDependencyCalculator::DependencyIds(dependencies));
}

SnDependencyEntries CSnDependencyView::DependsOn(std::int32_t id) const {
    const Node* node = NodeOf(id);
    return node ? Resolve(node->Dependencies) : SnDependencyEntries{};
}

SnDependencyEntries CSnDependencyView::DependedOnBy(std::int32_t id) const {
    const Node* node = NodeOf(id);
    return node ? Entries(node->Dependents) : SnDependencyEntries{};
}

SnDependencyEntries CSnDependencyView::Involved() const {
    SnDependencyEntries out;
    for (const Node& node : m_nodes)
        if (!node.Dependents.empty() || !Resolve(node.Dependencies).empty())
            out.push_back(node.Entry);
    return out;
}

CQvcString CSnDependencyView::Text(const std::vector<std::int32_t>& ids) {
    CQvcString text;
    for (const std::int32_t id : ids) {
        if (!text.IsEmpty())
            text += ";";
        text += CQvcString(static_cast<long>(id));
    }
    return text;
}
