#include "engine/NetworkHelpers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool ParsePort(std::string_view text, int& port) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

std::vector<SocketAddress> CopyAddresses(const addrinfo* list) {
    std::vector<SocketAddress> out;
    for (const addrinfo* at = list; at; at = at->ai_next) {
        if (at->ai_family == AF_INET || at->ai_family == AF_INET6)
            out.push_back(ToSocketAddress(at->ai_addr, at->ai_addrlen));
    }
    return out;
}

// What a resolver thread hands back; shared so that the thread may outlive the run.
struct ResolverState {
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    int Code = 0;
    int Errno = 0;
    std::vector<SocketAddress> Addresses;
};

std::string ResolverError(int code, int error) {
    if (code == EAI_SYSTEM)
        return ErrnoText(error);
    return gai_strerror(code);
}

std::mutex g_overrideMutex;
NameOverride g_override;

// The override's addresses of `host` (kept in their order) with the port, in `family`.
std::vector<SocketAddress> OverriddenAddresses(const std::string& host, const addrinfo& numeric,
                                               const std::string& service) {
    NameOverride override;
    {
        std::lock_guard lock(g_overrideMutex);
        override = g_override;
    }
    std::vector<SocketAddress> out;
    if (!override)
        return out;
    for (const std::string& text : override(host)) {
        addrinfo* list = nullptr;
        if (::getaddrinfo(text.c_str(), service.c_str(), &numeric, &list) == 0) {
            for (const SocketAddress& address : CopyAddresses(list))
                out.push_back(address);
            ::freeaddrinfo(list);
        }
    }
    return out;
}

} // namespace

bool SplitHostPort(std::string_view text, HostAndPort& out) {
    out = HostAndPort{};
    text = TrimBlanks(text);
    while (text.size() >= 2 && text.substr(0, 2) == "\\\\")
        text.remove_prefix(2);
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return false;
        out.Host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':' || !ParsePort(rest.substr(1), out.Port))
                return false;
        }
        return !out.Host.empty();
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
        out.Host = std::string(TrimBlanks(text.substr(0, colon)));
        if (!ParsePort(TrimBlanks(text.substr(colon + 1)), out.Port))
            return false;
    } else {
        out.Host = std::string(text);
    }
    return !out.Host.empty();
}

std::string SocketAddress::Text() const {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (Family() == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&Storage);
        ::inet_ntop(AF_INET, &v4->sin_addr, buffer, sizeof buffer);
    } else if (Family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&Storage);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, buffer, sizeof buffer);
    }
    return buffer;
}

std::string FormatHostPort(std::string_view host, int port) {
    const bool v6 = host.find(':') != std::string_view::npos && host.front() != '[';
    std::string out;
    if (v6)
        ((out += '[') += host) += ']';
    else
        out = host;
    return (out += ':') += std::to_string(port);
}

std::string SocketAddress::HostPortText() const {
    return FormatHostPort(Text(), Port());
}

int SocketAddress::Port() const {
    if (Family() == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&Storage)->sin_port);
    if (Family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&Storage)->sin6_port);
    return 0;
}

SocketAddress ToSocketAddress(const sockaddr* address, socklen_t length) {
    SocketAddress out;
    length = std::min<socklen_t>(length, sizeof out.Storage);
    std::memcpy(&out.Storage, address, length);
    out.Length = length;
    return out;
}

