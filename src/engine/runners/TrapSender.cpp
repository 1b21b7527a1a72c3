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
constexpr long kBadAgent = 22202, kSendFailed = 22233;

// Hundredths of a second since the system started, as SNMP counts uptime.
std::uint32_t Uptime() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(now.tv_sec) * 100 +
                                      static_cast<unsigned long long>(now.tv_nsec) / 10000000);
}

} // namespace

CSnNotificationResponse SendTestTrap(const CSnSnmpNotificationRequest& request, const RunContext& context) {
    const CRunDeadline deadline(context);
    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    auto fail = [&](long code, const std::string& detail) {
        response.ErrorCode = code;
        response.ErrorDescription = std::string(ErrorTextOnly(code)) + (detail.empty() ? "" : ": " + detail);
        AppendNotificationLog(request.LogFile.Str(), context.EngineRoot,
                              {"SNMP trap test to " + request.Agent.Str() + ": failed, Error #" + std::to_string(code) +
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
    const SocketAddress& address = resolved.Addresses.front();
    platform::UniqueFd socket(::socket(address.Family(), SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket || ::connect(socket.Get(), address.Get(), address.Length) != 0)
        return fail(kSendFailed, address.Text() + ": " + ErrnoText(errno));

    SnmpTrapContent content;
    content.Version = request.ProtocolVersion == 1 ? 1 : 2;
    content.Community = request.Community.Str();
    content.Oid = request.OID.Str();
    content.Value = request.OIDValue.Str();
    content.ValueType = request.OIDType;
    content.GenericTrap = request.GenericTrap;
    content.Uptime = Uptime();
    std::random_device seed;
    content.RequestId = static_cast<std::int32_t>(seed() & 0x7fffffff);
    // An SNMPv1 trap names the address it comes from: the one this socket sends from.
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&local), &length) == 0 && local.ss_family == AF_INET)
        content.AgentAddress = ntohl(reinterpret_cast<const sockaddr_in*>(&local)->sin_addr.s_addr);

    std::string message, why;
    if (const long code = BuildSnmpTrap(content, message, why); code != 0)
        return fail(code, why);
    if (::send(socket.Get(), message.data(), message.size(), 0) != static_cast<ssize_t>(message.size()))
        return fail(kSendFailed, address.Text() + ": " + ErrnoText(errno));

    const std::string target = address.Family() == AF_INET6 ? "[" + address.Text() + "]:" + std::to_string(address.Port())
                                                            : address.Text() + ":" + std::to_string(address.Port());
    response.Param[0] = target;
    AppendNotificationLog(request.LogFile.Str(), context.EngineRoot,
                          {"SNMP trap test to " + target + " (" + (content.Version == 1 ? "SNMP v1" : "SNMP v2c") +
                           ", OID " + content.Oid + " = " + content.Value + "): sent"});
    return response;
}
