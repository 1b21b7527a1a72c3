#include "model/tree/SnTreeText.h"

#include "library/ErrorReport.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace {

long ToLong(std::string_view text) { return std::atol(std::string(text).c_str()); }

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return parts;
}

using Tree = CSnTreeText::Tree;
// Reading stops following a text below this level (the stack bound).
constexpr int kHardDepth = 2048;
using Fault = CSnTreeText::Fault;

class Reader {
public:
    Reader(const std::vector<CSnTreeText::Item>& items, Tree& tree, std::vector<CSnTreeText::Problem>* problems,
           const CQvcBase* tracer)
        : m_items(items), m_tree(tree), m_problems(problems), m_tracer(tracer) {}

    // Places the children of `parent` (already placed at `depth`) and their subtrees.
    void Below(long parent, int depth) {
        const CSnTreeText::Item* item = CSnTreeText::Find(m_items, parent);
        if (!item || item->List.empty() || item->List[0] == 0)
            return;
        const long first = item->List[0];
        // The first child's item carries the sibling list of the whole chain.
        std::vector<long> chain{first};
        if (const CSnTreeText::Item* head = CSnTreeText::Find(m_items, first))
            for (std::size_t k = 1; k < head->List.size() && head->List[k] != 0; ++k)
                chain.push_back(head->List[k]);
        m_path.insert(parent);
        for (std::size_t k = 0; k < chain.size(); ++k) {
            const long id = chain[k];
            if ((k == 0 && id == parent) || (k > 0 && id == first))
                Report(Fault::SelfReference, id, parent);
            else if (m_path.count(id))
                Report(Fault::Cycle, id, parent);
            else if (m_tree.Contains(id))
                Report(Fault::Repeated, id, parent);
            else if (depth + 1 > kHardDepth)
                continue; // reported at the first level too deep
            else if (m_tree.Append(parent, id)) {
                // A node too deep stays in the tree (so that no record below it looks
                // unreached), but the tree cannot be loaded or written.
                if (depth + 1 == CSnTreeText::kMaxDepth + 1)
                    Report(Fault::TooDeep, id, parent);
                Below(id, depth + 1);
            }
        }
        m_path.erase(parent);
    }

    bool Damaged() const { return m_damaged; }

private:
    void Report(Fault fault, long id, long parent) {
        m_damaged = true;
        if (m_problems)
            m_problems->push_back({fault, id, parent});
        if (m_tracer)
            m_tracer->Trace(kTraceFile, "Tree: node %ld under %ld %s; tree refused.\n", id, parent,
                            CSnTreeText::Describe(fault));
    }

    const std::vector<CSnTreeText::Item>& m_items;
    Tree& m_tree;
    std::vector<CSnTreeText::Problem>* m_problems;
    const CQvcBase* m_tracer;
    std::unordered_set<long> m_path;
    bool m_damaged = false;
};

class Formatter {
public:
    Formatter(const Tree& tree, CQvcString& out, const CQvcBase* tracer) : m_tree(tree), m_out(out), m_tracer(tracer) {}

    // The item of a node: its first child, then (for a first child) its following siblings.
    void Item(long id, const std::vector<long>* siblings) {
        const std::vector<long>& children = m_tree.ChildrenOf(id);
        CQvcString idText(id);
        CQvcString list(children.empty() ? 0L : children.front());
        if (siblings && siblings->size() > 1) {
            for (std::size_t k = 1; k < siblings->size(); ++k) {
                list += ",";
                list += CQvcString((*siblings)[k]);
            }
        } else {
            list += ",0";
        }
        if (m_tracer)
            m_tracer->Trace(kTraceFile, "Write Tree Item %s: %s\n", idText.c_str(), list.c_str());
        if (!m_out.IsEmpty())
            m_out += ";";
        m_out += idText;
        m_out += "=";
        m_out += list;
    }

    // The items below a node written at `depth`.
    bool Below(long id, int depth) {
        const std::vector<long>& children = m_tree.ChildrenOf(id);
        if (children.empty())
            return true;
        if (depth + 1 > CSnTreeText::kMaxDepth)
            return false;
        Item(children.front(), &children);
        if (!Below(children.front(), depth + 1))
            return false;
        for (std::size_t k = 1; k < children.size(); ++k) {
            if (m_tree.ChildrenOf(children[k]).empty())
                continue;
            Item(children[k], nullptr);
            if (!Below(children[k], depth + 1))
                return false;
        }
        return true;
    }

private:
    const Tree& m_tree;
    CQvcString& m_out;
    const CQvcBase* m_tracer;
};

} // namespace

const char* CSnTreeText::Describe(Fault fault) {
    switch (fault) {
    case Fault::SelfReference:
        return "is listed as its own child or sibling";
    case Fault::Repeated:
        return "is listed more than once";
    case Fault::Cycle:
        return "is listed below itself (cycle)";
    case Fault::TooDeep:
        return "lies deeper than the deepest level allowed";
    }
    return "is damaged";
}

// --- Tree ---------------------------------------------------------------------------------

CSnTreeText::Tree::Tree(long rootId) : m_root(rootId) {}

long CSnTreeText::Tree::ParentOf(long id) const {
    auto it = m_parent.find(id);
    return it == m_parent.end() ? 0 : it->second;
}

const std::vector<long>& CSnTreeText::Tree::ChildrenOf(long id) const {
    static const std::vector<long> kNone;
    auto it = m_children.find(id);
    return it == m_children.end() ? kNone : it->second;
}

