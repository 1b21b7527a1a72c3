#include "engine/TrapReceiver.h"

#include "NotificationLog.h"
#include "engine/NetworkHelpers.h"
#include "model/settings/SnAdvSnmpTrapRcvSettings.h"

#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr const char* kSnmpTrapOid = "1.3.6.1.6.3.1.1.4.1.0";
constexpr const char* kSysUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kStandardTraps = "1.3.6.1.6.3.1.1.5.";
// How often the receiving thread looks at the stop flag.
constexpr int kPollMs = 100;

} // namespace

bool TrapFromMessage(const SnmpMessage& message, const std::string& source, ReceivedTrap& out) {
    out = {};
    out.Source = source;
    out.Community = message.Community;
    if (message.Pdu == kSnmpTrapV1 && message.Version == 0) {
        out.Version = 1;
        out.Enterprise = message.Enterprise;
        out.Oid = message.GenericTrap >= 0 && message.GenericTrap < 6
                      ? kStandardTraps + std::to_string(message.GenericTrap + 1)
                      : message.Enterprise + ".0." + std::to_string(message.SpecificTrap);
    } else if (message.Pdu == kSnmpTrapV2 && message.Version == 1) {
        out.Version = 2;
    } else {
        return false;
    }
    for (const SnmpVariable& variable : message.Variables) {
        if (out.Version == 2 && variable.Oid == kSnmpTrapOid)
            out.Oid = variable.Value.Text;
        else if (out.Version == 1 || variable.Oid != kSysUpTime)
            out.Variables.push_back({variable.Oid, variable.Value.Type, variable.Value.Text});
    }
    return !out.Oid.empty();
}

std::string TrapLogLine(const ReceivedTrap& trap, const std::string& separator) {
    std::string line = trap.Source + separator + (trap.Version == 1 ? "SNMP v1" : "SNMP v2c") + separator +
                       trap.Community + separator + trap.Oid;
    for (const TrapVariable& variable : trap.Variables)
        line += separator + variable.Oid + "=" + variable.Value;
    return line;
}

std::string DescribeTrap(const ReceivedTrap& trap) {
    std::string text = std::string(trap.Version == 1 ? "SNMP v1" : "SNMP v2c") + " trap " + trap.Oid + " from " +
                       trap.Source;
    for (std::size_t i = 0; i < trap.Variables.size(); ++i)
        text += (i ? ", " : ": ") + trap.Variables[i].Oid + "=" + trap.Variables[i].Value;
    return FirstLine(text, 200);
}

CTrapReceiver::CTrapReceiver(const CSnAdvSnmpTrapRcvSettings& settings, CQvcString engineRoot, Sink sink)
    : m_port(settings.Port > 0 ? settings.Port : 162), m_root(std::move(engineRoot)), m_sink(std::move(sink)) {
    if (!settings.AllCommunities)
        m_community = settings.Community.Str();
    if (settings.EnableLogging) {
        m_log = settings.TextLog.Str();
        m_separator = settings.TextSeparator.Str();
    }
    // IPv4 and IPv6 on one socket; IPv4 alone where the system has no IPv6.
    sockaddr_in6 any6{};
    any6.sin6_family = AF_INET6;
    any6.sin6_port = htons(static_cast<std::uint16_t>(m_port));
    any6.sin6_addr = in6addr_any;
    sockaddr_in any4{};
    any4.sin_family = AF_INET;
    any4.sin_port = any6.sin6_port;
    any4.sin_addr.s_addr = htonl(INADDR_ANY);
    const sockaddr* any = reinterpret_cast<const sockaddr*>(&any6);
    socklen_t anyLength = sizeof any6;
    m_fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        any = reinterpret_cast<const sockaddr*>(&any4);
        anyLength = sizeof any4;
    } else {
        int v6only = 0;
        ::setsockopt(m_fd, IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only);
    }
    if (m_fd < 0 || ::bind(m_fd, any, anyLength) != 0) {
        m_error = "cannot listen on UDP port " + std::to_string(m_port) + ": " + ErrnoText(errno);
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_thread = std::thread([this] { Serve(); });
}

CTrapReceiver::~CTrapReceiver() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

void CTrapReceiver::Serve() {
    while (!m_stop) {
        pollfd readable{m_fd, POLLIN, 0};
        if (::poll(&readable, 1, kPollMs) != 1)
            continue;
        char buffer[65536];
        sockaddr_storage from{};
        socklen_t length = sizeof from;
        const ssize_t got = ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (got <= 0)
            continue;
        std::string source = ToSocketAddress(reinterpret_cast<sockaddr*>(&from), length).Text();
        if (source.rfind("::ffff:", 0) == 0) // an IPv4 sender on the dual-stack socket
            source.erase(0, 7);
        Take(std::string_view(buffer, static_cast<std::size_t>(got)), source);
    }
}

void CTrapReceiver::Take(std::string_view datagram, const std::string& source) {
    SnmpMessage message;
    std::string why;
    ReceivedTrap trap;
    if (!ReadSnmpMessage(datagram, message, why) || !TrapFromMessage(message, source, trap))
        return;
    if (!m_community.empty() && trap.Community != m_community)
        return;
    if (!m_log.empty())
        AppendNotificationLog(m_log, m_root, {TrapLogLine(trap, m_separator)});
    m_sink(std::move(trap));
}
