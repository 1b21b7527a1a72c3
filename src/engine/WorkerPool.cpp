#include "engine/WorkerPool.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

struct CWorkerPool::Shared {
    struct Worker {
        std::thread thread;
        bool busy = false;
        bool abandoned = false;
    };

    mutable std::mutex mutex;
    std::condition_variable work; // a job or the stop arrived
    mutable std::condition_variable idle; // a job finished
    std::deque<Job> queue;
    std::map<std::thread::id, Worker> workers;
    std::size_t wanted = 0;
    std::size_t maxAbandoned = 0;
    std::size_t abandonedRunning = 0;
    bool stopping = false;

    std::size_t BusyLocked() const {
        std::size_t busy = 0;
        for (const auto& [id, worker] : workers)
            busy += (worker.busy && !worker.abandoned) ? 1 : 0;
        return busy;
    }

    // The body of every worker thread.  `self` keeps the shared block alive for as long
    // as the thread runs, even after the pool is gone.
    static void Loop(const std::shared_ptr<Shared>& self) {
        std::unique_lock lock(self->mutex);
        const std::thread::id me = std::this_thread::get_id();
        for (;;) {
            self->work.wait(lock, [&] { return self->stopping || !self->queue.empty() || IsAbandoned(*self, me); });
            if (self->stopping || IsAbandoned(*self, me))
                break;
            Job job = std::move(self->queue.front());
            self->queue.pop_front();
            self->workers[me].busy = true;
            lock.unlock();
            try {
                job();
            } catch (...) {
                // A job reports its own failures; one that throws anyway must not end
                // the worker.
            }
            job = nullptr; // what the job holds is released outside the lock
            lock.lock();
            Worker& worker = self->workers[me];
            worker.busy = false;
            self->idle.notify_all();
            if (worker.abandoned)
                break;
        }
        Worker& worker = self->workers[me];
        if (worker.abandoned) {
            // Nobody joins an abandoned worker: it was detached and removes itself.
            --self->abandonedRunning;
            self->workers.erase(me);
        }
    }

    static bool IsAbandoned(const Shared& shared, std::thread::id id) {
        const auto found = shared.workers.find(id);
        return found != shared.workers.end() && found->second.abandoned;
    }
};

CWorkerPool::CWorkerPool(std::size_t workers, std::size_t maxAbandoned) : m_shared(std::make_shared<Shared>()) {
    m_shared->wanted = workers == 0 ? 1 : workers;
    m_shared->maxAbandoned = maxAbandoned;
    std::lock_guard lock(m_shared->mutex);
    for (std::size_t i = 0; i < m_shared->wanted; ++i)
        StartWorker();
}

CWorkerPool::~CWorkerPool() {
    Stop();
    std::map<std::thread::id, std::thread> joinable;
    {
        std::lock_guard lock(m_shared->mutex);
        for (auto& [id, worker] : m_shared->workers) {
            if (!worker.abandoned && worker.thread.joinable())
                joinable.emplace(id, std::move(worker.thread));
        }
    }
    for (auto& [id, thread] : joinable)
        thread.join();
}

// Called with the mutex held.
void CWorkerPool::StartWorker() {
    std::shared_ptr<Shared> shared = m_shared;
    // The new thread blocks on the mutex until the caller has registered it.
    std::thread thread([shared] { Shared::Loop(shared); });
    const std::thread::id id = thread.get_id();
    m_shared->workers[id].thread = std::move(thread);
}

bool CWorkerPool::Submit(Job job) {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->stopping)
            return false;
        m_shared->queue.push_back(std::move(job));
    }
    m_shared->work.notify_one();
    return true;
}

bool CWorkerPool::Abandon(std::thread::id id) {
    std::lock_guard lock(m_shared->mutex);
    const auto found = m_shared->workers.find(id);
    if (found == m_shared->workers.end() || found->second.abandoned)
        return false;
    Shared::Worker& worker = found->second;
    worker.abandoned = true;
    worker.thread.detach();
    if (!worker.busy) {
        // An idle worker simply leaves; it was never stuck.
        ++m_shared->abandonedRunning;
        m_shared->work.notify_all();
    } else {
        ++m_shared->abandonedRunning;
    }
    if (!m_shared->stopping && m_shared->abandonedRunning <= m_shared->maxAbandoned)
        StartWorker();
    m_shared->idle.notify_all();
    return true;
}

std::size_t CWorkerPool::AbandonBusy() {
    std::vector<std::thread::id> busy;
    {
        std::lock_guard lock(m_shared->mutex);
        for (const auto& [id, worker] : m_shared->workers) {
            if (worker.busy && !worker.abandoned)
                busy.push_back(id);
        }
    }
    std::size_t count = 0;
    for (std::thread::id id : busy)
        count += Abandon(id) ? 1 : 0;
    return count;
}

void CWorkerPool::Stop() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->queue.clear();
    }
    m_shared->work.notify_all();
    m_shared->idle.notify_all();
}

bool CWorkerPool::WaitIdle(long timeoutMs) const {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return m_shared->queue.empty() && m_shared->BusyLocked() == 0; });
}

std::size_t CWorkerPool::WorkerCount() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->workers.size() - m_shared->abandonedRunning;
}

std::size_t CWorkerPool::QueuedCount() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->queue.size();
}

std::size_t CWorkerPool::BusyCount() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->BusyLocked();
}

std::size_t CWorkerPool::AbandonedRunning() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->abandonedRunning;
}
