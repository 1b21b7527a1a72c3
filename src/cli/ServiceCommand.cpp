#include "cli/ServiceCommand.h"

#include "library/Messages.h"
#include "model/service/QvcService.h"
#include "model/service/ServiceDialogRules.h"
#include "model/store/SnInstallation.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kUsageText = "usage: sentrelle service start|stop|status [--root DIR]\n";

const char* Text(unsigned id) {
    const char* text = MessageText(id);
    return text != nullptr ? text : "";
}

} // namespace

int CServiceCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || (args[0] != "start" && args[0] != "stop" && args[0] != "status")) {
        err << kUsageText;
        return kUsage;
    }
    CQvcString root;
    CQvcString computer;
    if (args.size() == 3 && args[1] == "--root" && !args[2].empty()) {
        root = CSnInstallation::RootPath(CQvcString(args[2]));
    } else if (args.size() != 1) {
        err << kUsageText;
        return kUsage;
    } else {
        std::string engine;
        platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "Engine0", &engine);
        computer = CQvcString(engine).Trim();
    }

    CQvcService service;
    service.SetEngineRoot(root);
    int exitCode = kSuccess;
    if (args[0] != "status") {
        const bool start = args[0] == "start";
        out << Text(start ? 51574 : 51576) << "\n" << std::flush;
        const long result = service.StartOrStop(computer, CQvcService::kEngineServiceName, start);
        if (result != 0) {
            err << Text(ServiceControlMessageId(result)) << "\n";
            exitCode = kFailure;
        } else if (start && service.FoundAlready()) {
            out << "The engine was already running or being started; no second one was started.\n";
        } else if (service.FoundAlready()) {
            out << "The engine was not running.\n";
        }
    }
    long state = -1;
    CQvcString account;
    const long queried =
        service.QueryServiceState(computer, CQvcService::kEngineServiceName, state, &account);
    out << Text(ServiceStateViewFor(static_cast<int>(state)).messageId) << "\n";
    if (queried == 0 && !account.IsEmpty())
        out << "Logon account: " << account.Str() << "\n";
    if (queried != 0 && args[0] == "status") {
        err << Text(ServiceControlMessageId(queried)) << "\n";
        exitCode = kFailure;
    }
    return exitCode;
}
