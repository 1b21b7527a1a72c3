#include "engine/CheckRunner.h"

#include "engine/CpuUsageRunner.h"
#include "engine/DatabaseQueryRunner.h"
#include "engine/DirectoryRunner.h"
#include "engine/DiskSpaceRunner.h"
#include "engine/DnsRunner.h"
#include "engine/FileRunner.h"
#include "engine/FileTransferRunners.h"
#include "engine/HttpRunner.h"
#include "engine/IcmpPingRunner.h"
#include "engine/MailCheckRunners.h"
#include "engine/MemoryUsageRunner.h"
#include "engine/NtpRunner.h"
#include "engine/SnmpGetRunner.h"
#include "engine/ProcessRunner.h"
#include "engine/SshRunner.h"
#include "engine/TcpRunner.h"
#include "engine/UnsupportedRunner.h"
#include "engine/RadiusRunner.h"
#include "engine/SmppRunner.h"
#include "engine/TraceRouteRunner.h"
#include "engine/LdapRunner.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <algorithm>
#include <cmath>
#include <exception>

std::unique_ptr<ICheckRunner> CreateCheckRunner(int type) {
    switch (type) {
    case kTypeIcmpPing:
        return std::make_unique<CIcmpPingRunner>();
    case kTypeTcpIp:
    case kTypeNntp:
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
    case kTypeRadius:
        return std::make_unique<CRadiusRunner>();
    case kTypeSmpp:
        return std::make_unique<CSmppRunner>();
    case kTypeTraceRoute:
        return std::make_unique<CTraceRouteRunner>();
    case kTypeVBScript: // only the directory checks: any other script is not supported
        return std::make_unique<CLdapRunner>();
    case kTypeSnmpGet:
        return std::make_unique<CSnmpGetRunner>();
    case kTypeNtp:
        return std::make_unique<CNtpRunner>();
    case kTypeSsh:
        return std::make_unique<CSshRunner>();
    case kTypeRsh:
    case kTypeRemoteCommand:
        return std::make_unique<CRemoteShellRunner>(type);
    case kTypeSftp:
        return std::make_unique<CSftpRunner>();
    case kTypeImap:
        return std::make_unique<CImapRunner>();
    case kTypeSmtp:
        return std::make_unique<CSmtpRunner>();
    case kTypePop3:
        return std::make_unique<CPop3Runner>();
    case kTypeSmtpToPop3:
        return std::make_unique<CSmtpToPop3Runner>();
    case kTypeFtp:
        return std::make_unique<CFtpRunner>();
    case kTypeTftp:
        return std::make_unique<CTftpRunner>();
    case kTypeDatabaseQuery:
        return std::make_unique<CDatabaseQueryRunner>();
    default:
        return std::make_unique<CUnsupportedRunner>(type);
    }
}

std::chrono::milliseconds RunLimit(const CSnNodeCfg& check, std::chrono::milliseconds engineLimit) {
    if (check.Function.Type != kTypeSmtpToPop3)
        return engineLimit;
    const Smtp2Pop3Settings settings = Smtp2Pop3Settings::Read(check.Function);
    return std::max<std::chrono::milliseconds>(engineLimit,
                                               std::chrono::minutes(settings.ErrorMinutes) + std::chrono::seconds(30));
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
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    if (outcome.DurationMs < 0)
        outcome.DurationMs = outcome.DurationSecs >= 0 ? outcome.DurationSecs * 1000
                                                       : static_cast<int>(std::lround(took.count() * 1000));
    if (outcome.DurationSecs < 0)
        outcome.DurationSecs = static_cast<int>(std::lround(took.count()));
}

CheckOutcome RunCheck(const CSnNodeCfg& check, const RunContext& context) {
    return GuardedRun([&] { return CreateCheckRunner(check.Function.Type)->Run(check, context); },
                      std::chrono::steady_clock::now());
}
