#include "model/console/CheckStateRules.h"

#include "model/checks/CheckSheetRules.h"
#include "model/tree/NodeStatus.h"

#include <algorithm>

namespace checkstate {

std::int32_t NewHoldValue(const std::vector<std::int32_t>& onHold) {
    const bool allHeld = std::all_of(onHold.begin(), onHold.end(), [](std::int32_t held) { return held != 0; });
    return allHeld ? 0 : 1;
}

CClearPlan PlanClearFailure(const std::vector<std::int32_t>& statuses) {
    CClearPlan plan;
    plan.selected = static_cast<int>(statuses.size());
    for (std::size_t i = 0; i < statuses.size(); ++i)
        if (IsErrorLike(statuses[i]))
            plan.targets.push_back(i);
    plan.clearable = static_cast<int>(plan.targets.size());
    if (plan.clearable == 0) {
        // A single check that cannot be cleared is passed over without a word.
        plan.message = plan.selected > 1 ? 51749U : 0U;
        return plan;
    }
    plan.message = plan.clearable == plan.selected ? 51747U : 51748U;
    return plan;
}

CMonitorPlan PlanMonitorNow(const std::vector<std::int32_t>& modes) {
    CMonitorPlan plan;
    for (std::size_t i = 0; i < modes.size(); ++i) {
        if (modes[i] == sheetrules::kModeInterval)
            plan.interval.push_back(i);
        else if (modes[i] == sheetrules::kModeScheduled)
            plan.scheduled.push_back(i);
    }
    if (!plan.scheduled.empty())
        plan.question = modes.size() == 1 ? 51744U : 51745U;
    return plan;
}

} // namespace checkstate
