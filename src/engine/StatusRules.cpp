#include "engine/StatusRules.h"

#include "model/tree/NodeStatus.h"

#include <algorithm>

namespace {

std::int32_t Threshold(const CSnNodeCfg& check) {
    return std::max<std::int32_t>(1, check.ScanFrequency.ErrorThreshold);
}

} // namespace

CheckVerdict JudgeOutcome(const CSnNodeCfg& check, CheckOutcome::Kind kind, std::int32_t errorsBefore,
                          const UncertainMapping& global) {
    using Kind = CheckOutcome::Kind;
    if (check.Inverse != 0 && kind != Kind::Uncertain)
        kind = kind == Kind::Success ? Kind::Error : Kind::Success;
    if (kind == Kind::Uncertain) {
        const CSnNodeCfgUncertain& own = check.Action.Uncertain;
        const bool asError = own.UseGlobal != 0 ? global.AsError : own.AsError != 0;
        const bool asSuccess = own.UseGlobal != 0 ? global.AsSuccess : own.AsSuccess != 0;
        if (asError)
            kind = Kind::Error;
        else if (asSuccess)
            kind = Kind::Success;
    }
    CheckVerdict verdict;
    switch (kind) {
    case Kind::Success:
        verdict.Status = kStatusSuccess;
        verdict.ErrorCount = 0;
        break;
    case Kind::Error:
        verdict.ErrorCount = errorsBefore < INT32_MAX ? errorsBefore + 1 : errorsBefore;
        verdict.Status = verdict.ErrorCount >= Threshold(check) ? kStatusFailure : kStatusError;
        break;
    case Kind::Uncertain:
        verdict.Status = kStatusUncertain;
        verdict.ErrorCount = errorsBefore;
        break;
    }
    return verdict;
}

std::int32_t DependeeStatus(const std::vector<std::int32_t>& dependeeStatuses) {
    std::int32_t status = 0;
    for (std::int32_t s : dependeeStatuses) {
        if (s == kStatusFailure || s == kStatusFailureByDependee)
            return kStatusFailureByDependee;
        if (s == kStatusError || s == kStatusErrorByDependee)
            status = kStatusErrorByDependee;
    }
    return status;
}

RunGate GateRun(const CSnNodeCfg& check, const CSnCfgScheduleList& globalMaintenance, std::int64_t wall,
                const std::vector<std::int32_t>& dependeeStatuses) {
    RunGate gate;
    if (check.OnHold != 0) {
        gate.kind = RunGate::Kind::OnHold;
        gate.Status = kStatusOnHold;
        return gate;
    }
    const CSnNodeCfgActionMaintenance& own = *check.Action.Maintenance;
    if ((own.Enabled != 0 ? own.Schedule : globalMaintenance).Covers(wall, &gate.WindowEnd)) {
        gate.kind = RunGate::Kind::Maintenance;
        gate.Status = kStatusMaintenance;
        return gate;
    }
    gate.WindowEnd = 0;
    const std::int32_t status = DependeeStatus(dependeeStatuses);
    if (status == 0)
        return gate;
    gate.kind = RunGate::Kind::Dependee;
    gate.Status = status;
    const bool failure = status == kStatusFailureByDependee;
    for (std::size_t i = 0; i < dependeeStatuses.size(); ++i) {
        const std::int32_t s = dependeeStatuses[i];
        if (failure ? (s == kStatusFailure || s == kStatusFailureByDependee)
                    : (s == kStatusError || s == kStatusErrorByDependee)) {
            gate.Decider = i;
            break;
        }
    }
    return gate;
}

std::int32_t ErrorCountFromStatus(std::int32_t status, std::int32_t errorThreshold) {
    if (status == kStatusFailure)
        return std::max<std::int32_t>(1, errorThreshold);
    if (status == kStatusError)
        return 1;
    return 0;
}
