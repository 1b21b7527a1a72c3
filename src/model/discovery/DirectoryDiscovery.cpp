// Directory discovery: the computers of an LDAP directory (or of the local network
// neighbourhood, through Avahi), optionally only those that play a role.  The role test
// of this platform connects to the TCP ports of the role's services (see Roles.h).
#include "model/discovery/DirectoryDiscovery.h"
#include "model/discovery/HostProbe.h"

#include "model/discovery/Discovery.h"
#include "model/discovery/Roles.h"
#include "platform/Process.h"
#include "platform/SpawnSetup.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <ldap.h>
#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using Stopping = std::function<bool()>;

constexpr unsigned kDiscoverTickMs = 250;
constexpr unsigned kWorkerTickMs = 1000;
constexpr auto kNetworkLimit = 3s;   // reaching the LDAP server
constexpr auto kQueryLimit = 20s;    // the whole directory query, or the neighbourhood browse
constexpr auto kProbeLimit = 1000ms; // one TCP connect to a role's service
constexpr auto kSlice = 50ms;        // how often long waits look for a stop
constexpr auto kWorkersLimit = 90s;  // how long a stop waits for the role workers
constexpr unsigned kOwnStopWaitMs = 100000;

const char* const kComputerFilter = "(|(objectClass=computer)(objectClass=device)(objectClass=ipHost))";
const char* const kNoAvahi =
    "Discovering the computers of a workgroup needs Avahi (avahi-browse), which is not "
    "installed. Enter a directory domain or an LDAP URL, or use the IP range.";

struct Computer {
    CQvcString Name;
    CQvcString FullName;
    CQvcString Address; // what the role test connects to
};

enum class Outcome { Done, Failed, Stopped };

void Report(IQvcWindow* window, CDiscoveryOutbox& outbox, const Computer& computer) {
    outbox.Put({computer.Name, computer.FullName, 0, -1});
    if (window)
        window->Post(kMsgDirectoryHost, 0, 0);
}

CQvcString FirstLabel(const CQvcString& name) {
    const long dot = name.Find('.');
    return dot < 0 ? name : name.Left(static_cast<std::size_t>(dot));
}

// --- the LDAP directory -----------------------------------------------------------------

