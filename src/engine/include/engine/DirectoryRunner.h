#pragma once
// CDirectoryRunner: Directory (140): a local directory's existence, size or number of files.
#include "engine/CheckRunner.h"

class CDirectoryRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
