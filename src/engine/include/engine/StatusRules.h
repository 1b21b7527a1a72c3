#pragma once
// How a check's own settings turn what a run found into the status the engine publishes,
// and what stands in for a due run (hold, maintenance, the checks it depends on).  Pure
// functions: the scheduler feeds them, the tests call them directly.
#include "engine/CheckRunner.h"
#include "model/schedule/SnCfgScheduleList.h"
#include "model/tree/SnNodeCfg.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The global mapping of undetermined results that checks with Uncertain.UseGlobal follow.
struct UncertainMapping {
    bool AsError = false;
    bool AsSuccess = false;
};

struct CheckVerdict {
    std::int32_t Status = 0;
    // Errors in a row after this run.
    std::int32_t ErrorCount = 0;
};

// The status of a finished run:
//  1. Inverse swaps success and error (an undetermined result stays undetermined);
//  2. an undetermined result follows the check's Uncertain flags, or the global mapping
//     when UseGlobal is set: as error, as success (error wins when both are set), or
//     status 8 when neither;
//  3. an error adds one to the errors in a row; once they reach ErrorThreshold (a
//     threshold below 1 counts as 1) the status is Failure (3) instead of Error (2);
//     a success clears the count, status 8 leaves it as it was.
CheckVerdict JudgeOutcome(const CSnNodeCfg& check, CheckOutcome::Kind kind, std::int32_t errorsBefore,
                          const UncertainMapping& global);

// What the checks a check depends on make of it instead of a run: Failure by Dependee (7)
// when one of them is in Failure or itself failed by its dependee (3 or 7), else Error by
// Dependee (6) when one is in Error or Error by Dependee (2 or 6), else 0 (run it).
std::int32_t DependeeStatus(const std::vector<std::int32_t>& dependeeStatuses);

// Whether a due check runs, or what is published instead.
struct RunGate {
    enum class Kind { Run, OnHold, Maintenance, Dependee };
    Kind kind = Kind::Run;
    // The status published instead of the run; 0 when it runs.
    std::int32_t Status = 0;
    // Maintenance: when the window that covers now ends.
    std::int64_t WindowEnd = 0;
    // Dependee: the position in the statuses of the first dependee that decided.
    std::size_t Decider = 0;
    bool operator==(const RunGate&) const = default;
};

// Looked at in this order: the check is on hold (On Hold); a maintenance window covers
// `wall` (Maintenance), the check's own windows when it enables them, else the global ones;
// its dependees (in the order given) decide as DependeeStatus says.  Otherwise it runs.
RunGate GateRun(const CSnNodeCfg& check, const CSnCfgScheduleList& globalMaintenance, std::int64_t wall,
                const std::vector<std::int32_t>& dependeeStatuses);

// The errors in a row that a published status stands for when the engine starts again:
// a Failure as many as the threshold asks for, an Error one, anything else none.
std::int32_t ErrorCountFromStatus(std::int32_t status, std::int32_t errorThreshold);
