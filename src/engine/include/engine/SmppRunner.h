#pragma once
// CSmppRunner: SMPP (340): a TCP connection to the SMS centre, and when the check says so
// a bind_transceiver with the account followed by an unbind.
#include "engine/CheckRunner.h"

#include <cstdint>
#include <string>

class CSmppRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

namespace smpp {

enum Command : std::uint32_t {
    kGenericNack = 0x80000000u,
    kUnbind = 0x00000006u,
    kUnbindResp = 0x80000006u,
    kBindTransceiver = 0x00000009u,
    kBindTransceiverResp = 0x80000009u,
};

// One protocol data unit: a 16-byte header (length, command, status, sequence, each four
// bytes in network order) and the body.
std::string Pdu(std::uint32_t command, std::uint32_t status, std::uint32_t sequence, const std::string& body);
std::uint32_t Field(const std::string& pdu, std::size_t offset);
// The text of a command status, "0x0000000E (invalid password)".
std::string StatusText(std::uint32_t status);

} // namespace smpp