ResolveOutcome ResolveHost(const std::string& host, int port, int socketType, int family,
                           const CRunDeadline& deadline) {
    ResolveOutcome outcome;
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = socketType;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    const std::string service = std::to_string(port);

    addrinfo* list = nullptr;
    int code = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (code == 0) {
        outcome.Addresses = CopyAddresses(list);
        ::freeaddrinfo(list);
        outcome.Status = outcome.Addresses.empty() ? NetWait::Failed : NetWait::Ready;
        if (outcome.Addresses.empty())
            outcome.Error = "No usable address";
        return outcome;
    }
    if (code != EAI_NONAME) {
        outcome.Error = ResolverError(code, errno);
        return outcome;
    }
    if (std::vector<SocketAddress> overridden = OverriddenAddresses(host, hints, service); !overridden.empty()) {
        outcome.Addresses = std::move(overridden);
        outcome.Status = NetWait::Ready;
        return outcome;
    }

    // A name: ask the system resolver on a helper thread.
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    auto state = std::make_shared<ResolverState>();
    std::thread([state, host, service, hints] {
        addrinfo* found = nullptr;
        const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        const int error = errno;
        std::vector<SocketAddress> addresses;
        if (rc == 0) {
            addresses = CopyAddresses(found);
            ::freeaddrinfo(found);
        }
        std::lock_guard lock(state->Mutex);
        state->Finished = true;
        state->Code = rc;
        state->Errno = error;
        state->Addresses = std::move(addresses);
        state->Done.notify_all();
    }).detach();

    std::unique_lock lock(state->Mutex);
    while (!state->Finished) {
        if (deadline.Cancelled()) {
            outcome.Status = NetWait::Cancelled;
            return outcome;
        }
        const auto now = CRunDeadline::Clock::now();
        if (now >= deadline.End()) {
            outcome.Status = NetWait::TimedOut;
            outcome.Error = "Name resolution timed out";
            return outcome;
        }
        state->Done.wait_for(lock, std::min<CRunDeadline::Clock::duration>(deadline.End() - now, CRunDeadline::kSlice));
    }
    if (state->Code != 0) {
        outcome.Error = ResolverError(state->Code, state->Errno);
        return outcome;
    }
    outcome.Addresses = std::move(state->Addresses);
    outcome.Status = outcome.Addresses.empty() ? NetWait::Failed : NetWait::Ready;
    if (outcome.Addresses.empty())
        outcome.Error = "No usable address";
    return outcome;
}

void SetNameOverride(NameOverride override) {
    std::lock_guard lock(g_overrideMutex);
    g_override = std::move(override);
}

CRunDeadline::Clock::time_point ShareOf(CRunDeadline::Clock::time_point until, std::size_t left) {
    const auto now = CRunDeadline::Clock::now();
    if (left <= 1 || until <= now)
        return until;
    return now + (until - now) / static_cast<long>(left);
}

NetWait WaitForSocket(int fd, short events, CRunDeadline::Clock::time_point until, const CRunDeadline& deadline) {
    until = std::min(until, deadline.End());
    for (;;) {
        if (deadline.Cancelled())
            return NetWait::Cancelled;
        const auto now = CRunDeadline::Clock::now();
        if (now >= until)
            return NetWait::TimedOut;
        const auto slice = std::min<CRunDeadline::Clock::duration>(until - now, CRunDeadline::kSlice);
        // Round up so that a wait of a fraction of a millisecond does not spin.
        const int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(slice).count());
        pollfd entry{fd, events, 0};
        const int rc = ::poll(&entry, 1, ms);
        if (rc > 0)
            return NetWait::Ready;
        if (rc < 0 && errno != EINTR)
            return NetWait::Failed;
    }
}

