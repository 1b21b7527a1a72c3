#include "engine/SmppRunner.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"
#include "model/checks/CheckSettings.h"

#include <cstdio>
#include <optional>

namespace smpp {

namespace {

constexpr std::size_t kHeader = 16;

void Put32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

} // namespace

std::string Pdu(std::uint32_t command, std::uint32_t status, std::uint32_t sequence, const std::string& body) {
    std::string pdu;
    Put32(pdu, static_cast<std::uint32_t>(kHeader + body.size()));
    Put32(pdu, command);
    Put32(pdu, status);
    Put32(pdu, sequence);
    return pdu + body;
}

std::uint32_t Field(const std::string& pdu, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && offset + i < pdu.size(); ++i)
        value = (value << 8) | static_cast<unsigned char>(pdu[offset + i]);
    return value;
}

std::string StatusText(std::uint32_t status) {
    const char* meaning = nullptr;
    switch (status) {
    case 0x01: meaning = "message length is invalid"; break;
    case 0x02: meaning = "command length is invalid"; break;
    case 0x03: meaning = "invalid command"; break;
    case 0x05: meaning = "already bound"; break;
    case 0x08: meaning = "system error"; break;
    case 0x0D: meaning = "bind failed"; break;
    case 0x0E: meaning = "invalid password"; break;
    case 0x0F: meaning = "invalid system ID"; break;
    case 0x58: meaning = "throttling error"; break;
    default: break;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", status);
    return meaning ? std::string(hex) + " (" + meaning + ")" : std::string(hex);
}

} // namespace smpp

namespace {

// The protocol version sent when binding (3.4).
constexpr char kInterfaceVersion = 0x34;
// The longest PDU this client reads: the answers it waits for are small.
constexpr std::uint32_t kMostPdu = 4096;

// A C-octet string field of a PDU body, cut to the most the protocol allows (`most`
// characters before the terminating zero).
std::string COctet(const std::string& text, std::size_t most) {
    return text.substr(0, most) + '\0';
}

struct Exchange {
    int Fd;
    const CRunDeadline& Deadline;
    std::string Server;
    std::string Buffer; // bytes read beyond the last PDU

    // Sends `pdu` and reads PDUs until one with `sequence` arrives; an outcome when not.
    std::optional<CheckOutcome> Ask(const std::string& pdu, std::uint32_t sequence, const std::string& step,
                                    std::string& answer) {
        int error = 0;
        NetWait wait = SendAll(Fd, pdu, Deadline.End(), Deadline, &error);
        for (;;) {
            if (wait == NetWait::Cancelled)
                return runner::Cancelled();
            if (wait == NetWait::TimedOut)
                return CheckOutcome::Error("No answer to " + step + " from " + Server + " within " +
                                           runner::Millis(Deadline.Limit().count()));
            if (wait == NetWait::Failed)
                return CheckOutcome::Error(step + " to " + Server + " failed: " + ErrnoText(error));
            if (Buffer.size() >= 16) { // a whole header
                const std::uint32_t length = smpp::Field(Buffer, 0);
                if (length < 16 || length > kMostPdu)
                    return CheckOutcome::Error(Server + " does not speak SMPP: a PDU of " + std::to_string(length) +
                                               " bytes came");
                if (Buffer.size() >= length) {
                    answer = Buffer.substr(0, length);
                    Buffer.erase(0, length);
                    if (smpp::Field(answer, 12) == sequence || smpp::Field(answer, 4) == smpp::kGenericNack)
                        return std::nullopt;
                    continue; // another PDU (an enquire_link, say): not the answer
                }
            }
            bool closed = false;
            wait = ReceiveSome(Fd, Buffer, kMostPdu, Deadline.End(), Deadline, closed, &error);
            if (wait == NetWait::Ready && closed)
                return CheckOutcome::Error(Server + " closed the connection after " + step);
        }
    }
};

} // namespace

CheckOutcome CSmppRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const SmppSettings settings = SmppSettings::Read(check.Function);
    if (settings.Host.empty())
        return CheckOutcome::Uncertain("No host configured");
    HostAndPort target;
    if (!SplitHostPort(settings.Host, target))
        return CheckOutcome::Uncertain("Host '" + settings.Host + "' is not valid");
    if (settings.LogOn && settings.SystemId.empty())
        return CheckOutcome::Uncertain("No system ID configured to log on with");
    const int port = target.Port ? target.Port : settings.Port;
    const CRunDeadline deadline(context);
    const ResolveOutcome resolved = ResolveHost(target.Host, port, SOCK_STREAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved: " +
                                   (resolved.Error.empty() ? "no answer in time" : resolved.Error));
    const auto start = CRunDeadline::Clock::now();
    const ConnectOutcome connection = ConnectTcp(resolved.Addresses, deadline.End(), deadline);
    const std::string server = connection.Peer.HostPortText();
    if (connection.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (connection.Status == NetWait::TimedOut)
        return CheckOutcome::Error("No connection to SMPP server " + server + " within " +
                                   runner::Millis(deadline.Limit().count()));
    if (connection.Status != NetWait::Ready)
        return CheckOutcome::Error("Cannot connect to SMPP server " + server + ": " + ErrnoText(connection.Error));
    const auto took = [&] {
        return FormatMilliseconds(
            std::chrono::duration_cast<std::chrono::microseconds>(CRunDeadline::Clock::now() - start));
    };
    if (!settings.LogOn)
        return CheckOutcome::Success("Connected to SMPP server " + server, took());

    Exchange exchange{connection.Socket.Get(), deadline, "SMPP server " + server, {}};
    const std::string bind = smpp::Pdu(smpp::kBindTransceiver, 0, 1,
                                       COctet(settings.SystemId, 15) + COctet(settings.Password, 8) +
                                           COctet(settings.SystemType, 12) + std::string(1, kInterfaceVersion) +
                                           std::string("\0\0", 2) + COctet("", 40));
    std::string answer;
    if (std::optional<CheckOutcome> failed = exchange.Ask(bind, 1, "bind_transceiver", answer))
        return *failed;
    const std::uint32_t status = smpp::Field(answer, 8);
    if (smpp::Field(answer, 4) != smpp::kBindTransceiverResp)
        return CheckOutcome::Error("SMPP server " + server + " refused bind_transceiver with generic_nack, status " +
                                   smpp::StatusText(status));
    if (status != 0)
        return CheckOutcome::Error("SMPP server " + server + " refused to bind system ID '" + settings.SystemId +
                                       "': status " + smpp::StatusText(status),
                                   took());
    const std::string data = took();
    // The session is closed politely; a server that does not answer the unbind has still
    // accepted the account.
    std::string unbound;
    const std::optional<CheckOutcome> unbind = exchange.Ask(smpp::Pdu(smpp::kUnbind, 0, 2, ""), 2, "unbind", unbound);
    std::string remote = answer.size() > 16 ? answer.substr(16, answer.find('\0', 16) - 16) : "";
    CheckOutcome outcome = CheckOutcome::Success("Bound to SMPP server " + server + " as transceiver '" +
                                                     settings.SystemId + "'" +
                                                     (remote.empty() ? "" : " (server '" + FirstLine(remote) + "')"),
                                                 data);
    if (unbind)
        outcome.Comment = "The unbind was not answered: " + unbind->Response;
    return outcome;
}
