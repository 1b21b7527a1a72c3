#include "model/console/HistoryGraph.h"

#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "library/QvcPath.h"
#include "model/history/HistoryStore.h"
#include "model/settings/SnStatsLimits.h"
#include "model/tree/SnNode.h"
#include "platform/Module.h"
#include "platform/System.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char* kReportsModule = "QvRgDll.dll";
constexpr const char* kGraphProgram = "sentrelle-graph";
constexpr long kProcessNotStarted = 1032; // "Unable to start process"

CQvcString Filled(unsigned id, const CQvcString& text) {
    CQvcString message;
    message.Format(MessageText(id), text.c_str());
    return message;
}

} // namespace

CQvcString ReportsModulePath(const CQvcString& engineRoot) {
    return CQvcString(platform::ModulePath(PathJoin(engineRoot, "Program").Str(), kReportsModule));
}

CQvcString GraphProgramPath(const CQvcString& engineRoot) {
    return PathJoin(engineRoot, {"Program.NET", kGraphProgram});
}

std::optional<int> ShowCheckHistory(const CQvcString& engineRoot, std::int32_t checkId, bool detail,
                                    const ShowErrorFn& showError) {
    const CQvcString path = ReportsModulePath(engineRoot);
    const platform::Module module(path.Str());
    if (!module.IsLoaded()) {
        showError(Filled(51750, path));
        return std::nullopt;
    }
    const auto show = reinterpret_cast<ShowSingleCheckFn>(module.Symbol(kShowSingleCheck));
    if (show == nullptr) {
        showError(Filled(51751, kReportsModule));
        return std::nullopt;
    }
    return show(checkId, -1, detail ? 1 : 0);
}

CGraphPlan PlanGraph(const std::vector<const CSnNode*>& checks) {
    CGraphPlan plan;
    for (const CSnNode* check : checks)
        if (check->Cfg.GraphEnabled != 0)
            plan.types.push_back(check->Cfg.Function.Type);
    std::sort(plan.types.begin(), plan.types.end());
    plan.types.erase(std::unique(plan.types.begin(), plan.types.end()), plan.types.end());
    if (plan.types.empty())
        plan.message = checks.empty() ? 51733 : checks.size() == 1 ? 51734 : 51735;
    return plan;
}

std::string GraphArgument(const std::vector<const CSnNode*>& checks, std::int32_t type) {
    std::string joined;
    for (const CSnNode* check : checks) {
        if (check->Cfg.GraphEnabled == 0 || check->Cfg.Function.Type != type)
            continue;
        if (!joined.empty())
            joined += ',';
        joined += std::to_string(check->Id());
    }
    return joined;
}

CStatsSizeTest TestStatsDatabase(const CQvcString& connection, const CQvcString& engineRoot,
                                 const CSnStatsLimits& limits) {
    using Severity = CStatsSizeTest::Severity;
    const CQvcString path = StatisticsDatabasePath(connection, engineRoot);
    if (path.IsEmpty())
        return {};
    std::error_code error;
    const auto status = std::filesystem::status(path.Str(), error);
    if (status.type() == std::filesystem::file_type::not_found)
        return {Severity::Information, Filled(51736, path), false};
    std::uintmax_t bytes =
        std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path.Str(), error) : 0;
    if (error || !std::filesystem::is_regular_file(status))
        return {Severity::Warning, Filled(51739, path), true};
    // Results not yet checkpointed into the file wait in its write-ahead log.
    std::error_code noLog;
    const std::uintmax_t logBytes = std::filesystem::file_size(path.Str() + "-wal", noLog);
    if (!noLog)
        bytes += logBytes;
    const std::uintmax_t megabytes = bytes / (1024 * 1024);
    const bool refused = megabytes >= limits.DbMsaSizeMBLimit;
    if (!refused && megabytes < limits.DbMsaSizeMBWarning)
        return {};
    // The message shows whole MB as int: the limits are far below its range.
    CQvcString text;
    text.Format(MessageText(refused ? 51738 : 51737), path.c_str(), static_cast<int>(megabytes),
                static_cast<int>(refused ? limits.DbMsaSizeMBLimit : limits.DbMsaSizeMBWarning));
    return {refused ? Severity::Error : Severity::Warning, text, !refused};
}

int LaunchGraph(const CQvcString& engineRoot, const std::string& argument, const ShowErrorFn& showError,
                platform::IProcessLauncher& launcher) {
    const CQvcString path = GraphProgramPath(engineRoot);
    if (!platform::FileExists(path.Str())) {
        showError(Filled(51685, path));
        return -1;
    }
    if (!launcher.Launch({path.Str(), argument}, 0).started) {
        showError(ErrorBoxText(kProcessNotStarted));
        return -1;
    }
    return 0;
}
