#include "engine/CheckRunner.h"

#include "engine/CpuUsageRunner.h"
#include "engine/DatabaseQueryRunner.h"
#include "engine/DirectoryRunner.h"
#include "engine/DiskSpaceRunner.h"
#include "engine/DnsRunner.h"
#include "engine/FileRunner.h"
#include "engine/HttpRunner.h"
#include "engine/IcmpPingRunner.h"
#include "engine/MemoryUsageRunner.h"
#include "engine/ProcessRunner.h"
#include "engine/TcpRunner.h"
#include "engine/UnsupportedRunner.h"
#include "model/checks/CheckTypes.h"

#include <cmath>
#include <exception>

std::unique_ptr<ICheckRunner> CreateCheckRunner(int type) {
    switch (type) {
    case kTypeIcmpPing:
        return std::make_unique<CIcmpPingRunner>();
    case kTypeTcpIp:
    case kTypeNntp:
    case kTypeImap:
    case kTypeCitrixIca:
        return std::make_unique<CTcpRunner>();
    case kTypeHttp:
        return std::make_unique<CHttpRunner>();
    case kTypeDns:
        return std::make_unique<CDnsRunner>();
    case kTypeDiskSpace:
        return std::make_unique<CDiskSpaceRunner>();
    case kTypeFile:
        return std::make_unique<CFileRunner>();
    case kTypeDirectory:
        return std::make_unique<CDirectoryRunner>();
    case kTypeProcess:
        return std::make_unique<CProcessRunner>();
    case kTypeCpuUsage:
        return std::make_unique<CCpuUsageRunner>();
    case kTypeMemoryUsage:
        return std::make_unique<CMemoryUsageRunner>();
    case kTypeDatabaseQuery:
        return std::make_unique<CDatabaseQueryRunner>();
    default:
        return std::make_unique<CUnsupportedRunner>(type);
    }
}

CheckOutcome GuardedRun(const std::function<CheckOutcome()>& run, std::chrono::steady_clock::time_point began) {
    CheckOutcome outcome;
    try {
        outcome = run();
    } catch (const std::exception& error) {
        outcome = CheckOutcome::Uncertain(CQvcString("The check failed inside the engine: ") + error.what());
    } catch (...) {
        outcome = CheckOutcome::Uncertain("The check failed inside the engine");
    }
    FillDuration(outcome, began);
    return outcome;
}

void FillDuration(CheckOutcome& outcome, std::chrono::steady_clock::time_point began) {
    if (outcome.DurationSecs >= 0)
        return;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    outcome.DurationSecs = static_cast<int>(std::lround(took.count()));
}

CheckOutcome RunCheck(const CSnNodeCfg& check, const RunContext& context) {
    return GuardedRun([&] { return CreateCheckRunner(check.Function.Type)->Run(check, context); },
                      std::chrono::steady_clock::now());
}
