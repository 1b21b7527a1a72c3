#include "engine/alerting/AlertQueue.h"

#include "engine/CheckRunner.h"

#include <algorithm>

#include <exception>

namespace {

constexpr int kKindEmail = 1;

} // namespace

CAlertQueue::CAlertQueue(AlertChannelTable channels, AlertQueueOptions options)
    : m_channels(std::move(channels)), m_options(std::move(options)),
      m_settings(std::make_shared<const AlertSettings>()) {
    for (std::size_t i = 0; i < std::max<std::size_t>(1, m_options.Workers); ++i)
        m_workers.emplace_back([this] { Work(); });
}

CAlertQueue::~CAlertQueue() {
    Stop();
}

void CAlertQueue::SetSettings(AlertSettings settings) {
    auto shared = std::make_shared<const AlertSettings>(std::move(settings));
    std::lock_guard lock(m_mutex);
    m_settings = std::move(shared);
}

bool CAlertQueue::Submit(AlertDeliveryRequest request) {
    std::lock_guard lock(m_mutex);
    if (m_stopping || m_waiting >= m_options.Capacity)
        return false;
    ++m_waiting;
    if (request.ActionKind == kKindEmail && m_options.BatchWindow.count() > 0) {
        if (const auto open = m_open.find(request.Recipient); open != m_open.end()) {
            Job& batch = open->second->second;
            ++batch.Alerts;
            batch.Request.Body += "\r\n\r\n" + request.Body;
            return true;
        }
        const std::string key = request.Recipient;
        const auto at = m_timed.emplace(Clock::now() + m_options.BatchWindow, Job{std::move(request)});
        m_open.emplace(key, at);
    } else {
        m_ready.push_back(Job{std::move(request)});
    }
    m_cv.notify_one();
    return true;
}

std::vector<AlertReport> CAlertQueue::TakeReports() {
    std::lock_guard lock(m_mutex);
    std::vector<AlertReport> taken;
    taken.swap(m_reports);
    return taken;
}

bool CAlertQueue::WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [this] { return m_waiting == 0 && m_busy == 0; });
}

void CAlertQueue::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_stopping = true;
        m_cancel = true;
    }
    m_cv.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
    std::deque<Job> left;
    left.swap(m_ready);
    for (auto& [due, job] : m_timed)
        left.push_back(std::move(job));
    m_timed.clear();
    m_open.clear();
    m_waiting = 0;
    for (const Job& job : left)
        Report(job, {false, false, "not delivered, the engine stopped"});
}

void CAlertQueue::Work() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        const Clock::time_point now = Clock::now();
        while (!m_timed.empty() && m_timed.begin()->first <= now) {
            Job job = std::move(m_timed.begin()->second);
            if (const auto open = m_open.find(job.Request.Recipient);
                open != m_open.end() && open->second == m_timed.begin())
                m_open.erase(open);
            m_timed.erase(m_timed.begin());
            m_ready.push_back(std::move(job));
        }
        if (m_ready.empty()) {
            if (m_timed.empty()) {
                m_cv.wait(lock);
            } else {
                // A copy: while this thread waits, another may take the job and free the
                // entry the time belongs to.
                const Clock::time_point due = m_timed.begin()->first;
                m_cv.wait_until(lock, due);
            }
            continue;
        }
        Job job = std::move(m_ready.front());
        m_ready.pop_front();
        m_waiting -= job.Alerts;
        ++m_busy;
        lock.unlock();
        Deliver(std::move(job));
        lock.lock();
        --m_busy;
        m_cv.notify_all();
    }
}

void CAlertQueue::Deliver(Job job) {
    ++job.Attempts;
    if (job.Alerts > 1 && job.Attempts == 1)
        job.Request.Subject += " (and " + std::to_string(job.Alerts - 1) + " more)";
    const auto channel = m_channels.find(job.Request.ActionKind);
    if (channel == m_channels.end() || !channel->second) {
        Report(job, {false, false, "not available on this platform"});
        return;
    }
    std::shared_ptr<const AlertSettings> settings;
    {
        std::lock_guard lock(m_mutex);
        settings = m_settings;
    }
    RunContext context;
    context.EngineRoot = m_options.EngineRoot;
    context.Timeout = m_options.Timeout;
    context.Cancelled = &m_cancel;
    DeliveryOutcome outcome;
    try {
        outcome = channel->second(job.Request, *settings, context);
    } catch (const std::exception& error) {
        outcome = {false, false, std::string("failed: ") + error.what()};
    }
    if (!outcome.Ok && outcome.Retry && job.Attempts < m_options.Attempts && !m_cancel) {
        std::lock_guard lock(m_mutex);
        m_waiting += job.Alerts;
        m_timed.emplace(Clock::now() + m_options.RetryDelay * job.Attempts, std::move(job));
        m_cv.notify_one();
        return;
    }
    Report(job, std::move(outcome));
}

void CAlertQueue::Report(const Job& job, DeliveryOutcome outcome) {
    AlertReport report{job.Request, job.Alerts, std::max(1, job.Attempts), std::move(outcome)};
    std::lock_guard lock(m_mutex);
    m_reports.push_back(std::move(report));
}
