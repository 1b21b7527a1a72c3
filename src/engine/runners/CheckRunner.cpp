#include "engine/CheckRunner.h"

#include "engine/CpuUsageRunner.h"
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
    default:
        return std::make_unique<CUnsupportedRunner>(type);
    }
}

CheckOutcome RunCheck(ICheckRunner& runner, const CSnNodeCfg& check, const RunContext& context) {
    const auto start = std::chrono::steady_clock::now();
    CheckOutcome outcome;
    try {
        outcome = runner.Run(check, context);
    } catch (const std::exception& error) {
        outcome = CheckOutcome::Uncertain(CQvcString("The check failed inside the engine: ") + error.what());
    } catch (...) {
        outcome = CheckOutcome::Uncertain("The check failed inside the engine");
    }
    if (outcome.DurationSecs < 0) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        outcome.DurationSecs = static_cast<int>(std::lround(took.count()));
    }
    return outcome;
}

CheckOutcome RunCheck(const CSnNodeCfg& check, const RunContext& context) {
    std::unique_ptr<ICheckRunner> runner;
    try {
        runner = CreateCheckRunner(check.Function.Type);
    } catch (const std::exception& error) {
        CheckOutcome outcome = CheckOutcome::Uncertain(CQvcString("The check could not be started: ") + error.what());
        outcome.DurationSecs = 0;
        return outcome;
    }
    return RunCheck(*runner, check, context);
}
