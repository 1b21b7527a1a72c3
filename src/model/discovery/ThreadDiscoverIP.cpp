#include "model/discovery/Discovery.h"

#include "model/discovery/HostProbe.h"

#include <atomic>
#include <cstdio>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr unsigned kDiscoverPeriodMs = 1000;
constexpr unsigned kPingPeriodMs = 850;
// How long the stop waits for the workers before it kills the rest, and how often it
// looks: the probes watch the stop, so they normally end within one probe slice.
constexpr auto kWorkerStopLimit = 30s;
constexpr auto kWorkerStopPoll = 20ms;

// What the workers of one scan share: where they report, and the progress over all.
struct ScanShared {
    IQvcWindow* Window = nullptr;
    std::shared_ptr<CDiscoveryOutbox> Outbox;
    int Port = 0;
    bool ResolveNames = false;
    std::uintptr_t Total = 0;
    std::atomic<std::uintptr_t> Probed{0};

    void Post(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) const {
        if (Window)
            Window->Post(message, wparam, lparam);
    }
};

// One ping worker: probes its own hosts one after another.  A tick probes every host
// that is left, checking between probes (and inside each probe) whether the worker is
// still STARTED, so that a stop or pause takes effect within a probe slice; when the list
// is done, the worker stops itself.
class CThreadPing final : public CQvcThread {
public:
    CThreadPing(const std::string& name, std::shared_ptr<ScanShared> shared, std::vector<CQvcString> hosts)
        : CQvcThread(name.c_str(), kPingPeriodMs), m_shared(std::move(shared)), m_hosts(std::move(hosts)) {
        SetStartDelay(0ms);
        SetKillWait(1s);
    }
    ~CThreadPing() override { Kill(); }

protected:
    void Work() override {
        const ProbeStopped stopped = [this] { return State() != kThreadStarted; };
        while (m_next < m_hosts.size()) {
            if (stopped())
                return;
            Probe(m_hosts[m_next++].Str(), stopped);
        }
        Stop(0);
    }

private:
    void Probe(const std::string& host, const ProbeStopped& stopped) {
        const int port = m_shared->Port;
        const int ms = port > 0 ? ProbeTcpPort(host, port, kProbeTimeout, stopped)
                                : ProbePing(host, kProbeTimeout, stopped);
        // A probe cut short by the stop proves nothing either way.
        if (stopped())
            return;
        if (ms >= 0) {
            CDiscoveredHost found;
            found.Name = host;
            found.Port = port;
            found.ResponseMs = ms;
            if (m_shared->ResolveNames)
                found.FullName = ResolveAddressName(host);
            m_shared->Outbox->Put(std::move(found));
            m_shared->Post(kMsgDiscoverHost, 0, 0);
        }
        const std::uintptr_t probed = ++m_shared->Probed;
        m_shared->Post(kMsgDiscoverProgress, probed, static_cast<std::intptr_t>(m_shared->Total));
    }

    const std::shared_ptr<ScanShared> m_shared;
    const std::vector<CQvcString> m_hosts;
    std::size_t m_next = 0;
};

} // namespace

struct CThreadDiscoverIP::Impl {
    // The arguments of the scan, set by Start before the thread runs.
    IQvcWindow* Window = nullptr;
    std::vector<CQvcString> Hosts;
    int Port = 0;
    bool ResolveNames = false;
    // Made by the start hook, ended by the stop hook.
    std::vector<std::unique_ptr<CThreadPing>> Workers;

    bool AnyWorkerRuns() const {
        for (const auto& worker : Workers)
            if (worker->State() != kThreadStopped)
                return true;
        return false;
    }
};

CThreadDiscoverIP::CThreadDiscoverIP()
    : CQvcThread("CThreadDiscoverIP", kDiscoverPeriodMs), m_impl(std::make_unique<Impl>()) {
    // The scan starts at once: the user pressed Start and watches the list.
    SetStartDelay(0ms);
    // A Kill (the destructor's) that meets the stop hook waiting for hung workers lets it
    // finish: the hook uses this object's workers.
    SetKillWait(kWorkerStopLimit + 5s);
}

// The hooks use the workers and the arguments, which are gone once this destructor has
// run: the thread ends here, not in the base destructor.
CThreadDiscoverIP::~CThreadDiscoverIP() { Kill(); }

int CThreadDiscoverIP::Start(IQvcWindow* window, std::vector<CQvcString> hosts, int port, bool resolveNames,
                             unsigned waitMs) {
    // The arguments of a running scan stay as they are; Start then only reports.
    if (State() == kThreadStopped) {
        m_impl->Window = window;
        m_impl->Hosts = std::move(hosts);
        m_impl->Port = port;
        m_impl->ResolveNames = resolveNames;
    }
    return CQvcThread::Start(waitMs);
}

std::vector<std::vector<CQvcString>> CThreadDiscoverIP::Deal(const std::vector<CQvcString>& hosts, int workers) {
    std::vector<std::vector<CQvcString>> lists(static_cast<std::size_t>(std::max(workers, 0)));
    if (lists.empty())
        return lists;
    for (std::size_t i = 0; i < hosts.size(); ++i)
        lists[i % lists.size()].push_back(hosts[i]);
    return lists;
}

bool CThreadDiscoverIP::PingPermitted() { return IcmpPermitted(); }

void CThreadDiscoverIP::OnStarted() {
    CQvcThread::OnStarted();
    auto shared = std::make_shared<ScanShared>();
    shared->Window = m_impl->Window;
    shared->Outbox = m_outbox;
    shared->Port = m_impl->Port;
    shared->ResolveNames = m_impl->ResolveNames;
    shared->Total = m_impl->Hosts.size();
    auto lists = Deal(m_impl->Hosts, kWorkers);
    m_impl->Workers.clear();
    for (int i = 0; i < kWorkers; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "CThreadPing%02d", i);
        m_impl->Workers.push_back(
            std::make_unique<CThreadPing>(name, shared, std::move(lists[static_cast<std::size_t>(i)])));
    }
    for (const auto& worker : m_impl->Workers)
        worker->Start(0);
}

void CThreadDiscoverIP::Work() {
    if (!m_impl->AnyWorkerRuns())
        Stop(0);
}

void CThreadDiscoverIP::OnStopped() {
    for (const auto& worker : m_impl->Workers)
        if (worker->State() != kThreadStopped)
            worker->Stop(0);
    const auto limit = std::chrono::steady_clock::now() + kWorkerStopLimit;
    while (m_impl->AnyWorkerRuns() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(kWorkerStopPoll);
    for (const auto& worker : m_impl->Workers)
        if (worker->State() != kThreadStopped)
            worker->Kill();
    m_impl->Workers.clear();
    if (m_impl->Window)
        m_impl->Window->Post(kMsgDiscoverIPEnded, 0, 0);
    CQvcThread::OnStopped();
}
