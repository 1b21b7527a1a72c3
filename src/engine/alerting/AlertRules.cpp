#include "engine/alerting/AlertRules.h"

#include "model/tree/NodeStatus.h"

namespace {

// When a repeat is next due, or 0 when the setting does not repeat.
std::int64_t NextRepeat(const CSnNodeCfgActionRe& re, std::int64_t wall) {
    return re.Repeat != 0 && re.Minutes > 0 ? wall + std::int64_t{re.Minutes} * 60 : 0;
}

// True (and the next time set) when a repeat is due at `wall`.
bool RepeatDue(const CSnNodeCfgActionRe& re, std::int64_t wall, std::int64_t& next) {
    if (next == 0 || wall < next)
        return false;
    next = NextRepeat(re, wall);
    return true;
}

} // namespace

AlertDecision DecideAlerts(const CSnNodeCfg& check, std::int32_t status, std::int64_t wall,
                           AlertMemory& memory) {
    AlertDecision decision;
    const CSnNodeCfgAction& action = check.Action;
    if (status != kStatusErrorByDependee && status != kStatusFailureByDependee)
        memory.Suppressed = false;
    switch (status) {
    case kStatusFailure:
        if (!memory.Failed) {
            memory.Failed = true;
            memory.NextNotify = NextRepeat(action.ReNotify, wall);
            memory.NextAct = NextRepeat(action.ReRun, wall);
            decision.Notify = decision.Act = true;
        } else {
            decision.Notify = RepeatDue(action.ReNotify, wall, memory.NextNotify);
            decision.Act = RepeatDue(action.ReRun, wall, memory.NextAct);
        }
        break;
    case kStatusSuccess:
        decision.Direction = AlertDirection::Recovery;
        decision.Notify = decision.Act = memory.Failed || check.ScanFrequency.Mode != 0;
        memory = AlertMemory();
        break;
    case kStatusErrorByDependee:
    case kStatusFailureByDependee:
        decision.Suppressed = !memory.Suppressed;
        memory.Suppressed = true;
        break;
    case kStatusNone:
        memory = AlertMemory();
        break;
    default:
        break;
    }
    return decision;
}

AlertMemory AlertMemoryAtStart(std::int32_t status) {
    AlertMemory memory;
    memory.Failed = status == kStatusFailure;
    return memory;
}
