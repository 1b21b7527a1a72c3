#pragma once
// sentrelle demo-seed --tcp-port N --http-port N: fills the configuration of the
// installation the registry names with a few folders and a dozen checks against this
// computer (ping, TCP, HTTP, disk space, processes), for the demo.  A configuration that
// already holds checks is left alone, so the demo script can run it every time.
#include "cli/CliCommand.h"

class CDemoSeedCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