struct LdapDeleter {
    void operator()(LDAP* ld) const { ldap_unbind_ext(ld, nullptr, nullptr); }
};
struct AnswerDeleter {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using LdapAnswer = std::unique_ptr<LDAPMessage, AnswerDeleter>;

// Keeps SIGPIPE from the calling thread while it lives: the LDAP library writes to its
// connection (its farewell too) after the server may have closed it, and the processes
// that discover (the Manager, the command-line tool) do not ignore the signal.  A SIGPIPE
// raised meanwhile is taken before the thread's mask is restored.
class SigpipeBlock {
public:
    SigpipeBlock() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~SigpipeBlock() {
        sigset_t pending;
        const timespec now{0, 0};
        while (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1 &&
               sigtimedwait(&m_pipe, nullptr, &now) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    sigset_t m_pipe{};
    sigset_t m_old{};
};

class DirectoryQuery {
public:
    DirectoryQuery(const CDirectoryTarget& target, Stopping stopping)
        : m_target(target), m_stopping(std::move(stopping)), m_deadline(Clock::now() + kQueryLimit) {}

    Outcome Run(std::vector<Computer>& computers, CQvcString& error) {
        LDAP* raw = nullptr;
        const int rc = ldap_initialize(&raw, m_target.Url.c_str());
        if (rc != LDAP_SUCCESS) {
            error = "The directory address '" + m_target.Url + "' is not valid: " + ldap_err2string(rc);
            return Outcome::Failed;
        }
        m_ld.reset(raw);
        const int version = LDAP_VERSION3;
        ldap_set_option(raw, LDAP_OPT_PROTOCOL_VERSION, &version);
        ldap_set_option(raw, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
        const timeval network{std::chrono::duration_cast<std::chrono::seconds>(kNetworkLimit).count(), 0};
        ldap_set_option(raw, LDAP_OPT_NETWORK_TIMEOUT, &network);
        // The connection is made while the answer to the bind is awaited, in slices that
        // look for a stop, rather than inside the bind call.
        ldap_set_option(raw, LDAP_OPT_CONNECT_ASYNC, LDAP_OPT_ON);

        berval none{0, nullptr};
        int id = 0;
        LdapAnswer answer;
        const int sent = ldap_sasl_bind(raw, "", LDAP_SASL_SIMPLE, &none, nullptr, nullptr, &id);
        Outcome outcome = Await(sent, id, "the anonymous bind", answer, error);
        if (outcome != Outcome::Done)
            return outcome;
        if (const int result = ResultCode(answer.get()); result != LDAP_SUCCESS) {
            error = "The directory at " + m_target.Url +
                    " refused the anonymous bind: " + ldap_err2string(result);
            return Outcome::Failed;
        }

        std::vector<std::string> bases{m_target.Base.Str()};
        if (m_target.Base.IsEmpty()) {
            if ((outcome = Search("", LDAP_SCOPE_BASE, "(objectClass=*)", {"namingContexts"}, answer,
                                  error)) != Outcome::Done)
                return outcome;
            LDAPMessage* root = ldap_first_entry(m_ld.get(), answer.get());
            bases = root ? Values(root, "namingContexts") : std::vector<std::string>{};
            if (bases.empty()) {
                error = "The directory at " + m_target.Url +
                        " names no naming context: give the base in an LDAP URL, such as "
                        "ldap://host:389/dc=example,dc=com";
                return Outcome::Failed;
            }
        }
        for (const std::string& base : bases) {
            if ((outcome = Search(base, LDAP_SCOPE_SUBTREE, kComputerFilter,
                                  {"cn", "dNSHostName", "ipHostNumber"}, answer, error)) != Outcome::Done)
                return outcome;
            for (LDAPMessage* entry = ldap_first_entry(m_ld.get(), answer.get()); entry;
                 entry = ldap_next_entry(m_ld.get(), entry))
                computers.push_back(ComputerOf(entry));
        }
        return Outcome::Done;
    }

private:
    // Waits in slices for the whole answer to the request `id` that `sent` started.
    Outcome Await(int sent, int id, const char* step, LdapAnswer& answer, CQvcString& error) {
        answer.reset();
        if (sent != LDAP_SUCCESS) {
            error = CQvcString("The directory at ") + m_target.Url + " cannot be queried (" + step +
                    "): " + ldap_err2string(sent);
            return Outcome::Failed;
        }
        for (;;) {
            if (m_stopping())
                return Outcome::Stopped;
            if (Clock::now() >= m_deadline) {
                error =
                    CQvcString("The directory at ") + m_target.Url + " did not answer " + step + " in time";
                return Outcome::Failed;
            }
            timeval slice{0, std::chrono::duration_cast<std::chrono::microseconds>(kSlice).count()};
            LDAPMessage* raw = nullptr;
            const int got = ldap_result(m_ld.get(), id, LDAP_MSG_ALL, &slice, &raw);
            if (got > 0) {
                answer.reset(raw);
                return Outcome::Done;
            }
            if (got < 0) {
                int code = LDAP_SERVER_DOWN;
                ldap_get_option(m_ld.get(), LDAP_OPT_RESULT_CODE, &code);
                error = CQvcString("The directory at ") + m_target.Url + " failed " + step + ": " +
                        ldap_err2string(code);
                return Outcome::Failed;
            }
        }
    }

    Outcome Search(const std::string& base, int scope, const char* filter,
                   std::initializer_list<const char*> wanted, LdapAnswer& answer, CQvcString& error) {
        std::vector<char*> attributes;
        for (const char* attribute : wanted)
            attributes.push_back(const_cast<char*>(attribute));
        attributes.push_back(nullptr);
        int id = 0;
        const std::string step = "the search below '" + base + "'";
        const int sent = ldap_search_ext(m_ld.get(), base.c_str(), scope, filter, attributes.data(), 0,
                                         nullptr, nullptr, nullptr, 0, &id);
        const Outcome outcome = Await(sent, id, step.c_str(), answer, error);
        if (outcome != Outcome::Done)
            return outcome;
        const int result = ResultCode(answer.get());
        if (result != LDAP_SUCCESS && result != LDAP_SIZELIMIT_EXCEEDED) {
            error = "The directory at " + m_target.Url + " failed " + step + ": " + ldap_err2string(result);
            return Outcome::Failed;
        }
        return Outcome::Done;
    }

    int ResultCode(LDAPMessage* answer) const {
        int code = LDAP_OTHER;
        if (ldap_parse_result(m_ld.get(), answer, &code, nullptr, nullptr, nullptr, nullptr, 0) !=
            LDAP_SUCCESS)
            return LDAP_OTHER;
        return code;
    }

    std::vector<std::string> Values(LDAPMessage* entry, const char* attribute) const {
        std::vector<std::string> values;
        if (berval** found = ldap_get_values_len(m_ld.get(), entry, attribute)) {
            for (berval** value = found; *value; ++value)
                values.emplace_back((*value)->bv_val, (*value)->bv_len);
            ldap_value_free_len(found);
        }
        return values;
    }

    // Name: the DNS host name's first label, else the common name; full name: the DNS
    // host name, else the entry's DN; probed: the DNS host name, the IP address or the
    // common name, whichever comes first.
    Computer ComputerOf(LDAPMessage* entry) const {
        const auto first = [&](const char* attribute) {
            const std::vector<std::string> values = Values(entry, attribute);
            return CQvcString(values.empty() ? std::string() : values.front());
        };
        const CQvcString dns = first("dNSHostName"), ip = first("ipHostNumber"), cn = first("cn");
        CQvcString dn;
        if (char* text = ldap_get_dn(m_ld.get(), entry)) {
            dn = text;
            ldap_memfree(text);
        }
        Computer computer;
        computer.Name = dns.IsEmpty() ? cn : FirstLabel(dns);
        computer.FullName = dns.IsEmpty() ? dn : dns;
        computer.Address = !dns.IsEmpty() ? dns : !ip.IsEmpty() ? ip : cn;
        return computer;
    }

    SigpipeBlock m_sigpipe; // first, so that it outlasts the connection
    const CDirectoryTarget& m_target;
    Stopping m_stopping;
    Clock::time_point m_deadline;
    std::unique_ptr<LDAP, LdapDeleter> m_ld;
};

// --- the network neighbourhood ----------------------------------------------------------

// The resolved services that `avahi-browse --parsable` lists ("=;if;IPv4;name;type;domain;
// host;address;port;txt"), one computer per host name, its IPv4 address preferred.
std::vector<Computer> NeighbourhoodHosts(const std::string& listing) {
    std::vector<Computer> hosts;
    std::size_t at = 0;
    while (at < listing.size()) {
        const std::size_t end = std::min(listing.find('\n', at), listing.size());
        const CQvcString line(listing.substr(at, end - at));
        at = end + 1;
        if (!line.StartsWith("=;"))
            continue;
        const CQvcString host = line.Token(";", 6), address = line.Token(";", 7);
        if (host.IsEmpty() || address.IsEmpty())
            continue;
        const bool ipv4 = line.Token(";", 2) == "IPv4";
        auto known = std::find_if(hosts.begin(), hosts.end(), [&](const Computer& computer) {
            return computer.FullName.EqualsNoCase(host);
        });
        if (known == hosts.end())
            hosts.push_back({FirstLabel(host), host, address});
        else if (ipv4)
            known->Address = address;
    }
    return hosts;
}

Outcome BrowseNeighbourhood(const Stopping& stopping, std::vector<Computer>& computers, CQvcString& error) {
    const std::string program = platform::FindExecutable("avahi-browse");
    if (program.empty()) {
        error = kNoAvahi;
        return Outcome::Failed;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = "avahi-browse cannot be started: no pipe for its output";
        return Outcome::Failed;
    }
    platform::UniqueFd reading(ends[0]);
    platform::UniqueFd writing(ends[1]);
    std::vector<std::string> argv{program, "--all", "--resolve", "--parsable", "--terminate"};
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    {
        const platform::SpawnSetup setup(writing.Get());
        if (!setup.Ok() ||
            ::posix_spawn(&pid, program.c_str(), setup.Actions(), setup.Attr(), args.data(), environ) != 0) {
            error = "avahi-browse cannot be started";
            return Outcome::Failed;
        }
    }
    writing.Close();
    std::string listing;
    Outcome outcome = Outcome::Done;
    const auto deadline = Clock::now() + kQueryLimit;
    for (;;) {
        if (stopping() || Clock::now() >= deadline) {
            outcome = stopping() ? Outcome::Stopped : Outcome::Failed;
            ::kill(-pid, SIGTERM);
            break;
        }
        pollfd ready{reading.Get(), POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(kSlice.count())) <= 0)
            continue;
        char chunk[4096];
        const ssize_t got = ::read(reading.Get(), chunk, sizeof chunk);
        if (got <= 0)
            break;
        listing.append(chunk, static_cast<std::size_t>(got));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (outcome == Outcome::Failed)
        error = "avahi-browse did not finish listing the neighbourhood in time";
    else if (outcome == Outcome::Done && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        error = "avahi-browse could not list the neighbourhood (is the Avahi daemon running?): " +
                CQvcString(listing.substr(0, listing.find('\n')));
        outcome = Outcome::Failed;
    }
    if (outcome == Outcome::Done)
        computers = NeighbourhoodHosts(listing);
    return outcome;
}

} // namespace

// --- the name of a directory ------------------------------------------------------------

CDirectoryTarget ParseDirectoryName(const CQvcString& directory) {
    CQvcString name = directory;
    name.Trim();
    CDirectoryTarget target;
    if (name.IsEmpty() || name.EqualsNoCase("localhost")) {
        target.Url = "ldap://localhost";
        return target;
    }
    if (name.StartsWith("ldap://", false) || name.StartsWith("ldaps://", false)) {
        LDAPURLDesc* url = nullptr;
        if (ldap_url_parse(name.c_str(), &url) != LDAP_URL_SUCCESS)
            return target;
        if (url->lud_port < 1 || url->lud_port > 65535) {
            ldap_free_urldesc(url);
            return target;
        }
        std::string host = url->lud_host && *url->lud_host ? url->lud_host : "localhost";
        if (host.find(':') != std::string::npos)
            host = "[" + host + "]";
        // The library fills in the scheme's port when none is given.
        target.Url = CQvcString(url->lud_scheme) + "://" + host + ":" + std::to_string(url->lud_port);
        target.Base = url->lud_dn ? url->lud_dn : "";
        ldap_free_urldesc(url);
        return target;
    }
    if (name.Find('.') < 0) {
        target.Workgroup = true;
        return target;
    }
    name.TrimRightChar('.');
    target.Url = "ldap://" + name;
    for (int i = 0, count = name.CountTokens("."); i < count; ++i) {
        if (i)
            target.Base += ",";
        target.Base += "dc=" + name.Token(".", i);
    }
    return target;
}

// --- the role workers -------------------------------------------------------------------

// One role worker: each tick tests the next computer of its list against the role and
// reports it when it plays the role; stops at the end of its list.
class CThreadWin : public CQvcThread {
public:
    CThreadWin(const char* name, IQvcWindow* window, std::shared_ptr<CDiscoveryOutbox> outbox,
               const CWinRoleDef& role)
        : CQvcThread(name, kWorkerTickMs), m_window(window), m_outbox(std::move(outbox)), m_role(role),
          m_ports(RoleServicePorts(role)) {
        SetStartDelay(0ms);
    }
    ~CThreadWin() override {
        if (Stop(kOwnStopWaitMs) != 0)
            Kill();
    }
    CThreadWin(const CThreadWin&) = delete;
    CThreadWin& operator=(const CThreadWin&) = delete;

    // Before Start only.
    void Assign(std::vector<Computer> computers) {
        m_computers = std::move(computers);
        m_next = 0;
    }

protected:
    void Work() override {
        const Stopping stopping = [this] { return State() == kThreadStopPending; };
        if (m_next < m_computers.size()) {
            const Computer& computer = m_computers[m_next++];
            for (const int port : m_ports) {
                if (stopping())
                    return;
                if (ProbeTcpPort(computer.Address.Str(), port, kProbeLimit, stopping) >= 0) {
                    Report(m_window, *m_outbox, computer);
                    break;
                }
            }
        }
        if (m_next >= m_computers.size())
            Stop(0);
    }

private:
    IQvcWindow* m_window;
    std::shared_ptr<CDiscoveryOutbox> m_outbox;
    CWinRoleDef m_role;
    std::vector<int> m_ports;
    std::vector<Computer> m_computers;
    std::size_t m_next = 0;
};

// --- the discovery thread ---------------------------------------------------------------

struct CThreadDiscoverWin::Impl {
    IQvcWindow* Window = nullptr;
    CQvcString Directory;
    CWinRoleDef Role;
    bool Pending = false;
    std::vector<std::unique_ptr<CThreadWin>> Workers;

    bool AnyWorkerRunning() const {
        return std::any_of(Workers.begin(), Workers.end(),
                           [](const auto& worker) { return worker->State() != kThreadStopped; });
    }
};

CThreadDiscoverWin::CThreadDiscoverWin()
    : CQvcThread("CThreadDiscoverWin", kDiscoverTickMs), m_impl(std::make_unique<Impl>()) {
    SetStartDelay(0ms);
}

CThreadDiscoverWin::~CThreadDiscoverWin() {
    // The hooks use the members: the thread ends before they go.
    if (Stop(kOwnStopWaitMs) != 0)
        Kill();
}

int CThreadDiscoverWin::Start(IQvcWindow* window, const CQvcString& directory, const CWinRoleDef& role,
                              unsigned waitMs) {
    if (State() == kThreadStopped) {
        m_impl->Window = window;
        m_impl->Directory = directory;
        m_impl->Role = role;
        m_impl->Pending = true;
        m_outbox->Take();
        m_outbox->SetError("");
    }
    return CQvcThread::Start(waitMs);
}

void CThreadDiscoverWin::OnStarted() {
    CQvcThread::OnStarted();
    m_impl->Workers.clear();
    for (int i = 0; i < kWorkers; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "CThreadWin%02d", i);
        m_impl->Workers.push_back(std::make_unique<CThreadWin>(name, m_impl->Window, m_outbox, m_impl->Role));
    }
}

void CThreadDiscoverWin::Work() {
    Impl& impl = *m_impl;
    if (!impl.Pending) {
        if (!impl.AnyWorkerRunning())
            Stop(0);
        return;
    }
    impl.Pending = false;
    if (impl.Window)
        impl.Window->Post(kMsgDirectoryStarted, 0, 0);
    const Stopping stopping = [this] { return State() == kThreadStopPending; };
    const CDirectoryTarget target = ParseDirectoryName(impl.Directory);
    std::vector<Computer> computers;
    CQvcString error;
    Outcome outcome = Outcome::Failed;
    if (target.Workgroup)
        outcome = BrowseNeighbourhood(stopping, computers, error);
    else if (target.Url.IsEmpty())
        error = "'" + impl.Directory + "' is not a valid LDAP URL (ldap://host:port/dc=example,dc=com)";
    else
        outcome = DirectoryQuery(target, stopping).Run(computers, error);
    if (outcome == Outcome::Done && !impl.Role.Name.IsEmpty() && RoleServicePorts(impl.Role).empty()) {
        error = "The role '" + impl.Role.Name +
                "' names no TCP service: the processes and performance counters of other computers cannot be "
                "looked at from here";
        outcome = Outcome::Failed;
    }
    if (outcome == Outcome::Stopped)
        return;
    if (outcome == Outcome::Failed) {
        m_outbox->SetError(error);
        if (impl.Window)
            impl.Window->Post(kMsgDirectoryFailed, 0, 0);
        Stop(0);
        return;
    }
    if (impl.Role.Name.IsEmpty()) {
        for (const Computer& computer : computers)
            Report(impl.Window, *m_outbox, computer);
        Stop(0);
        return;
    }
    std::vector<std::vector<Computer>> lists(kWorkers);
    for (std::size_t i = 0; i < computers.size(); ++i)
        lists[i % kWorkers].push_back(std::move(computers[i]));
    for (int i = 0; i < kWorkers; ++i) {
        if (lists[i].empty())
            continue;
        impl.Workers[i]->Assign(std::move(lists[i]));
        impl.Workers[i]->Start(0);
    }
    if (!impl.AnyWorkerRunning())
        Stop(0);
}

void CThreadDiscoverWin::OnStopped() {
    Impl& impl = *m_impl;
    for (const auto& worker : impl.Workers)
        worker->Stop(0);
    const auto deadline = Clock::now() + kWorkersLimit;
    while (impl.AnyWorkerRunning() && Clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    for (const auto& worker : impl.Workers) {
        if (worker->State() != kThreadStopped)
            worker->Kill();
    }
    impl.Workers.clear();
    std::this_thread::sleep_for(100ms);
    if (impl.Window)
        impl.Window->Post(kMsgDirectoryEnded, 0, 0);
    CQvcThread::OnStopped();
}
