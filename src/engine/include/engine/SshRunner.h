#pragma once
// The check types that work over SSH (libssh, through CSshSession):
//   CSshRunner           SSH (43): runs a command, optionally copying a local script first
//   CRemoteShellRunner   RSH (35) and Remote Command (280): this platform has neither
//                        service, so the command runs over SSH, and the response says so;
//                        nothing runs in a shell on the engine's side
//   CSftpRunner          SFTP (310): log-on, file existence, pattern in the file
#include "engine/CheckRunner.h"

class CSshRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

class CRemoteShellRunner final : public ICheckRunner {
public:
    explicit CRemoteShellRunner(int type) : m_type(type) {}
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;

private:
    int m_type;
};

class CSftpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
