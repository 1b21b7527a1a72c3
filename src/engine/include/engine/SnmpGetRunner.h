#pragma once
// CSnmpGetRunner: SNMP GET (37): asks an agent for one OID over UDP (SNMP v1 or v2c with
// the check's community) and judges the value by the check's conditions.  A success when
// they hold, an error when they do not or the agent does not answer; the value is the
// check's data.
#include "engine/CheckRunner.h"

class CSnmpGetRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
