#pragma once
// CDnsRunner: DNS (36): asks a DNS server (or the system resolver) for a name's A, MX or CNAME
// records and compares the answer with the expected one.
#include "engine/CheckRunner.h"

class CDnsRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
