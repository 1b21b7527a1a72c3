#pragma once
// sentrelle init ROOT: creates an Engine root (see CSnInstallation).  Running it again
// keeps the configuration and refreshes the template.
#include "cli/CliCommand.h"

class CInitCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
