#pragma once
// CUnsupportedRunner: the runner of every check type this engine cannot run.  Its outcome
// is Uncertain with the response "Check type '<name>' is not supported by this engine".
#include "engine/CheckRunner.h"

class CUnsupportedRunner final : public ICheckRunner {
public:
    explicit CUnsupportedRunner(int type) : m_type(type) {}
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;

private:
    int m_type;
};
