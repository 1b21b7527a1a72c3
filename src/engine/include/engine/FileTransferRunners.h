#pragma once
// The file transfer checks, through libcurl:
//   FTP (34): log on (an account or anonymous), optionally make sure a file exists, and
//       optionally look for a pattern in it (should or should not be there).
//   TFTP (270): fetch a file, optionally looking for a pattern in it.
// Neither type has a time-out of its own: the engine's limit for a run applies.
#include "engine/CheckRunner.h"

class CFtpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

class CTftpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
