#pragma once
// CMemoryUsageRunner: Memory Usage (170): this computer's memory in use, or its paging rate.
#include "engine/CheckRunner.h"

class CMemoryUsageRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
