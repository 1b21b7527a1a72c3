#pragma once
// CWorkerPool: a bounded set of worker threads that run queued jobs in order of
// submission.  A job that hangs (a host that never answers, a runner that ignores its
// time-out) must not take a worker away for good: its owner can abandon the worker that
// runs it, which then leaves as soon as its job returns, and a fresh worker takes its
// place, up to a limit of abandoned workers still alive.  Everything the workers share
// lives in a block that the last of them frees, so an abandoned worker may outlive the
// pool; its job must keep alive whatever it touches (capture shared pointers).
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>

class CWorkerPool {
public:
    using Job = std::function<void()>;

    // `workers` threads (at least 1); at most `maxAbandoned` abandoned workers may still
    // be running before Abandon stops replacing them.
    explicit CWorkerPool(std::size_t workers, std::size_t maxAbandoned = 0);
    // Stop(), then waits for the workers that are not abandoned; queued jobs are dropped.
    ~CWorkerPool();
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    // Queues a job; false once the pool stops.
    bool Submit(Job job);
    // The worker with that thread id leaves after its current job; a new worker replaces
    // it unless `maxAbandoned` abandoned workers are still running.  False when no
    // worker of the pool has that id.
    bool Abandon(std::thread::id worker);
    // Abandons every worker that runs a job now (no replacement once the pool stops);
    // returns how many.
    std::size_t AbandonBusy();
    // Drops the jobs not yet started and lets the workers leave once their current job
    // returns.  Does not wait.
    void Stop();
    // Waits until no job is queued or running (abandoned workers do not count), or until
    // `timeoutMs` passed; true when idle.
    bool WaitIdle(long timeoutMs) const;

    std::size_t WorkerCount() const;
    // Jobs queued and not yet started.
    std::size_t QueuedCount() const;
    // Workers now running a job (abandoned ones not counted).
    std::size_t BusyCount() const;
    // Abandoned workers still running their job.
    std::size_t AbandonedRunning() const;

private:
    struct Shared;
    void StartWorker();

    std::shared_ptr<Shared> m_shared;
};
