#include "model/discovery/IcmpEcho.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

constexpr unsigned char kEchoRequestV4 = 8, kEchoReplyV4 = 0, kUnreachableV4 = 3, kTimeExceededV4 = 11;
constexpr unsigned char kEchoRequestV6 = 128, kEchoReplyV6 = 129, kUnreachableV6 = 1, kTimeExceededV6 = 3;
constexpr std::size_t kIcmpHeader = 8;
constexpr std::size_t kIpv6Header = 40;
// The filter of raw ICMP sockets (ICMP_FILTER of <linux/icmp.h>, whose structures clash
// with the C library's): a bit set for each message type to drop.
constexpr int kRawIcmpFilter = 1;

// Raw sockets see every ICMP message of the machine: each socket tells its own replies by
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

std::string AddressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    else if (address->sa_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
    return text;
}

// Whether an ICMP header (echo request or reply) carries our identifier and sequence; a
// datagram socket's identifier is the system's, which only sends us our own replies.
bool Ours(const IcmpSocket& socket, const unsigned char* icmp, std::uint16_t sequence) {
    return Read16(icmp + 6) == sequence && (!socket.Raw || Read16(icmp + 4) == socket.Id);
}

// An error report that quotes our echo request: the quoted IP header, then its ICMP header.
bool QuotesOurs(const IcmpSocket& socket, const unsigned char* quoted, std::size_t size, std::uint16_t sequence) {
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

IcmpReply::Kind ErrorKind(int family, int type) {
    if (family == AF_INET)
        return type == kUnreachableV4 ? IcmpReply::Kind::Unreachable
               : type == kTimeExceededV4 ? IcmpReply::Kind::TimeExceeded
                                         : IcmpReply::Kind::None;
    return type == kUnreachableV6 ? IcmpReply::Kind::Unreachable
           : type == kTimeExceededV6 ? IcmpReply::Kind::TimeExceeded
                                     : IcmpReply::Kind::None;
}

} // namespace

IcmpOpened OpenIcmpSocket(int family, bool allowRaw, IcmpSocket& out, int& error) {
    const int protocol = family == AF_INET6 ? static_cast<int>(IPPROTO_ICMPV6) : static_cast<int>(IPPROTO_ICMP);
    out.Family = family;
    out.Fd = platform::UniqueFd(::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
    out.Raw = false;
    if (!out.Fd) {
        error = errno;
        if (error != EACCES && error != EPERM && error != EPROTONOSUPPORT)
            return IcmpOpened::Failed;
        if (!allowRaw)
            return IcmpOpened::NotPermitted;
        out.Fd = platform::UniqueFd(::socket(family, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
        if (!out.Fd) {
            error = errno;
            return (error == EACCES || error == EPERM) ? IcmpOpened::NotPermitted : IcmpOpened::Failed;
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
    return IcmpOpened::Ok;
}

bool SetIcmpTtl(const IcmpSocket& socket, int ttl) {
    if (socket.Family == AF_INET)
        return ::setsockopt(socket.Fd.Get(), IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) == 0;
    return ::setsockopt(socket.Fd.Get(), IPPROTO_IPV6, IPV6_UNICAST_HOPS, &ttl, sizeof ttl) == 0;
}

std::uint16_t IcmpFirstSequence() {
    return static_cast<std::uint16_t>(g_nextIdentifier.fetch_add(1) * 7u);
}

std::string IcmpEchoRequest(const IcmpSocket& socket, std::uint16_t sequence, int payloadBytes) {
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

IcmpReply ReadIcmpReply(const IcmpSocket& socket, std::uint16_t sequence, bool errors) {
    IcmpReply reply;
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
            reply.From = AddressText(
                reinterpret_cast<const sockaddr*>(SO_EE_OFFENDER(reinterpret_cast<sock_extended_err*>(CMSG_DATA(c)))));
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
    reply.From = AddressText(reinterpret_cast<const sockaddr*>(&from));
    const unsigned char echoReply = socket.Family == AF_INET ? kEchoReplyV4 : kEchoReplyV6;
    if (icmp[0] == echoReply) {
        if (Ours(socket, icmp, sequence))
            reply.What = IcmpReply::Kind::Echo;
    } else if (socket.Raw && ErrorKind(socket.Family, icmp[0]) != IcmpReply::Kind::None &&
               QuotesOurs(socket, icmp + kIcmpHeader, icmpSize - kIcmpHeader, sequence)) {
        reply.What = ErrorKind(socket.Family, icmp[0]);
        reply.Code = icmp[1];
    }
    return reply;
}

void DrainIcmpSocket(const IcmpSocket& socket) {
    char buffer[2048];
    while (::recv(socket.Fd.Get(), buffer, sizeof buffer, MSG_DONTWAIT | MSG_ERRQUEUE) >= 0) {
    }
    while (::recv(socket.Fd.Get(), buffer, sizeof buffer, MSG_DONTWAIT) >= 0) {
    }
}
