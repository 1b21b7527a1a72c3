#include "cli/SensorCommand.h"

#include "model/sensors/SnSensatrDeviceCfg.h"

int CSensorCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2 || args[0] != "probe" || args[1].empty()) {
        err << "usage: sentrelle sensor probe URL\n";
        return kUsage;
    }
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    if (unit.Probe(CQvcString(args[1]), error) != 0) {
        err << "sentrelle sensor probe: " << error.Str() << "\n";
        return kFailure;
    }
    out << unit.Report().Str();
    return kSuccess;
}
