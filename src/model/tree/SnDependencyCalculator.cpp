#include "model/tree/SnDependencyCalculator.h"

#include "library/ErrorReport.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"

#include "../settings/TextFields.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr const char* kSource = "SnDependencyCalculator";

// The IDs of a Dependencies text, appended to `ids`: its ";"-separated fields up to the
// first empty one, each trimmed and read as atol reads it.  A field of plain digits is
// read here; anything else (a sign, letters, a very long number) goes through atol.
void AppendDependencyIds(std::string_view text, std::vector<std::int32_t>& ids) {
    ForEachLeadingField(text, ';', true, [&](std::string_view field) {
        long value = 0;
        if (field.size() <= 18 &&
            std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
            for (const char c : field)
                value = value * 10 + (c - '0');
        else
            value = std::atol(std::string(field).c_str());
        ids.push_back(static_cast<std::int32_t>(value));
    });
}

// Each ID to the first node of that ID in walk order, the one a search by ID over the
// tree finds, in an open-addressing table at most half full; an ID held by more than one
// node is marked.
class IdIndex {
public:
    struct Slot {
        std::int32_t id = 0;
        std::uint32_t index = kEmpty;
        bool shared = false;
    };

    explicit IdIndex(const std::vector<CSnNode*>& nodes) {
        while ((std::size_t{1} << m_bits) < 2 * nodes.size())
            ++m_bits;
        m_slots.resize(std::size_t{1} << m_bits);
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const std::int32_t id = nodes[i]->Id();
            Slot& slot = m_slots[Probe(id)];
            if (slot.index == kEmpty)
                slot = {id, static_cast<std::uint32_t>(i), false};
            else
                slot.shared = true;
        }
    }

    const Slot* Find(std::int32_t id) const {
        const Slot& slot = m_slots[Probe(id)];
        return slot.index == kEmpty ? nullptr : &slot;
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    // The slot holding `id`, or the empty one where it would go.
    std::size_t Probe(std::int32_t id) const {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t at = (static_cast<std::uint32_t>(id) * 0x9E3779B1u) >> (32 - m_bits);
        while (m_slots[at].index != kEmpty && m_slots[at].id != id)
            at = (at + 1) & mask;
        return at;
    }

    unsigned m_bits = 4;
    std::vector<Slot> m_slots;
};

} // namespace

CSnDependencyCalculator::CSnDependencyCalculator(const char* name) : CQvcBase(name) {}

void CSnDependencyCalculator::WalkTree(CSnNode* first, const Visit& visit) {
    // Each node after its children: a node waits until the walk leaves its subtree, that
    // is until it reaches a node at the same depth or above.
    std::vector<std::pair<CSnNode*, int>> waiting;
    const auto release = [&](int depth) {
        while (!waiting.empty() && waiting.back().second >= depth) {
            CSnNode* node = waiting.back().first;
            waiting.pop_back();
            visit(*node);
        }
    };
    const WalkOutcome outcome = ::WalkTree(first, [&](CSnNode* node, int depth) {
        release(depth);
        waiting.emplace_back(node, depth);
        return WalkStep::Continue;
    });
    release(0);
    if (outcome.Revisited) {
        CQvcString text;
        text.Format("Broken node chain: node %d is reached twice.",
                    static_cast<int>(outcome.Revisited->Id()));
        throw std::runtime_error(text.Str());
    }
}

void CSnDependencyCalculator::ClearPass(CSnNode* root) {
    WalkTree(root, [](CSnNode& node) { node.Srvc.Dependents.RemoveAll(); });
}

