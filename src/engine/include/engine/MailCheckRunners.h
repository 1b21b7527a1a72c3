#pragma once
// The mail server checks, through libcurl:
//   SMTP Mailserver (32): greeting, EHLO, STARTTLS and authentication as configured; the
//       server's replies must include the configured pattern.
//   POP3 Mailserver (31): greeting, TLS as configured and the account's log-on.
//   IMAP Mailserver (39) with an account: greeting, TLS on port 993 (STARTTLS elsewhere
//       when offered) and the account's log-on; without one it stays a TCP/IP check.
//   SMTP to POP3 (240): a test message with a mark of its own goes out through the SMTP
//       server, and the POP3 mailbox is polled until it arrives (then deleted when
//       configured); the round trip is the data.
// None of these types has a time-out of its own: the engine's limit for a run applies.
#include "engine/CheckRunner.h"

class CSmtpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

class CPop3Runner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

class CImapRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

class CSmtpToPop3Runner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
