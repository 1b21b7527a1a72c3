#pragma once
// sentrelle sensor probe URL
//
// Asks the environmental sensor unit at URL for its model and configuration and prints
// the detected model, the unit's fields and its probes (CSnSensatrDeviceCfg::Report), for
// administrators setting up environmental checks.  Exit 1 with the unit's error when it
// cannot be reached or read.
#include "cli/CliCommand.h"

class CSensorCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