bool CSnDependencyCalculator::CollectFlat(CSnNode* root, bool listsEmptied, std::vector<CSnNode*>& nodes) {
    // Every node in walk order with the end of its subtree, so that a folder's descendants
    // are the range just after it, and the order of the other walks: each node after its
    // children, as a node's subtree ends once the walk reaches a node at its depth or above.
    std::vector<std::uint32_t> subtreeEnd;
    std::vector<std::uint32_t> childrenFirst;
    std::vector<bool> folder;
    std::vector<std::pair<std::uint32_t, int>> open; // nodes whose subtree may go on, with depth
    const auto close = [&](int depth) {
        while (!open.empty() && open.back().second >= depth) {
            subtreeEnd[open.back().first] = static_cast<std::uint32_t>(nodes.size());
            childrenFirst.push_back(open.back().first);
            open.pop_back();
        }
    };
    const WalkOutcome outcome = ::WalkTree(root, [&](CSnNode* node, int depth) {
        close(depth);
        open.emplace_back(static_cast<std::uint32_t>(nodes.size()), depth);
        nodes.push_back(node);
        subtreeEnd.push_back(0);
        folder.push_back(node->IsFolder());
        return WalkStep::Continue;
    });
    if (outcome.Revisited || outcome.TooDeep)
        return false; // a subtree walked on its own could reach other nodes
    close(0);

    const IdIndex byId(nodes);

    // Every dependent's named nodes, in the order the dependents are visited, and how many
    // IDs each list will receive at most: a folder's count reaches its whole range, through
    // a difference array.
    struct Dependent {
        std::int32_t id;
        bool searchLists;
        std::size_t targetsEnd;
    };
    std::vector<Dependent> dependents;
    std::vector<std::uint32_t> targets;
    std::vector<std::uint32_t> direct(nodes.size(), 0);
    std::vector<std::int64_t> rangeStarts(nodes.size() + 1, 0);
    std::unordered_set<std::int32_t> sharedDependentIds;
    std::vector<std::int32_t> named;
    for (const std::uint32_t index : childrenFirst) {
        const CSnNode& dependent = *nodes[index];
        if (dependent.Cfg.Action.Dependencies.IsEmpty())
            continue;
        const std::int32_t id = dependent.Id();
        const IdIndex::Slot* own = byId.Find(id);
        // Only a second dependent of the same ID can find its ID in a list already.
        const bool searchLists =
            !listsEmptied || (own != nullptr && own->shared && !sharedDependentIds.insert(id).second);
        named.clear();
        AppendDependencyIds(dependent.Cfg.Action.Dependencies.Str(), named);
        for (const std::int32_t namedId : named) {
            const IdIndex::Slot* found = byId.Find(namedId);
            if (found == nullptr)
                continue;
            const std::uint32_t t = found->index;
            targets.push_back(t);
            ++direct[t];
            if (folder[t]) { // a folder passes the dependency on to everything below it
                ++rangeStarts[t + 1];
                --rangeStarts[subtreeEnd[t]];
            }
        }
        dependents.push_back({id, searchLists, targets.size()});
    }
    // Each list grows once to its final size instead of doubling its way there.
    std::int64_t inRanges = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        inRanges += rangeStarts[i];
        CQvcListNum& list = nodes[i]->Srvc.Dependents;
        list.Reserve(static_cast<std::size_t>(list.Count()) + direct[i] + static_cast<std::size_t>(inRanges));
    }

    // A list refuses an ID it already holds, but searching it for every addition makes
    // the pass quadratic when thousands of checks depend on one.  Each dependent adds only
    // its own ID, so once the lists were emptied a node holds that ID only if this
    // dependent added it already, which `addedBy` (one more than the dependent's place)
    // tells.  Only when another node of the same ID came first, or the lists could not
    // all be emptied, is the list searched.
    std::vector<std::uint32_t> addedBy(nodes.size(), 0);
    std::size_t next = 0;
    for (std::uint32_t place = 1; place <= dependents.size(); ++place) {
        const Dependent& dependent = dependents[place - 1];
        const auto add = [&](std::size_t i) {
            CQvcListNum& list = nodes[i]->Srvc.Dependents;
            if (dependent.searchLists) {
                list.Add(dependent.id);
            } else if (addedBy[i] != place) {
                addedBy[i] = place;
                list.Append(dependent.id);
            }
        };
        for (; next < dependent.targetsEnd; ++next) {
            const std::uint32_t t = targets[next];
            add(t);
            if (folder[t])
                for (std::size_t i = t + 1; i < subtreeEnd[t]; ++i)
                    add(i);
        }
    }
    return true;
}

void CSnDependencyCalculator::CollectPass(CSnCfg& /*store*/, CSnNode* root, bool listsEmptied) {
    std::vector<CSnNode*> nodes;
    if (CollectFlat(root, listsEmptied, nodes))
        return;
    // A broken tree: each dependent walks the subtrees it names, so that what a walk
    // reached before it met the fault is written as before.  Each ID maps to its first
    // node in walk order, the one a search by ID over the tree finds.
    std::unordered_map<std::int32_t, CSnNode*> byId;
    for (CSnNode* node : nodes)
        byId.try_emplace(static_cast<std::int32_t>(node->Id()), node);
    auto lookup = [&](std::int32_t id) -> CSnNode* {
        auto it = byId.find(id);
        return it == byId.end() ? nullptr : it->second;
    };
    // The searches of the lists are avoided as in CollectFlat.
    std::unordered_set<std::int32_t> dependentIds;
    WalkTree(root, [&](CSnNode& dependent) {
        if (dependent.Cfg.Action.Dependencies.IsEmpty())
            return;
        const std::int32_t id = dependent.Id();
        const bool searchLists = !listsEmptied || !dependentIds.insert(id).second;
        const auto add = [&](CSnNode& node) {
            CQvcListNum& list = node.Srvc.Dependents;
            if (searchLists)
                list.Add(id);
            else if (list.Count() == 0 || list.GetAt(static_cast<std::size_t>(list.Count()) - 1) != id)
                list.Add(id, true);
        };
        for (const std::int32_t dependeeId : DependencyIds(dependent.Cfg.Action.Dependencies)) {
            CSnNode* dependee = lookup(dependeeId);
            if (dependee == nullptr)
                continue;
            add(*dependee);
            // A folder passes the dependency on to everything below it.
            if (dependee->IsFolder() && dependee->ChildNode() != nullptr)
                WalkTree(dependee->ChildNode(), add);
        }
    });
}

std::vector<std::int32_t> CSnDependencyCalculator::DependencyIds(const CQvcString& dependencies) {
    std::vector<std::int32_t> ids;
    AppendDependencyIds(dependencies.Str(), ids);
    return ids;
}

void CSnDependencyCalculator::Calculate(CSnCfg& store, CSnNode* root) {
    bool listsEmptied = false;
    try {
        ClearPass(root);
        listsEmptied = true;
    } catch (const std::exception& e) {
        ReportError(kSource, __LINE__, e.what());
    } catch (...) {
        ReportError(kSource, __LINE__, "Clearing the dependents lists failed.");
    }
    try {
        CollectPass(store, root, listsEmptied);
    } catch (const std::exception& e) {
        ReportError(kSource, __LINE__, e.what());
    } catch (...) {
        ReportError(kSource, __LINE__, "Collecting the dependents lists failed.");
    }
}
