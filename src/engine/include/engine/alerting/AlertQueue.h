#pragma once
// CAlertQueue: carries out alert deliveries on its own bounded queue and workers, so that
// a slow mail server or a burst of failures never holds up the checks.
//
// - Each request goes to the channel its kind has in the channel table; a kind without
//   one ends at once as "not available on this platform".
// - E-mails are batched: the first one for a recipient set opens a batch window, and every
//   e-mail to the same recipients that arrives before it closes goes into the same message
//   (subjects counted, bodies one after the other).  Other kinds are delivered one by one.
// - A delivery that fails with Retry is tried again after RetryDelay (times the attempts
//   so far), up to Attempts tries; each try has Timeout and ends when the queue stops.
// - At most Capacity requests wait; beyond that a request is refused at once.
// Every finished delivery leaves a report that the owner takes with TakeReports.
#include "engine/alerting/AlertChannels.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AlertQueueOptions {
    std::size_t Workers = 4;
    std::size_t Capacity = 20000;
    std::chrono::milliseconds BatchWindow{2000};
    std::chrono::milliseconds Timeout{30000};
    std::chrono::milliseconds RetryDelay{10000};
    int Attempts = 3;
    // The Engine root the channels' log files live under.
    CQvcString EngineRoot;
};

// One delivery carried out (or given up): the request as delivered (a batch of e-mails as
// its one message), how many alerts it carried, and the outcome of its last try.
struct AlertReport {
    AlertDeliveryRequest Request;
    std::size_t Alerts = 1;
    int Attempts = 1;
    DeliveryOutcome Outcome;
};

class CAlertQueue {
public:
    CAlertQueue(AlertChannelTable channels, AlertQueueOptions options);
    ~CAlertQueue();
    CAlertQueue(const CAlertQueue&) = delete;
    CAlertQueue& operator=(const CAlertQueue&) = delete;

    // The settings later deliveries use.
    void SetSettings(AlertSettings settings);
    // Queues the request; false (and nothing queued) when Capacity requests wait already.
    bool Submit(AlertDeliveryRequest request);
    // The reports since the last call, in the order the deliveries ended.
    std::vector<AlertReport> TakeReports();
    // True when nothing waits or is being delivered within `timeout`.
    bool WaitIdle(std::chrono::milliseconds timeout);
    // Ends the tries in progress (the channels see the cancellation) and reports what
    // still waits as not delivered; the workers are joined.
    void Stop();

private:
    struct Job {
        AlertDeliveryRequest Request;
        std::size_t Alerts = 1;
        int Attempts = 0;
    };
    using Clock = std::chrono::steady_clock;
    void Work();
    void Deliver(Job job);
    void Report(const Job& job, DeliveryOutcome outcome);

    const AlertChannelTable m_channels;
    const AlertQueueOptions m_options;
    std::shared_ptr<const AlertSettings> m_settings;
    std::atomic<bool> m_cancel{false};

    std::mutex m_mutex;
    std::condition_variable m_cv;
    // Jobs to deliver now, and jobs due later (e-mail batches still open, retries).
    std::deque<Job> m_ready;
    std::multimap<Clock::time_point, Job> m_timed;
    // The open e-mail batches by recipient text.
    std::map<std::string, std::multimap<Clock::time_point, Job>::iterator> m_open;
    // Requests queued (a batch counts its alerts).
    std::size_t m_waiting = 0;
    std::size_t m_busy = 0;
    bool m_stopping = false;
    std::vector<AlertReport> m_reports;
    std::vector<std::thread> m_workers;
};
