#include "model/tree/SnDependencyCalculator.h"

#include "library/ErrorReport.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"

#include "../settings/TextFields.h"

#include <cstdlib>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr const char* kSource = "SnDependencyCalculator";

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

void CSnDependencyCalculator::CollectPass(CSnCfg& /*store*/, CSnNode* root, bool listsEmptied) {
    // The tree does not change during a run, so one walk indexes it: each ID maps to its
    // first node in walk order, the one a search by ID over the tree finds.
    std::unordered_map<std::int32_t, CSnNode*> byId;
    ::WalkTree(root, [&](CSnNode* node, int) {
        byId.try_emplace(static_cast<std::int32_t>(node->Id()), node);
        return WalkStep::Continue;
    });
    auto lookup = [&](std::int32_t id) -> CSnNode* {
        auto it = byId.find(id);
        return it == byId.end() ? nullptr : it->second;
    };
    // A list refuses an ID it already holds, but searching it for every addition makes
    // the pass quadratic when thousands of checks depend on one.  Each dependent adds only
    // its own ID, all of its additions one after the other, so once the lists were emptied
    // a node holds that ID only if this dependent added it already, and then as its last
    // entry.  Only when another node of the same ID came first, or the lists could not all
    // be emptied, is the list searched.
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
    for (const CQvcString& token : LeadingFields(dependencies, ';', true))
        ids.push_back(static_cast<std::int32_t>(std::atol(token.c_str())));
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
