#pragma once
// SNMP peers on 127.0.0.1 for the tests and benchmarks: the distribution's agent (snmpd)
// with a throw-away configuration, and a small agent of our own that answers GET requests
// from a table.
#include "ForkedChild.h"
#include "LoopbackSockets.h"
#include "TestSupport.h"
#include "engine/BerWriter.h"
#include "engine/SnmpMessage.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

namespace testsupport {

// snmpd on a free UDP port of 127.0.0.1 for the life of the object, answering the
// community "sentrelle" with a known sysDescr and sysContact.  Program() is empty when
// snmpd is not installed; Ready() says whether it came up.
class LoopbackSnmpd {
public:
    static constexpr const char* kCommunity = "sentrelle";
    static constexpr const char* kDescription = "Sentrelle test agent";
    static constexpr const char* kContact = "ops@example.test";

    static std::string Program() {
        for (const char* path : {"/usr/sbin/snmpd", "/usr/local/sbin/snmpd"})
            if (::access(path, X_OK) == 0)
                return path;
        return {};
    }

    LoopbackSnmpd() {
        const std::string program = Program();
        if (program.empty())
            return;
        ::close(OpenLoopbackSocket(SOCK_DGRAM, m_port));
        WriteFile(m_dir.File("snmpd.conf"), std::string("rocommunity ") + kCommunity + " 127.0.0.1\nsysDescr " +
                                                kDescription + "\nsysContact " + kContact + "\n");
        std::vector<std::string> argv{program, "-f", "-Lo", "-C", "-c", m_dir.File("snmpd.conf"), "-p",
                                      m_dir.File("snmpd.pid"), "udp:127.0.0.1:" + std::to_string(m_port)};
        std::vector<char*> args;
        for (std::string& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        const std::string persistent = "SNMP_PERSISTENT_DIR=" + m_dir.Path();
        const int out = ::open(m_dir.File("snmpd.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        m_pid = Spawn([&] {
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::putenv(const_cast<char*>(persistent.c_str()));
            ::putenv(const_cast<char*>("MIBS="));
            ::execv(args[0], args.data());
            return 127;
        });
        ::close(out);
        // The agent names its version once it listens.
        m_ready = Eventually([&] { return Log().find("NET-SNMP version") != std::string::npos; },
                             std::chrono::seconds(20), std::chrono::milliseconds(50));
    }
    ~LoopbackSnmpd() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ExitStatus(m_pid);
        }
    }
    LoopbackSnmpd(const LoopbackSnmpd&) = delete;
    LoopbackSnmpd& operator=(const LoopbackSnmpd&) = delete;

    bool Ready() const { return m_ready; }
    int Port() const { return m_port; }
    std::string Log() const { return ReadFile(m_dir.File("snmpd.log")); }

private:
    TempDir m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
    bool m_ready = false;
};

// An SNMP agent of the tests: answers GET requests of its community with the encoded
// value of a table (tag and content bytes), a missing OID with the v2c exception
// noSuchObject (v1: error-status noSuchName); other communities get no answer.
class LoopbackSnmpResponder {
public:
    struct Value {
        unsigned char Tag;
        std::string Content;
    };
    explicit LoopbackSnmpResponder(std::string community = "public") : m_community(std::move(community)) {
        m_fd = OpenLoopbackSocket(SOCK_DGRAM, m_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackSnmpResponder() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    LoopbackSnmpResponder(const LoopbackSnmpResponder&) = delete;
    LoopbackSnmpResponder& operator=(const LoopbackSnmpResponder&) = delete;

    // Before the first request only.
    void Set(const std::string& oid, Value value) { m_values[oid] = std::move(value); }
    int Port() const { return m_port; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    void Serve() {
        while (!m_stop) {
            pollfd readable{m_fd, POLLIN, 0};
            if (::poll(&readable, 1, 20) != 1)
                continue;
            char buffer[2048];
            sockaddr_storage from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            SnmpMessage request;
            std::string why;
            if (got <= 0 || !ReadSnmpMessage(std::string_view(buffer, static_cast<std::size_t>(got)), request, why) ||
                request.Community != m_community || request.Variables.size() != 1)
                continue;
            const std::string& oid = request.Variables[0].Oid;
            const auto found = m_values.find(oid);
            const bool missingV1 = found == m_values.end() && request.Version == 0;
            CBerWriter ber;
            ber.Begin();
            ber.Integer(request.Version);
            ber.OctetString(request.Community);
            ber.Begin(kSnmpResponse);
            ber.Integer(request.RequestId);
            ber.Integer(missingV1 ? 2 : 0);
            ber.Integer(missingV1 ? 1 : 0);
            ber.Begin();
            ber.Begin();
            ber.ObjectId(oid);
            if (found == m_values.end())
                ber.OctetString("", missingV1 ? CBerWriter::kNull : 0x80);
            else
                ber.OctetString(found->second.Content, found->second.Tag);
            for (int i = 0; i < 5; ++i)
                ber.End();
            ::sendto(m_fd, ber.Bytes().data(), ber.Bytes().size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    }

    std::string m_community;
    std::map<std::string, Value> m_values;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace testsupport
