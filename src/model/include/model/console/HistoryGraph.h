#pragma once
// The history and graph views of checks.  Neither is drawn by the Manager itself: the
// history of one check is shown by the reports-and-graphs module "QvRgDll.dll" in the
// engine's "Program" directory (its function ShowSingleCheck), and graphs by the graph
// program "sentrelle-graph" in the engine's "Program.NET" directory, started with the
// checks' identifiers.  These functions decide what to load or start and which message to show
// when it cannot be done; the Manager only supplies the checks and the dialogs.
#include "library/QvcString.h"
#include "platform/Process.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CSnNode;
class CSnStatsLimits;

using ShowErrorFn = std::function<void(const CQvcString& text)>;

// The module's export: (check identifier, -1, 1 for the detail or 0 for the availability
// history), returning what it returns.
using ShowSingleCheckFn = int (*)(std::int32_t checkId, std::int32_t reserved, std::int32_t detail);
inline constexpr const char* kShowSingleCheck = "ShowSingleCheck";

// Where the module and the graph program are looked for under `engineRoot`.
CQvcString ReportsModulePath(const CQvcString& engineRoot);
CQvcString GraphProgramPath(const CQvcString& engineRoot);

// Loads the module, calls ShowSingleCheck for `checkId` and lets the module go again (the
// shipped module stays in memory, as its windows outlive the call).
// The function's result; nothing after handing 51750 (the module cannot be loaded, with
// its path) or 51751 (the function is missing, with the module's name) to `showError`.
std::optional<int> ShowCheckHistory(const CQvcString& engineRoot, std::int32_t checkId, bool detail,
                                    const ShowErrorFn& showError);

// What a graph request comes to.  `message` is 0 when there is something to draw, else
// the message to show: 51733 (no checks at all, error icon), 51734 or 51735 (one or
// several checks, none of them with its graph option set; warning icon).  `types` holds
// the check types of the graph-enabled checks in ascending order: with more than one
// the user chooses which to draw.
struct CGraphPlan {
    unsigned message = 0;
    std::vector<std::int32_t> types;
    bool operator==(const CGraphPlan&) const = default;
};
CGraphPlan PlanGraph(const std::vector<const CSnNode*>& checks);

// The graph program's argument: the identifiers of the graph-enabled checks of `type`,
// in the given order, joined by commas.
std::string GraphArgument(const std::vector<const CSnNode*>& checks, std::int32_t type);

// The size test of the statistics database that comes before a graph.  Only a database
// kept in a file (StatisticsDatabasePath) has a size to test; any other connection passes.  Sizes count whole MB against the limits
// DbMsaSizeMBWarning and DbMsaSizeMBLimit:
//   no file yet       51736, information, no graph (no statistics have been logged)
//   warning reached   51737, warning, then the graph
//   limit reached     51738, error, no graph
//   size unreadable   51739, warning, then the graph (the test cannot hold it back)
struct CStatsSizeTest {
    enum class Severity { None, Information, Warning, Error };
    Severity severity = Severity::None;
    CQvcString text;
    bool draw = true;
    bool operator==(const CStatsSizeTest&) const = default;
};
CStatsSizeTest TestStatsDatabase(const CQvcString& connection, const CQvcString& engineRoot,
                                 const CSnStatsLimits& limits);

// Starts the graph program with `argument` without waiting for it.  0, or -1 after
// handing 51685 (no program at its path, the path named) or the error text of a failed
// start to `showError`.
int LaunchGraph(const CQvcString& engineRoot, const std::string& argument, const ShowErrorFn& showError,
                platform::IProcessLauncher& launcher);
