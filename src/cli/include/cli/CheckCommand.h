#pragma once
// sentrelle check [--repair] [--root DIR]
//
// Checks the stored configuration without loading it: faults of the tree text (a node
// listed as its own child or sibling, listed twice, inside a loop, nested too deep), IDs
// in the tree without a record ("dangling") and records in no tree ("orphans"; the root
// 1 and the template 2 are never orphans).  One line per problem, then a summary.
// With --repair it fixes, in one transaction, what needs no guess (see
// CSnCfg::CheckHealth), says what it did and checks again.
// Exit code: 0 when the configuration is (now) healthy, 1 when problems remain or the
// configuration cannot be opened, 2 for wrong usage.
#include "cli/CliCommand.h"

class CCheckCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
