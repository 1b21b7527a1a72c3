#pragma once
// CCpuUsageRunner: CPU Usage (130): this computer's CPU usage (all CPUs or one), sampled over a second.
#include "engine/CheckRunner.h"

class CCpuUsageRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
