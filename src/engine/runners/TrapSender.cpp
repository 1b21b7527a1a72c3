// The SNMP trap channel of notification tests: one datagram to the agent.
#include "NotificationLog.h"
#include "engine/NetworkHelpers.h"
#include "engine/NotificationSender.h"
#include "engine/SnmpTrapMessage.h"
#include "library/ErrorTexts.h"
#include "model/notify/SnSnmpNotificationRequest.h"

#include <netinet/in.h>

#include <ctime>
#include <random>

namespace {

constexpr int kTrapPort = 162;
// How long a sent trap waits for the agent's system to refuse it (an ICMP "port
// unreachable"), over all addresses of the agent.  Nothing confirms a trap that arrived.
constexpr std::chrono::milliseconds kRefusalWait{500};
constexpr long kBadAgent = 22202, kSendFailed = 22233;

// Hundredths of a second since the system started, as SNMP counts uptime.
std::uint32_t Uptime() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(now.tv_sec) * 100 +
                                      static_cast<unsigned long long>(now.tv_nsec) / 10000000);
}

// `what` names the trap in the log ("SNMP trap test", "SNMP trap").
CSnNotificationResponse SendTrap(const CSnSnmpNotificationRequest& request, const RunContext& context,
                                 const std::vector<std::pair<std::string, std::string>>& texts,
                                 const std::string& what) {
    const CRunDeadline deadline(context);
    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    auto fail = [&](long code, const std::string& detail) {
        response.ErrorCode = code;
        response.ErrorDescription = std::string(ErrorTextOnly(code)) + (detail.empty() ? "" : ": " + detail);
        AppendNotificationLog(request.LogFile.Str(), context.EngineRoot,
                              {what + " to " + request.Agent.Str() + ": failed, Error #" + std::to_string(code) +
                               ": " + response.ErrorDescription.Str()});
        return response;
    };

    HostAndPort agent;
    if (!SplitHostPort(request.Agent.Str(), agent))
        return fail(kBadAgent, "'" + request.Agent.Str() + "'");
    if (agent.Port == 0)
        agent.Port = kTrapPort;
    const ResolveOutcome resolved = ResolveHost(agent.Host, agent.Port, SOCK_DGRAM, AF_UNSPEC, deadline);
    if (resolved.Status != NetWait::Ready)
        return fail(kBadAgent, "'" + agent.Host + "' " +
                                   (resolved.Error.empty() ? "could not be resolved in time" : resolved.Error));
    // Each address of the agent in the resolver's order, each with its share of the time:
    // the trap goes to the first one whose system does not refuse it.
    SnmpTrapContent content;
    content.Version = request.ProtocolVersion == 1 ? 1 : 2;
    content.Community = request.Community.Str();
    content.Oid = request.OID.Str();
    content.Value = request.OIDValue.Str();
    content.ValueType = request.OIDType;
    content.GenericTrap = request.GenericTrap;
    content.Texts = texts;
    std::random_device seed;
    content.RequestId = static_cast<std::int32_t>(seed() & 0x7fffffff);
    std::string message, why;
    if (const long code = BuildSnmpTrap(content, message, why); code != 0)
        return fail(code, why);
    const auto refusalEnd = deadline.Within(kRefusalWait);
    std::string failures;
    std::string target;
    for (std::size_t i = 0; i < resolved.Addresses.size() && target.empty(); ++i) {
        const SocketAddress& address = resolved.Addresses[i];
        const auto until = ShareOf(refusalEnd, resolved.Addresses.size() - i);
        int error = 0;
        platform::UniqueFd socket = ConnectUdp(address, &error);
        NetWait sent = NetWait::Failed;
        if (socket) {
            // An SNMPv1 trap names the address it comes from: the one this socket sends from.
            content.AgentAddress = 0;
            sockaddr_storage local{};
            socklen_t length = sizeof local;
            if (::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
                local.ss_family == AF_INET)
                content.AgentAddress = ntohl(reinterpret_cast<const sockaddr_in*>(&local)->sin_addr.s_addr);
            content.Uptime = Uptime();
            if (const long code = BuildSnmpTrap(content, message, why); code != 0)
                return fail(code, why);
            sent = SendDatagram(socket.Get(), message, until, deadline, &error);
        }
        if (sent == NetWait::Cancelled)
            return fail(kSendFailed, "cancelled, the engine is stopping");
        if (sent == NetWait::Ready)
            target = address.HostPortText();
        else
            failures += (failures.empty() ? "" : "; ") + address.HostPortText() + ": " + ErrnoText(error);
    }
    if (target.empty())
        return fail(kSendFailed, failures);

    response.Param[0] = target;
    AppendNotificationLog(request.LogFile.Str(), context.EngineRoot,
                          {what + " to " + target + " (" + (content.Version == 1 ? "SNMP v1" : "SNMP v2c") +
                           ", OID " + content.Oid + " = " + content.Value + "): sent"});
    return response;
}

} // namespace

CSnNotificationResponse SendTestTrap(const CSnSnmpNotificationRequest& request, const RunContext& context) {
    return SendTrap(request, context, {}, "SNMP trap test");
}

CSnNotificationResponse SendAlertTrap(const CSnSnmpNotificationRequest& request, const RunContext& context,
                                      const std::vector<std::pair<std::string, std::string>>& texts) {
    return SendTrap(request, context, texts, "SNMP trap");
}