void CSnTreeText::Tree::Collect(long id, std::vector<long>& out) const {
    for (long child : ChildrenOf(id)) {
        out.push_back(child);
        Collect(child, out);
    }
}

std::vector<long> CSnTreeText::Tree::Nodes() const {
    std::vector<long> out{m_root};
    Collect(m_root, out);
    return out;
}

std::vector<long> CSnTreeText::Tree::Below(long id) const {
    std::vector<long> out;
    if (Contains(id))
        Collect(id, out);
    return out;
}

bool CSnTreeText::Tree::Append(long parent, long id) {
    if (id <= 0 || Contains(id) || !Contains(parent))
        return false;
    m_children[parent].push_back(id);
    m_parent[id] = parent;
    return true;
}

bool CSnTreeText::Tree::MoveToEnd(long id, long parent) {
    if (id == m_root || !Contains(id) || !Contains(parent))
        return false;
    for (long p = parent; p != 0; p = ParentOf(p))
        if (p == id)
            return false;
    std::vector<long>& old = m_children[ParentOf(id)];
    old.erase(std::find(old.begin(), old.end(), id));
    m_children[parent].push_back(id);
    m_parent[id] = parent;
    return true;
}

std::vector<long> CSnTreeText::Tree::Remove(long id) {
    if (id == m_root || !Contains(id))
        return {};
    std::vector<long> gone{id};
    Collect(id, gone);
    std::vector<long>& siblings = m_children[ParentOf(id)];
    siblings.erase(std::find(siblings.begin(), siblings.end(), id));
    for (long n : gone) {
        m_parent.erase(n);
        m_children.erase(n);
    }
    return gone;
}

void CSnTreeText::Tree::Visit(const VisitFn& visit) const {
    struct Walk {
        const Tree& tree;
        const VisitFn& visit;
        void Below(long id, int depth) {
            long previous = 0;
            for (long child : tree.ChildrenOf(id)) {
                visit(child, id, previous, depth + 1);
                Below(child, depth + 1);
                previous = child;
            }
        }
    } walk{*this, visit};
    visit(m_root, 0, 0, 0);
    walk.Below(m_root, 0);
}

// --- texts --------------------------------------------------------------------------------

std::vector<CSnTreeText::Item> CSnTreeText::Parse(const CQvcString& text) {
    std::string_view whole = text.IsEmpty() ? std::string_view("1,0") : std::string_view(text);
    std::vector<Item> items;
    for (std::string_view part : Split(whole, ';')) {
        std::size_t eq = part.find('=');
        Item item;
        item.Id = ToLong(part.substr(0, eq));
        if (item.Id <= 0)
            continue;
        if (eq != std::string_view::npos) {
            std::string_view list = part.substr(eq + 1);
            if (!list.empty())
                for (std::string_view number : Split(list, ','))
                    item.List.push_back(ToLong(number));
        }
        items.push_back(std::move(item));
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.Id < b.Id; });
    return items;
}

const CSnTreeText::Item* CSnTreeText::Find(const std::vector<Item>& items, long id) {
    auto it = std::lower_bound(items.begin(), items.end(), id, [](const Item& item, long v) { return item.Id < v; });
    return it != items.end() && it->Id == id ? &*it : nullptr;
}

long CSnTreeText::Read(const CQvcString& text, long rootId, Tree& tree, std::vector<Problem>* problems,
                       const CQvcBase* tracer) {
    const std::vector<Item> items = Parse(text);
    tree = Tree(rootId);
    Reader reader(items, tree, problems, tracer);
    reader.Below(rootId, 0);
    return reader.Damaged() ? kInvalidTree : 0;
}

long CSnTreeText::Format(const Tree& tree, CQvcString& out, const CQvcBase* tracer) {
    out.Empty();
    Formatter formatter(tree, out, tracer);
    formatter.Item(tree.RootId(), nullptr);
    if (formatter.Below(tree.RootId(), 0))
        return 0;
    if (tracer)
        tracer->Trace(kTraceFile, "Write tree: the tree nests too deep; not written.\n");
    out.Empty();
    return kInvalidTree;
}

long CSnTreeText::FromNodes(const CSnNode* root, Tree& tree) {
    if (!root)
        return kInvalidTree;
    tree = Tree(root->Id());
    // A node placed twice, a link back to the root, a tree nested too deep or an ID the
    // tree refuses makes the whole tree invalid.
    std::vector<long> parents{root->Id()}; // [depth]: the folder the nodes at that depth go in
    bool refused = false;
    const WalkOutcome outcome = WalkTree(root->ChildNode(), [&](CSnNode* n, int depth) {
        parents.resize(static_cast<std::size_t>(depth) + 1);
        if (n == root || depth + 1 > kMaxDepth || !tree.Append(parents.back(), n->Id())) {
            refused = true;
            return WalkStep::Stop;
        }
        parents.push_back(n->Id());
        return WalkStep::Continue;
    });
    if (refused || outcome.Revisited || outcome.TooDeep) {
        QVC_ASSERT(false);
        return kInvalidTree;
    }
    return 0;
}

long CSnTreeText::Write(const CSnNode* root, CQvcString& out, const CQvcBase* tracer) {
    out.Empty();
    Tree tree;
    if (long code = FromNodes(root, tree)) {
        if (tracer)
            tracer->Trace(kTraceFile, "Write tree: the tree loops or nests too deep; not written.\n");
        return code;
    }
    return Format(tree, out, tracer);
}
