#pragma once
// CDiskSpaceRunner: Disk Space (20): the used or free space of a local file system against a limit.
#include "engine/CheckRunner.h"

class CDiskSpaceRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
