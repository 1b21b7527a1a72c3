#pragma once
// CProcessRunner: Process (190): whether a process of this computer runs, and its memory and CPU use.
#include "engine/CheckRunner.h"

class CProcessRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
