#include "engine/IcmpPingRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/NetworkChecks.h"
#include "engine/NetworkHelpers.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

namespace {

constexpr unsigned char kEchoRequestV4 = 8, kEchoReplyV4 = 0, kUnreachableV4 = 3, kTimeExceededV4 = 11;
constexpr unsigned char kEchoRequestV6 = 128, kEchoReplyV6 = 129, kUnreachableV6 = 1, kTimeExceededV6 = 3;
constexpr std::size_t kIcmpHeader = 8;
constexpr std::size_t kIpv6Header = 40;
// The filter of raw ICMP sockets (ICMP_FILTER of <linux/icmp.h>, whose structures clash
// with the C library's): a bit set for each message type to drop.
constexpr int kRawIcmpFilter = 1;

// Raw sockets see every ICMP message of the machine: each run tells its own replies by
// an identifier of its own.
std::atomic<unsigned> g_nextIdentifier{static_cast<unsigned>(::getpid()) * 131u};

std::uint16_t Checksum(const unsigned char* data, std::size_t size) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        sum += static_cast<std::uint32_t>((data[i] << 8) | data[i + 1]);
    if (size % 2)
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::uint16_t Read16(const unsigned char* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

struct PingSocket {
    platform::UniqueFd Fd;
    int Family = AF_INET;
    bool Raw = false;
    std::uint16_t Id = 0; // ours on a raw socket; the system sets it on a datagram socket
};

enum class Opened { Ok, NotPermitted, Failed };

Opened OpenSocket(int family, bool allowRaw, PingSocket& out, int& error) {
    const int protocol = family == AF_INET6 ? static_cast<int>(IPPROTO_ICMPV6) : static_cast<int>(IPPROTO_ICMP);
    out.Family = family;
    out.Fd = platform::UniqueFd(::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
    out.Raw = false;
    if (!out.Fd) {
        error = errno;
        if (error != EACCES && error != EPERM && error != EPROTONOSUPPORT)
            return Opened::Failed;
        if (!allowRaw)
            return Opened::NotPermitted;
        out.Fd = platform::UniqueFd(::socket(family, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
        if (!out.Fd) {
            error = errno;
            return (error == EACCES || error == EPERM) ? Opened::NotPermitted : Opened::Failed;
        }
        out.Raw = true;
        out.Id = static_cast<std::uint16_t>(g_nextIdentifier.fetch_add(1));
    }
    // A datagram socket learns of ICMP errors (unreachable, TTL expired) through its error
    // queue; a raw socket receives them as messages.
    const int on = 1;
    if (family == AF_INET) {
        ::setsockopt(out.Fd.Get(), IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
        if (!out.Raw)
            ::setsockopt(out.Fd.Get(), IPPROTO_IP, IP_RECVERR, &on, sizeof on);
        if (out.Raw) {
            const std::uint32_t drop =
                ~((1u << kEchoReplyV4) | (1u << kUnreachableV4) | (1u << kTimeExceededV4));
            ::setsockopt(out.Fd.Get(), SOL_RAW, kRawIcmpFilter, &drop, sizeof drop);
        }
    } else {
        ::setsockopt(out.Fd.Get(), IPPROTO_IPV6, IPV6_RECVHOPLIMIT, &on, sizeof on);
        if (!out.Raw)
            ::setsockopt(out.Fd.Get(), IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof on);
    }
    return Opened::Ok;
}

bool SetTtl(const PingSocket& socket, int ttl) {
    if (socket.Family == AF_INET)
        return ::setsockopt(socket.Fd.Get(), IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) == 0;
    return ::setsockopt(socket.Fd.Get(), IPPROTO_IPV6, IPV6_UNICAST_HOPS, &ttl, sizeof ttl) == 0;
}

std::string EchoRequest(const PingSocket& socket, std::uint16_t sequence, int payloadBytes) {
    std::string packet(kIcmpHeader + static_cast<std::size_t>(payloadBytes), '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(packet.data());
    bytes[0] = socket.Family == AF_INET ? kEchoRequestV4 : kEchoRequestV6;
    bytes[4] = static_cast<unsigned char>(socket.Id >> 8);
    bytes[5] = static_cast<unsigned char>(socket.Id & 0xff);
    bytes[6] = static_cast<unsigned char>(sequence >> 8);
    bytes[7] = static_cast<unsigned char>(sequence & 0xff);
    for (int i = 0; i < payloadBytes; ++i)
        bytes[kIcmpHeader + static_cast<std::size_t>(i)] = static_cast<unsigned char>('a' + i % 23);
    // The system fills the ICMPv6 checksum itself (it covers a pseudo header).
    if (socket.Family == AF_INET) {
        const std::uint16_t sum = Checksum(bytes, packet.size());
        bytes[2] = static_cast<unsigned char>(sum >> 8);
        bytes[3] = static_cast<unsigned char>(sum & 0xff);
    }
    return packet;
}

struct Reply {
    enum class Kind { None, Echo, Unreachable, TimeExceeded };
    Kind What = Kind::None;
    std::string From;
    int Ttl = -1;
    int Code = 0;
};

// Whether an ICMP header (echo request or reply) carries our identifier and sequence; a
// datagram socket's identifier is the system's, which only sends us our own replies.
bool Ours(const PingSocket& socket, const unsigned char* icmp, std::uint16_t sequence) {
    return Read16(icmp + 6) == sequence && (!socket.Raw || Read16(icmp + 4) == socket.Id);
}

// An error report that quotes our echo request: the quoted IP header, then its ICMP header.
bool QuotesOurs(const PingSocket& socket, const unsigned char* quoted, std::size_t size, std::uint16_t sequence) {
    std::size_t header = kIpv6Header;
    if (socket.Family == AF_INET) {
        if (size < 20)
            return false;
        header = static_cast<std::size_t>(quoted[0] & 0x0f) * 4;
    }
    if (size < header + kIcmpHeader)
        return false;
    const unsigned char* icmp = quoted + header;
    const unsigned char request = socket.Family == AF_INET ? kEchoRequestV4 : kEchoRequestV6;
    return icmp[0] == request && Ours(socket, icmp, sequence);
}

Reply::Kind ErrorKind(int family, int type) {
    if (family == AF_INET)
        return type == kUnreachableV4 ? Reply::Kind::Unreachable
               : type == kTimeExceededV4 ? Reply::Kind::TimeExceeded
                                         : Reply::Kind::None;
    return type == kUnreachableV6 ? Reply::Kind::Unreachable
           : type == kTimeExceededV6 ? Reply::Kind::TimeExceeded
                                     : Reply::Kind::None;
}

// Reads one message (from the error queue when `errors`); Kind::None when it is not ours
// or nothing was there (errno then tells).
Reply ReadOne(const PingSocket& socket, std::uint16_t sequence, bool errors) {
    Reply reply;
    unsigned char buffer[65536];
    sockaddr_storage from{};
    alignas(cmsghdr) unsigned char control[512];
    iovec part{buffer, sizeof buffer};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(socket.Fd.Get(), &message, errors ? MSG_ERRQUEUE | MSG_DONTWAIT : MSG_DONTWAIT);
    if (got < 0)
        return reply;
    const auto size = static_cast<std::size_t>(got);

    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if ((c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) ||
            (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_HOPLIMIT)) {
            int ttl = 0;
            std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
            reply.Ttl = ttl;
        }
        if (errors && ((c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_RECVERR) ||
                       (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_RECVERR))) {
            // The system quotes our own request and names the sender of the ICMP error.
            sock_extended_err error{};
            std::memcpy(&error, CMSG_DATA(c), sizeof error);
            if ((error.ee_origin != SO_EE_ORIGIN_ICMP && error.ee_origin != SO_EE_ORIGIN_ICMP6) ||
                size < kIcmpHeader || Read16(buffer + 6) != sequence)
                continue;
            reply.What = ErrorKind(socket.Family, error.ee_type);
            reply.Code = error.ee_code;
            const auto* offender =
                reinterpret_cast<const sockaddr*>(SO_EE_OFFENDER(reinterpret_cast<sock_extended_err*>(CMSG_DATA(c))));
            reply.From = ToSocketAddress(offender, socket.Family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6))
                             .Text();
        }
    }
    if (errors)
        return reply;

    const unsigned char* icmp = buffer;
    std::size_t icmpSize = size;
    if (socket.Raw && socket.Family == AF_INET) {
        // A raw IPv4 socket hands over the IP header too.
        if (size < 20)
            return reply;
        const std::size_t header = static_cast<std::size_t>(buffer[0] & 0x0f) * 4;
        if (size < header + kIcmpHeader)
            return reply;
        reply.Ttl = buffer[8];
        icmp += header;
        icmpSize -= header;
    }
    if (icmpSize < kIcmpHeader)
        return reply;
    reply.From = ToSocketAddress(reinterpret_cast<const sockaddr*>(&from), message.msg_namelen).Text();
    const unsigned char echoReply = socket.Family == AF_INET ? kEchoReplyV4 : kEchoReplyV6;
    if (icmp[0] == echoReply) {
        if (Ours(socket, icmp, sequence))
            reply.What = Reply::Kind::Echo;
    } else if (socket.Raw && ErrorKind(socket.Family, icmp[0]) != Reply::Kind::None &&
               QuotesOurs(socket, icmp + kIcmpHeader, icmpSize - kIcmpHeader, sequence)) {
        reply.What = ErrorKind(socket.Family, icmp[0]);
        reply.Code = icmp[1];
    }
    return reply;
}

std::string UnreachableText(int family, int code) {
    if (family == AF_INET) {
        switch (code) {
        case 0:
            return "Destination net unreachable";
        case 1:
            return "Destination host unreachable";
        case 2:
            return "Destination protocol unreachable";
        case 3:
            return "Destination port unreachable";
        case 13:
            return "Communication administratively prohibited";
        default:
            return "Destination unreachable";
        }
    }
    switch (code) {
    case 0:
        return "Destination net unreachable";
    case 1:
        return "Communication administratively prohibited";
    case 3:
        return "Destination host unreachable";
    case 4:
        return "Destination port unreachable";
    default:
        return "Destination unreachable";
    }
}

std::string TimeText(std::chrono::microseconds took) {
    if (took < std::chrono::milliseconds(1))
        return "time<1ms";
    return "time=" + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) + "ms";
}

using Wait = CNetReactor::Wait;

// Echo requests one after the other until one is answered: each waits for its reply up
// to the time-out; after an error report the rest of its time passes before the next.
class PingTask final : public CNetReactor::Task {
public:
    PingTask(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done)
        : m_settings(IcmpSettings::Read(check.Function)), m_context(context),
          m_deadline(m_context, std::chrono::milliseconds(m_settings.TimeoutMs) * m_settings.Count),
          m_done(std::move(done)) {}

    // Settings, name resolution and the socket; an outcome when the run ends here.
    std::optional<CheckOutcome> Prepare(bool allowRaw) {
        HostAndPort target;
        if (m_settings.Host.empty())
            return CheckOutcome::Uncertain("No host configured");
        if (!SplitHostPort(m_settings.Host, target))
            return CheckOutcome::Uncertain("Host '" + m_settings.Host + "' is not valid");
        const ResolveOutcome resolved = ResolveHost(target.Host, 0, SOCK_DGRAM, AF_UNSPEC, m_deadline);
        if (resolved.Status == NetWait::Cancelled)
            return runner::Cancelled();
        if (resolved.Status != NetWait::Ready)
            return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved: " +
                                       (resolved.Error.empty() ? "no answer in time" : resolved.Error));
        m_address = resolved.Addresses.front();
        m_peer = m_address.Text();

        int error = 0;
        switch (OpenSocket(m_address.Family(), allowRaw, m_socket, error)) {
        case Opened::NotPermitted: {
            CheckOutcome outcome = CheckOutcome::Uncertain(CIcmpPingRunner::kNotPermitted);
            outcome.Comment = "Raw ICMP sockets need root or CAP_NET_RAW";
            return outcome;
        }
        case Opened::Failed:
            return CheckOutcome::Uncertain("ICMP socket could not be opened: " + ErrnoText(error));
        case Opened::Ok:
            break;
        }
        if (!SetTtl(m_socket, m_settings.Ttl))
            return CheckOutcome::Uncertain("TTL " + std::to_string(m_settings.Ttl) +
                                           " could not be set: " + ErrnoText(errno));
        m_firstSequence = static_cast<std::uint16_t>(g_nextIdentifier.load() * 7u);
        return std::nullopt;
    }

    Wait Start() override { return SendRequest(); }

    Wait Resume(std::uint32_t events) override {
        if (events == 0) {
            // This request's time is over (lost, or the pause after an error report).
            ++m_attempt;
            return SendRequest();
        }
        if (m_pausing) {
            // Nothing counts during the pause; what arrives is dropped.
            Drain();
            return Wait::Socket(m_socket.Fd.Get(), 0, m_until);
        }
        Reply reply = ReadOne(m_socket, m_sequence, true);
        if (reply.What == Reply::Kind::None)
            reply = ReadOne(m_socket, m_sequence, false);
        if (reply.What == Reply::Kind::Echo) {
            const auto took =
                std::chrono::duration_cast<std::chrono::microseconds>(CRunDeadline::Clock::now() - m_sentAt);
            std::string response = "Reply from " + reply.From + ": " + TimeText(took);
            if (reply.Ttl >= 0)
                response += " TTL=" + std::to_string(reply.Ttl);
            CheckOutcome outcome = CheckOutcome::Success(response, FormatMilliseconds(took));
            if (m_attempt > 0)
                outcome.Comment = "Answered at echo request " + std::to_string(m_attempt + 1) + " of " +
                                  std::to_string(m_settings.Count);
            return Finish(std::move(outcome));
        }
        if (reply.What == Reply::Kind::None)
            return Wait::Socket(m_socket.Fd.Get(), EPOLLIN, m_until);
        // This request is answered with an error: wait out the rest of its time before
        // the next one, as after a loss, so that a quick error report does not burn
        // through the requests.
        m_lastError = reply;
        if (m_attempt + 1 >= m_settings.Count) {
            ++m_attempt;
            return SendRequest();
        }
        m_pausing = true;
        return Wait::Socket(m_socket.Fd.Get(), 0, m_until);
    }

    void Cancel() override { m_done(runner::Cancelled()); }
    bool Cancelled() const override { return m_context.IsCancelled(); }

private:
    Wait Finish(CheckOutcome outcome) {
        m_done(std::move(outcome));
        return Wait::Finished();
    }

    Wait SendRequest() {
        m_pausing = false;
        if (m_attempt >= m_settings.Count || m_deadline.Expired())
            return NoReply();
        m_sequence = static_cast<std::uint16_t>(m_firstSequence + m_attempt);
        const std::string packet = EchoRequest(m_socket, m_sequence, m_settings.PayloadBytes);
        m_sentAt = CRunDeadline::Clock::now();
        if (::sendto(m_socket.Fd.Get(), packet.data(), packet.size(), 0, m_address.Get(), m_address.Length) < 0)
            return Finish(CheckOutcome::Error("Echo request to " + m_peer + " could not be sent: " + ErrnoText(errno)));
        m_until = std::min(m_deadline.End(), m_sentAt + std::chrono::milliseconds(m_settings.TimeoutMs));
        return Wait::Socket(m_socket.Fd.Get(), EPOLLIN, m_until);
    }

    Wait NoReply() {
        const std::string requests =
            std::to_string(m_settings.Count) + " echo request" + (m_settings.Count > 1 ? "s" : "");
        CheckOutcome outcome;
        if (m_lastError.What == Reply::Kind::Unreachable)
            outcome = CheckOutcome::Error("Reply from " + m_lastError.From + ": " +
                                          UnreachableText(m_socket.Family, m_lastError.Code));
        else if (m_lastError.What == Reply::Kind::TimeExceeded)
            outcome = CheckOutcome::Error("Reply from " + m_lastError.From + ": TTL expired in transit");
        else
            outcome = CheckOutcome::Error("Request timed out: no reply from " + m_peer + " to " + requests);
        outcome.Comment = requests + ", " + runner::Millis(m_settings.TimeoutMs) + " each";
        return Finish(std::move(outcome));
    }

    void Drain() {
        char buffer[2048];
        while (::recv(m_socket.Fd.Get(), buffer, sizeof buffer, MSG_DONTWAIT | MSG_ERRQUEUE) >= 0) {
        }
        while (::recv(m_socket.Fd.Get(), buffer, sizeof buffer, MSG_DONTWAIT) >= 0) {
        }
    }

    const IcmpSettings m_settings;
    const RunContext m_context;
    const CRunDeadline m_deadline;
    OutcomeSink m_done;

    SocketAddress m_address;
    std::string m_peer;
    PingSocket m_socket;
    std::uint16_t m_firstSequence = 0;
    std::uint16_t m_sequence = 0;
    int m_attempt = 0;
    bool m_pausing = false;
    CRunDeadline::Clock::time_point m_sentAt{};
    CRunDeadline::Clock::time_point m_until{};
    Reply m_lastError;
};

} // namespace

PreparedNetCheck PrepareIcmpCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done,
                                  bool allowRaw) {
    auto task = std::make_unique<PingTask>(check, context, std::move(done));
    PreparedNetCheck prepared;
    if (std::optional<CheckOutcome> outcome = task->Prepare(allowRaw))
        prepared.Outcome = std::move(*outcome);
    else
        prepared.Task = std::move(task);
    return prepared;
}

CheckOutcome CIcmpPingRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const bool allowRaw = m_sockets == Sockets::DatagramOrRaw;
    return RunPreparedCheck(
        [&check, allowRaw](const RunContext& c, OutcomeSink done) {
            return PrepareIcmpCheck(check, c, std::move(done), allowRaw);
        },
        context);
}
