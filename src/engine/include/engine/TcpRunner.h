#pragma once
// CTcpRunner: TCP/IP (30) and the TCP-based NNTP (38), IMAP (39) and Citrix ICA (44) checks: connect,
// optionally send a text, optionally wait for a response that includes a text.
#include "engine/CheckRunner.h"

class CTcpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
