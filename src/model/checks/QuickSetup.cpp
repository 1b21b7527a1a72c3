#include "model/checks/QuickSetup.h"

#include "model/checks/CheckTypes.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace quicksetup {

const std::vector<Service>& ProbedServices() {
    static const std::vector<Service> services{
        {21, kTypeFtp, "FTP"},          {22, kTypeSsh, "SSH"},           {25, kTypeSmtp, "SMTP"},
        {80, kTypeHttp, "HTTP"},        {110, kTypePop3, "POP3"},        {143, kTypeImap, "IMAP"},
        {443, kTypeTcpIp, "HTTPS"},     {3306, kTypeTcpIp, "MySQL"},     {5432, kTypeTcpIp, "PostgreSQL"},
    };
    return services;
}

namespace {

constexpr const char* kThisComputer = "localhost";

bool Contains(const std::vector<int>& ports, int port) {
    return std::find(ports.begin(), ports.end(), port) != ports.end();
}

} // namespace

std::vector<std::string> Machines(const Answers& answers) {
    std::vector<std::string> machines;
    if (answers.ThisComputer)
        machines.emplace_back(kThisComputer);
    for (const std::string& host : answers.Hosts)
        if (!host.empty() && std::find(machines.begin(), machines.end(), host) == machines.end())
            machines.push_back(host);
    return machines;
}

std::vector<Group> Plan(const Answers& answers) {
    const std::vector<std::string> machines = Machines(answers);
    std::vector<Group> plan;
    if (answers.Ping && !machines.empty())
        plan.push_back({kTypeIcmpPing, "<HOSTS> - Ping", 0, machines});
    if (answers.Services) {
        for (const Service& s : ProbedServices()) {
            Group group{s.Type, std::string("<HOSTS> - ") + s.Name, s.Type == kTypeTcpIp ? s.Port : 0, {}};
            for (const std::string& host : machines) {
                const auto open = answers.OpenPorts.find(host);
                if (open != answers.OpenPorts.end() && Contains(open->second, s.Port))
                    group.Hosts.push_back(host);
            }
            if (!group.Hosts.empty())
                plan.push_back(std::move(group));
        }
    }
    if (answers.DiskAndMemory && answers.ThisComputer) {
        plan.push_back({kTypeDiskSpace, "<HOSTS> - Disk Space", 0, {kThisComputer}});
        plan.push_back({kTypeMemoryUsage, "<HOSTS> - Memory Usage", 0, {kThisComputer}});
    }
    return plan;
}

std::vector<int> OpenPorts(const std::string& host, const std::vector<int>& ports, int timeoutMs) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return {};
    sockaddr_storage address{};
    const socklen_t length = found->ai_addrlen;
    std::copy_n(reinterpret_cast<const char*>(found->ai_addr), length, reinterpret_cast<char*>(&address));
    const int family = found->ai_family;
    ::freeaddrinfo(found);

    // One non-blocking connect per port, then one wait for all of them.
    std::vector<pollfd> polls;
    std::vector<int> pending;
    for (const int port : ports) {
        const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        sockaddr_storage target = address;
        const auto p = htons(static_cast<std::uint16_t>(port));
        if (family == AF_INET6)
            reinterpret_cast<sockaddr_in6*>(&target)->sin6_port = p;
        else
            reinterpret_cast<sockaddr_in*>(&target)->sin_port = p;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&target), length) != 0 && errno != EINPROGRESS) {
            ::close(fd);
            continue;
        }
        polls.push_back({fd, POLLOUT, 0});
        pending.push_back(port);
    }
    std::vector<int> fds;
    for (const pollfd& p : polls)
        fds.push_back(p.fd);
    std::vector<int> open;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (std::size_t waiting = polls.size(); waiting > 0;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(polls.data(), polls.size(), static_cast<int>(left.count())) <= 0)
            break;
        for (std::size_t k = 0; k < polls.size(); ++k) {
            if (polls[k].fd < 0 || polls[k].revents == 0)
                continue;
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(polls[k].fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
                open.push_back(pending[k]);
            polls[k].fd = -1; // answered: poll skips it from now on
            --waiting;
        }
    }
    for (const int fd : fds)
        ::close(fd);
    std::sort(open.begin(), open.end());
    return open;
}

} // namespace quicksetup
