#pragma once
// A TCP peer on 127.0.0.1 for tests and benchmarks: it accepts every connection on a free
// port, greets it with a banner and closes it.  Close() stops listening, so that
// connections are refused from then on.
#include "LoopbackSockets.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace testsupport {

class LoopbackGreeter {
public:
    explicit LoopbackGreeter(std::string banner) : m_banner(std::move(banner)) {
        m_listen = OpenLoopbackSocket(SOCK_STREAM, m_port);
        if (m_listen < 0)
            return;
        // Room for the bursts of connections an engine with many workers opens at once.
        ::listen(m_listen, 1024);
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackGreeter() { Close(); }
    LoopbackGreeter(const LoopbackGreeter&) = delete;
    LoopbackGreeter& operator=(const LoopbackGreeter&) = delete;

    int Port() const { return m_port; }
    bool Listening() const { return m_listen >= 0; }
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
            pollfd readable{m_listen, POLLIN, 0};
            if (::poll(&readable, 1, 20) <= 0)
                continue;
            const int connection = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            ++m_accepted;
            (void)::send(connection, m_banner.data(), m_banner.size(), MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    std::string m_banner;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

} // namespace testsupport
