#pragma once
// Sockets on the loopback interface for the peers that tests play (HTTP, SMTP, DNS, TCP
// and UDP listeners): always on a free port the system picks, never on the network.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace testsupport {

// A socket of `type` (SOCK_STREAM, already listening, or SOCK_DGRAM) bound to the
// loopback address of `family` (AF_INET 127.0.0.1, AF_INET6 ::1) on `wanted`, or on a
// free port when that is 0; the port goes to `port`.  -1 when it cannot be had (no IPv6
// loopback, the port taken).
inline int OpenLoopbackSocket(int type, int& port, int family = AF_INET, int wanted = 0) {
    port = wanted;
    const int fd = ::socket(family, type | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (family == AF_INET6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        v6->sin6_port = htons(static_cast<in_port_t>(wanted));
        length = sizeof *v6;
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        v4->sin_port = htons(static_cast<in_port_t>(wanted));
        length = sizeof *v4;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 16) != 0) ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port)
                              : ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    return fd;
}

// A TCP port on 127.0.0.1 where nothing listens: taken from the system, then given back.
inline int UnusedLoopbackPort() {
    int port = 0;
    const int fd = OpenLoopbackSocket(SOCK_STREAM, port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

// The next datagram on `fd`, or "" when none comes within `ms` milliseconds.
inline std::string ReceiveDatagram(int fd, int ms = 5000) {
    pollfd readable{fd, POLLIN, 0};
    char buffer[2048];
    const ssize_t got = ::poll(&readable, 1, ms) == 1 ? ::recv(fd, buffer, sizeof buffer, 0) : 0;
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

} // namespace testsupport

namespace testsupport {

// A listener on 127.0.0.1 that never accepts and whose backlog is full: the system drops
// the SYNs of new connections, so they get no answer at all, as from a host that is down.
class SilentLoopbackListener {
public:
    SilentLoopbackListener() {
        m_fd = OpenLoopbackSocket(SOCK_STREAM, m_port);
        if (m_fd < 0 || ::listen(m_fd, 0) != 0)
            return;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(m_port));
        // Connect until a connection is no longer completed: the queue is full then.
        for (int i = 0; i < 8; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            pollfd writable{fd, POLLOUT, 0};
            if (::poll(&writable, 1, 300) <= 0) {
                ::close(fd);
                m_full = true;
                return;
            }
            m_fillers[i] = fd;
        }
    }
    ~SilentLoopbackListener() {
        for (int fd : m_fillers) {
            if (fd >= 0)
                ::close(fd);
        }
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentLoopbackListener(const SilentLoopbackListener&) = delete;
    SilentLoopbackListener& operator=(const SilentLoopbackListener&) = delete;

    // True when new connections go unanswered.
    bool Silent() const { return m_full; }
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
    bool m_full = false;
    int m_fillers[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

} // namespace testsupport

namespace testsupport {

// A TCP listener on the loopback address `address` ("127.0.0.17") and `port` (0: a free
// one, given back in `port`), so that several loopback addresses can listen on one port.
// -1 when it cannot be had.
inline int OpenListenerAt(const char* address, int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<in_port_t>(port));
    socklen_t length = sizeof at;
    if (fd < 0 || ::inet_pton(AF_INET, address, &at.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&at), length) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    port = ntohs(at.sin_port);
    return fd;
}

} // namespace testsupport
