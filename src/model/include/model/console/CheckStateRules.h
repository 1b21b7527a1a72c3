#pragma once
// What the commands that act on the state of the selected checks (Hold, Clear Failure,
// Monitor now) do, decided over plain values of the checks in selection order: which
// checks they touch and which message they show first.  The Manager's handlers only read
// the values off the nodes, show the message and pass the chosen checks on.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace checkstate {

// The OnHold value that Hold writes to every selected check: 0 (release) when every one
// is on hold already, else 1.  `onHold` holds each check's current OnHold value.
std::int32_t NewHoldValue(const std::vector<std::int32_t>& onHold);

// Clear Failure over the checks' statuses.
struct CClearPlan {
    // 0: show nothing; 51747 or 51748: ask (Yes/No) before clearing; 51749: tell that
    // nothing can be cleared.
    unsigned message = 0;
    int clearable = 0; // the counts that message 51748 names
    int selected = 0;
    // The checks cleared after Yes, by position in the selection.
    std::vector<std::size_t> targets;
    bool operator==(const CClearPlan&) const = default;
};
CClearPlan PlanClearFailure(const std::vector<std::int32_t>& statuses);

// Monitor now over the checks' scan modes (ScanFrequency.Mode).
struct CMonitorPlan {
    // 0: ask nothing; 51744 (the one selected check is scheduled) or 51745 (several
    // selected, at least one scheduled): ask whether scheduled checks run too.
    unsigned question = 0;
    std::vector<std::size_t> interval;  // always run
    std::vector<std::size_t> scheduled; // run only after Yes; event-driven checks never
    bool operator==(const CMonitorPlan&) const = default;
};
CMonitorPlan PlanMonitorNow(const std::vector<std::int32_t>& modes);

} // namespace checkstate
