#include "cli/InitCommand.h"

#include "model/store/SnInstallation.h"

int CInitCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty()) {
        err << "usage: sentrelle init ROOT\n";
        return kUsage;
    }
    CQvcString message;
    if (CSnInstallation::Initialize(CQvcString(args[0]), message) != 0) {
        err << "sentrelle init: " << message.Str() << "\n";
        return kFailure;
    }
    out << "Engine root ready: " << CSnInstallation::RootPath(CQvcString(args[0])).Str() << "\n";
    return kSuccess;
}
