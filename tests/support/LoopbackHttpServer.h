#pragma once
// A small HTTP server on 127.0.0.1 for tests: it listens on a free port, serves canned
// answers by path (status, body, extra header lines, an optional delay before answering)
// and records every request path and head.  One connection at a time (a LoopbackTcpPeer
// serves them), "Connection: close" on every answer.  A path
// without a route gets 404.  Delays end early when the client hangs up or the server is
// destroyed, so a test that plays a slow device never waits for the whole delay.
#include "LoopbackTcpPeer.h"

#include <poll.h>

#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class LoopbackHttpServer {
public:
    struct Route {
        int status = 200;
        std::string body;
        std::chrono::milliseconds delay{0};
        std::string contentType = "text/html";
        std::string headers; // extra header lines, each ending in CR LF ("Location: /new\r\n")
    };

    LoopbackHttpServer() : m_peer([this](int fd, const std::atomic<bool>& stop) { Answer(fd, stop); }) {
        if (!m_peer.Listening())
            throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    ~LoopbackHttpServer() { m_peer.Close(); }

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return m_peer.Port(); }
    // "http://127.0.0.1:<port>/"
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(Port()) + "/"; }

    void SetRoute(const std::string& path, Route route) {
        std::lock_guard lock(m_mutex);
        m_routes[path] = std::move(route);
    }
    void SetPage(const std::string& path, const std::string& body, int status = 200) {
        Route route;
        route.status = status;
        route.body = body;
        SetRoute(path, route);
    }
    void RemoveRoute(const std::string& path) {
        std::lock_guard lock(m_mutex);
        m_routes.erase(path);
    }
    // The request paths served so far, in order.
    std::vector<std::string> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // The request line and headers of each request served so far, in order.
    std::vector<std::string> RequestHeads() const {
        std::lock_guard lock(m_mutex);
        return m_heads;
    }
    void ClearRequests() {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
        m_heads.clear();
    }

private:
    void Answer(int connection, const std::atomic<bool>& stop) {
        std::string request;
        char buffer[4096];
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd readable{connection, POLLIN, 0};
            if (::poll(&readable, 1, 20) <= 0) {
                if (stop)
                    return;
                continue;
            }
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0)
                return;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        // "GET /path HTTP/1.1"
        const std::size_t firstBlank = request.find(' ');
        const std::size_t secondBlank = request.find(' ', firstBlank + 1);
        if (firstBlank == std::string::npos || secondBlank == std::string::npos)
            return;
        const std::string path = request.substr(firstBlank + 1, secondBlank - firstBlank - 1);

        Route route;
        {
            std::unique_lock lock(m_mutex);
            m_requests.push_back(path);
            m_heads.push_back(request.substr(0, request.find("\r\n\r\n")));
            auto found = m_routes.find(path);
            if (found != m_routes.end()) {
                route = found->second;
            } else {
                route.status = 404;
                route.body = "<html><body>Not Found</body></html>";
            }
        }
        if (!Delay(connection, stop, route.delay))
            return;
        std::string answer = "HTTP/1.1 " + std::to_string(route.status) + " " + Reason(route.status) + "\r\n";
        answer += "Content-Type: " + route.contentType + "\r\n";
        answer += "Content-Length: " + std::to_string(route.body.size()) + "\r\n";
        answer += route.headers;
        answer += "Connection: close\r\n\r\n";
        answer += route.body;
        std::size_t sent = 0;
        while (sent < answer.size()) {
            const ssize_t n = ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }

    // Waits `delay` before answering; false when the server stops or the client hangs up
    // first (so that a client that gave up does not hold back the next one).
    static bool Delay(int connection, const std::atomic<bool>& stop, std::chrono::milliseconds delay) {
        const auto end = std::chrono::steady_clock::now() + delay;
        while (std::chrono::steady_clock::now() < end) {
            if (stop)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            pollfd readable{connection, POLLIN, 0};
            char byte;
            if (::poll(&readable, 1, 0) > 0 && ::recv(connection, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0)
                return false;
        }
        return true;
    }

    static const char* Reason(int status) {
        switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 401:
            return "Unauthorized";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
        }
    }

    mutable std::mutex m_mutex;
    std::map<std::string, Route> m_routes;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_heads;
    LoopbackTcpPeer m_peer; // last: its thread ends before the members above go
};

} // namespace testsupport
