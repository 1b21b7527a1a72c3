#pragma once
// When a check's result makes its notifications and actions due.  A pure rule beside the
// outcome rules of StatusRules.h: the engine feeds it every status it publishes, with
// what it remembers of the check's alerts, and carries out what it says.
#include "engine/alerting/AlertEvent.h"
#include "model/tree/SnNodeCfg.h"

#include <cstdint>

// What alerting remembers of one check between its results.
struct AlertMemory {
    // The check's failure was announced (or it was in Failure when the engine started,
    // which announced it before): no second announcement until it recovers.
    bool Failed = false;
    // The check's dependees hold its alerts back, and the activity log said so.
    bool Suppressed = false;
    // Wall seconds when notifications and actions are due again while it stays in
    // Failure; 0: not again.
    std::int64_t NextNotify = 0;
    std::int64_t NextAct = 0;
    bool operator==(const AlertMemory&) const = default;
};

// What is due after one result.
struct AlertDecision {
    // The notification entries of Direction (entry 2c on failure, 2c+1 otherwise).
    bool Notify = false;
    // RunOnFailure and Restart on failure, RunOnSuccess otherwise.
    bool Act = false;
    AlertDirection Direction = AlertDirection::Failure;
    // Alerts are held back because a dependee failed: say so once.
    bool Suppressed = false;
    bool operator==(const AlertDecision&) const = default;
};

// The rule, for the status the engine publishes at wall time `wall`:
//  - Failure (3), not announced before: notifications and actions of failure; they repeat
//    every ReNotify / ReRun minutes while the check stays in Failure when Repeat is set
//    (each repeat due at its first result at or after the time);
//  - Success (1): after an announced failure, the recovery; with scan mode 1 or 2 (the
//    entries then mean "is successful"), every success too; with mode 0 nothing else;
//  - Error by Dependee or Failure by Dependee (6, 7): nothing, and once Suppressed;
//  - no result (0, a cleared failure): forgets the failure, silently;
//  - Error below the threshold, Maintenance, On Hold, Uncertain: nothing (a failure
//    announced before stays announced, so the recovery follows later).
AlertDecision DecideAlerts(const CSnNodeCfg& check, std::int32_t status, std::int64_t wall,
                           AlertMemory& memory);

// What alerting remembers of a check whose last published status the engine finds when
// it starts: a Failure counts as announced.
AlertMemory AlertMemoryAtStart(std::int32_t status);
