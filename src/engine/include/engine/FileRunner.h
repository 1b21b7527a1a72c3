#pragma once
// CFileRunner: File (60): a local file's existence, size, content or age.
#include "engine/CheckRunner.h"

class CFileRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
