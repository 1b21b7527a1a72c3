#pragma once
// Network discovery: fills the result list of the target-selection dialog (and the output
// of `sentrelle discover`) with the hosts of an IPv4 range that answer a ping or a TCP
// port, or with the computers of a directory, optionally only those that play a role.
//
// Discovery runs on worker threads (CQvcThread).  The threads never touch their owner's
// data: each found host goes into the discovery's outbox, and a message posted to the
// owner's IQvcWindow announces it; the owner takes the waiting hosts with TakeHosts() on
// its own thread.  Nothing travels as a raw pointer, so a message dropped by a closed
// sink loses nothing and leaks nothing.
#include "library/QvcString.h"
#include "library/QvcThread.h"
#include "library/QvcWindow.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Messages to the owner's window.
inline constexpr unsigned kMsgDiscoverProgress = 1025;  // wparam hosts probed so far, lparam hosts in all
inline constexpr unsigned kMsgDiscoverHost = 1026;      // a host answered: TakeHosts()
inline constexpr unsigned kMsgDiscoverIPEnded = 1027;   // the IP scan has ended
inline constexpr unsigned kMsgDirectoryFailed = 1034;   // the directory query failed: ErrorText()
inline constexpr unsigned kMsgDirectoryStarted = 1035;  // the directory discovery has started
inline constexpr unsigned kMsgDirectoryHost = 1036;     // a computer was found: TakeHosts()
inline constexpr unsigned kMsgDirectoryEnded = 1037;    // the directory discovery has ended

// One discovered host.
struct CDiscoveredHost {
    CQvcString Name;      // IP address or computer name, as a Host field takes it
    CQvcString FullName;  // resolved host name (IP scan, when asked) or the directory's
                          // distinguished name / DNS host name (directory discovery)
    int Port = 0;         // the TCP port probed, 0 for a ping or a directory entry
    int ResponseMs = -1;  // round trip or connect time, -1 when not measured
    bool operator==(const CDiscoveredHost&) const = default;
};

// The hosts that the workers found and the owner has not taken yet.  Thread-safe.
class CDiscoveryOutbox {
public:
    void Put(CDiscoveredHost host);
    std::vector<CDiscoveredHost> Take();
    // The text of a failed directory query (kMsgDirectoryFailed).
    void SetError(const CQvcString& text);
    CQvcString Error() const;

private:
    mutable std::mutex m_mutex;
    std::vector<CDiscoveredHost> m_hosts;
    CQvcString m_error;
};

// A server role of the roles file: what a computer of the role runs.  Services name TCP
// services ("http", "smtp", or a port number "8080"); processes and performance counters
// are kept as read.
struct CWinRoleDef {
    CQvcString Name;               // empty: any role
    std::vector<CQvcString> Services;
    std::vector<CQvcString> Processes;
    std::vector<CQvcString> PerfCounters;
    bool operator==(const CWinRoleDef&) const = default;
};

// All roles of a roles file (Sys/Roles/roles.ini under the engine root).
class CWinRoleDefList : public CQvcBase {
public:
    CWinRoleDefList() : CQvcBase("CWinRoleDefList") {}
    // Reads the roles file: every trimmed line of at least 3 characters that begins with
    // "[" and ends with "]" names a role; its keys "Services", "Processes" and
    // "PerfCounters" (default empty) are lists separated by "," or ";".  With `sort`, the
    // roles are ordered by name without regard to case.  0, or -1 when the file cannot be
    // opened (the list is then empty).
    int Load(const CQvcString& path, bool sort);
    const std::vector<CWinRoleDef>& Roles() const { return m_roles; }
    // The role of that name (letter case ignored), or null.
    const CWinRoleDef* Find(const CQvcString& name) const;

private:
    std::vector<CWinRoleDef> m_roles;
};
// The roles file of an engine root: <root>/Sys/Roles/roles.ini.
CQvcString RolesFilePath(const CQvcString& engineRoot);

// IP discovery: probes every host by ping (port 0) or by connecting to a TCP port, on
// twelve workers ("CThreadPing00".."CThreadPing11") that are dealt the hosts in turn.
class CThreadDiscoverIP : public CQvcThread {
public:
    static constexpr int kWorkers = 12;
    CThreadDiscoverIP();
    ~CThreadDiscoverIP() override;

    // Stores the arguments and starts the thread (CQvcThread::Start's results).  `hosts`
    // are single hosts (an expanded range); `port` 0 pings.  With `resolveNames` each
    // answering address also gets its host name (CDiscoveredHost::FullName).
    int Start(IQvcWindow* window, std::vector<CQvcString> hosts, int port, bool resolveNames,
              unsigned waitMs);
    std::vector<CDiscoveredHost> TakeHosts() { return m_outbox->Take(); }

    // Deals `hosts` to `workers` lists in turn: host 1 to list 1, host `workers`+1 to list 1
    // again.
    static std::vector<std::vector<CQvcString>> Deal(const std::vector<CQvcString>& hosts, int workers);

    // Whether this process may send ICMP echo requests (an unprivileged ICMP socket or a
    // raw socket can be opened).  When not, a ping scan finds nothing: callers say so and
    // offer the TCP port scan.
    static bool PingPermitted();

protected:
    void Work() override;
    void OnStarted() override;
    void OnStopped() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<CDiscoveryOutbox> m_outbox = std::make_shared<CDiscoveryOutbox>();
};

// Directory discovery: the computers of a directory, all of them or only those that run
// what a role requires (checked on six workers "CThreadWin00".."CThreadWin05").
// `directory` is a DNS domain name ("example.com": the LDAP server of that name, base
// "dc=example,dc=com") or an LDAP URL with its base ("ldap://127.0.0.1:3890/dc=example,dc=com");
// empty means "localhost".
class CThreadDiscoverWin : public CQvcThread {
public:
    static constexpr int kWorkers = 6;
    CThreadDiscoverWin();
    ~CThreadDiscoverWin() override;

    int Start(IQvcWindow* window, const CQvcString& directory, const CWinRoleDef& role, unsigned waitMs);
    std::vector<CDiscoveredHost> TakeHosts() { return m_outbox->Take(); }
    CQvcString ErrorText() const { return m_outbox->Error(); }

protected:
    void Work() override;
    void OnStarted() override;
    void OnStopped() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<CDiscoveryOutbox> m_outbox = std::make_shared<CDiscoveryOutbox>();
};
