#pragma once
// Server programs of the distribution run by the tests on the loopback interface.
#include "ForkedChild.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

// A server program for the life of the object, its output (both streams) into `log`.
// Everything the child needs is made before the fork: it only redirects and executes.
class ServerProcess {
public:
    ServerProcess(std::vector<std::string> argv, const std::string& log) {
        std::vector<char*> args;
        for (std::string& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        m_pid = testsupport::Spawn([&] {
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execv(args[0], args.data());
            return 127;
        });
        ::close(out);
    }
    ~ServerProcess() {
        ::kill(m_pid, SIGTERM);
        testsupport::ExitStatus(m_pid);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

private:
    pid_t m_pid = -1;
};

// The program's full path from PATH and the system directories, empty when not installed.
inline std::string Program(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = std::string(path ? path : "") + ":/usr/sbin:/sbin:/usr/bin";
    for (std::size_t at = 0; at <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, end - at) + "/" + name;
        if (end > at && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return {};
}

// True when something accepts TCP connections on the loopback port.
inline bool Accepts(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace testsupport
