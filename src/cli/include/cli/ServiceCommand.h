#pragma once
// sentrelle service start|stop|status [--root DIR]: controls the Engine's service (the
// engine daemon of the installation) with the same operations as the Manager's Service
// dialog, and prints the state text and any failure message.  Without --root the
// installation of the machine hive is used (Engine0 names the computer, Engine0Root the
// root); with it, the daemon of that root on this computer.
#include "cli/CliCommand.h"

class CServiceCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
