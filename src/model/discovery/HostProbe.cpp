#include "model/discovery/HostProbe.h"

#include "model/discovery/IcmpEcho.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
// How often a waiting probe looks at the stop.
constexpr auto kStopSlice = std::chrono::milliseconds(50);

// The IPv4 address of `host`: the address itself, or the first one its name resolves to.
bool ToAddress(const std::string& host, sockaddr_in& out) {
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    if (::inet_pton(AF_INET, host.c_str(), &out.sin_addr) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    out.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

int MillisSince(Clock::time_point start) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Waits for `events` on `fd` until `until`, in slices so that a stop is seen: true when
// the socket is ready (or reports an error), false on time-out or stop.
bool WaitReady(int fd, short events, Clock::time_point until, const ProbeStopped& stopped) {
    for (;;) {
        if (stopped && stopped())
            return false;
        const auto now = Clock::now();
        if (now >= until)
            return false;
        const auto slice = std::min<Clock::duration>(kStopSlice, until - now);
        pollfd entry{fd, events, 0};
        const int ready =
            ::poll(&entry, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(slice).count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

int ProbeTcpPort(const std::string& host, int port, std::chrono::milliseconds timeout, const ProbeStopped& stopped) {
    if (port < 1 || port > 65535)
        return -1;
    const auto start = Clock::now();
    const auto until = start + timeout;
    // An address is tried as it is; a name is tried at each of its addresses (IPv4 or
    // IPv6) in the resolver's order, all within the one time-out.
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr)
        return -1;
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, &::freeaddrinfo);
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        const platform::UniqueFd socket(
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol));
        if (!socket)
            continue;
        if (::connect(socket.Get(), address->ai_addr, address->ai_addrlen) == 0)
            return MillisSince(start);
        if (errno != EINPROGRESS)
            continue;
        if (!WaitReady(socket.Get(), POLLOUT, until, stopped))
            return -1;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
            return MillisSince(start);
    }
    return -1;
}

int ProbePing(const std::string& host, std::chrono::milliseconds timeout, const ProbeStopped& stopped) {
    sockaddr_in address{};
    if (!ToAddress(host, address))
        return -1;
    IcmpSocket socket;
    int error = 0;
    if (OpenIcmpSocket(AF_INET, true, socket, error) != IcmpOpened::Ok)
        return -1;
    const std::uint16_t sequence = IcmpFirstSequence();
    const std::string request = IcmpEchoRequest(socket, sequence, 32);
    const auto start = Clock::now();
    if (::sendto(socket.Fd.Get(), request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&address),
                 sizeof address) < 0)
        return -1;
    while (WaitReady(socket.Fd.Get(), POLLIN, start + timeout, stopped)) {
        IcmpReply reply = ReadIcmpReply(socket, sequence, true);
        if (reply.What == IcmpReply::Kind::None)
            reply = ReadIcmpReply(socket, sequence, false);
        if (reply.What == IcmpReply::Kind::Echo)
            return MillisSince(start);
        // An error report (unreachable, TTL expired) is no answer of the host itself.
        if (reply.What != IcmpReply::Kind::None)
            return -1;
    }
    return -1;
}

bool IcmpPermitted() {
    IcmpSocket socket;
    int error = 0;
    return OpenIcmpSocket(AF_INET, true, socket, error) == IcmpOpened::Ok;
}

std::string ResolveAddressName(const std::string& address) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address.c_str(), &in.sin_addr) != 1)
        return {};
    char name[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, name, sizeof name, nullptr, 0,
                      NI_NAMEREQD) != 0)
        return {};
    return name;
}
