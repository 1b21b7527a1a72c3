#pragma once
// A TCP peer on the loopback interface for tests and benchmarks: it listens on a free
// port and hands every accepted connection to its session function, one after the
// other; the session may watch `stop` to end early, and the connection is closed after
// it.  Close() stops listening, so that connections are refused from then on.
#include "LoopbackSockets.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace testsupport {

class LoopbackTcpPeer {
public:
    using Session = std::function<void(int fd, const std::atomic<bool>& stop)>;

    explicit LoopbackTcpPeer(Session session, int family = AF_INET) : m_session(std::move(session)) {
        m_listen = OpenLoopbackSocket(SOCK_STREAM, m_port, family);
        if (m_listen < 0)
            return;
        // Room for the bursts of connections an engine with many workers opens at once.
        ::listen(m_listen, 1024);
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackTcpPeer() { Close(); }
    LoopbackTcpPeer(const LoopbackTcpPeer&) = delete;
    LoopbackTcpPeer& operator=(const LoopbackTcpPeer&) = delete;

    // A session that greets the client with `banner` and hangs up.
    static Session Greeting(std::string banner) {
        return [banner = std::move(banner)](int fd, const std::atomic<bool>&) {
            (void)::send(fd, banner.data(), banner.size(), MSG_NOSIGNAL);
        };
    }

    bool Listening() const { return m_listen >= 0; }
    int Port() const { return m_port; }
    // Connections accepted so far.
    int Accepted() const { return m_accepted.load(); }

    void Close() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
    }

private:
    void Serve() {
        while (!m_stop) {
            pollfd waiting{m_listen, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++m_accepted;
            m_session(fd, m_stop);
            ::close(fd);
        }
    }

    Session m_session;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

// The line-based side of a session: reads lines ending in CR LF and answers with them.
struct LineConnection {
    int fd;
    const std::atomic<bool>& stop;
    std::string pending = {};

    // One line without its CR LF; false when the client went away, the peer stops or
    // 30 seconds passed without one.
    bool Read(std::string& line) {
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);;) {
            const std::size_t at = pending.find("\r\n");
            if (at != std::string::npos) {
                line = pending.substr(0, at);
                pending.erase(0, at + 2);
                return true;
            }
            pollfd readable{fd, POLLIN, 0};
            if (stop || std::chrono::steady_clock::now() > end)
                return false;
            if (::poll(&readable, 1, 20) <= 0)
                continue;
            char buffer[4096];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return false;
            pending.append(buffer, static_cast<std::size_t>(got));
        }
    }
    // Sends `text` and CR LF.
    void Say(const std::string& text) { (void)::send(fd, (text + "\r\n").data(), text.size() + 2, MSG_NOSIGNAL); }
};

} // namespace testsupport