ConnectOutcome ConnectTcp(const std::vector<SocketAddress>& addresses, CRunDeadline::Clock::time_point until,
                          const CRunDeadline& deadline) {
    ConnectOutcome outcome;
    outcome.Error = EHOSTUNREACH;
    outcome.Status = NetWait::Failed;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const SocketAddress& address = addresses[i];
        outcome.Peer = address;
        platform::UniqueFd socket(::socket(address.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!socket) {
            outcome.Error = errno;
            outcome.Status = NetWait::Failed;
            continue;
        }
        if (::connect(socket.Get(), address.Get(), address.Length) != 0) {
            if (errno != EINPROGRESS) {
                outcome.Error = errno;
                outcome.Status = NetWait::Failed;
                continue;
            }
            const NetWait wait = WaitForSocket(socket.Get(), POLLOUT, ShareOf(until, addresses.size() - i), deadline);
            if (wait == NetWait::Cancelled) {
                outcome.Status = wait;
                return outcome;
            }
            if (wait == NetWait::TimedOut) {
                outcome.Status = wait;
                outcome.Error = ETIMEDOUT;
                continue;
            }
            int error = 0;
            socklen_t length = sizeof error;
            if (wait == NetWait::Failed ||
                ::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
                outcome.Error = error != 0 ? error : errno;
                outcome.Status = NetWait::Failed;
                continue;
            }
        }
        outcome.Status = NetWait::Ready;
        outcome.Error = 0;
        outcome.Socket = std::move(socket);
        return outcome;
    }
    return outcome;
}

platform::UniqueFd ConnectUdp(const SocketAddress& address, int* error) {
    platform::UniqueFd socket(::socket(address.Family(), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket || ::connect(socket.Get(), address.Get(), address.Length) != 0) {
        if (error)
            *error = errno; // before the socket is closed
        return {};
    }
    return socket;
}

NetWait SendDatagram(int fd, std::string_view data, CRunDeadline::Clock::time_point until,
                     const CRunDeadline& deadline, int* error) {
    for (;;) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent == static_cast<ssize_t>(data.size()))
            break;
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const NetWait wait = WaitForSocket(fd, POLLOUT, until, deadline);
            if (wait != NetWait::Ready)
                return wait;
            continue;
        }
        if (error)
            *error = sent < 0 ? errno : EMSGSIZE;
        return NetWait::Failed;
    }
    // A refusal comes back as an error on the socket; a datagram from the peer or the
    // end of the wait means none came.
    const NetWait wait = WaitForSocket(fd, POLLIN, until, deadline);
    if (wait == NetWait::Cancelled)
        return wait;
    int pending = 0;
    socklen_t length = sizeof pending;
    if (wait == NetWait::Ready && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &length) == 0 && pending != 0) {
        if (error)
            *error = pending;
        return NetWait::Failed;
    }
    return NetWait::Ready;
}

NetWait SendAll(int fd, std::string_view data, CRunDeadline::Clock::time_point until, const CRunDeadline& deadline,
                int* error) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const NetWait wait = WaitForSocket(fd, POLLOUT, until, deadline);
            if (wait != NetWait::Ready)
                return wait;
            continue;
        }
        if (error)
            *error = sent < 0 ? errno : EPIPE;
        return NetWait::Failed;
    }
    return NetWait::Ready;
}

NetWait ReceiveSome(int fd, std::string& out, std::size_t most, CRunDeadline::Clock::time_point until,
                    const CRunDeadline& deadline, bool& closed, int* error) {
    closed = false;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, std::min(sizeof buffer, std::max<std::size_t>(most, 1)), 0);
        if (got > 0) {
            out.append(buffer, static_cast<std::size_t>(got));
            return NetWait::Ready;
        }
        if (got == 0) {
            closed = true;
            return NetWait::Ready;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            if (error)
                *error = errno;
            return NetWait::Failed;
        }
        const NetWait wait = WaitForSocket(fd, POLLIN, until, deadline);
        if (wait != NetWait::Ready)
            return wait;
    }
}

std::string ErrnoText(int error) {
    char buffer[256] = {};
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

std::string FormatMilliseconds(std::chrono::microseconds duration) {
    if (duration < std::chrono::milliseconds(1))
        return "<1 ms";
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()) + " ms";
}

std::string FirstLine(std::string_view text, std::size_t most) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (line.empty())
                continue;
            break;
        }
        line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? ' ' : c;
    }
    if (line.size() > most) {
        line.resize(most > 3 ? most - 3 : 0);
        line += "...";
    }
    return line;
}
