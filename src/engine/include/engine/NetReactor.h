#pragma once
// CNetReactor: one thread that waits on the sockets of many network checks at once.
//
// A check that mostly waits on the network (connect, send, expect; ping) runs as a task:
// a state machine that says what it waits for next (one socket and its events, a point
// in time, or both) and is resumed on the reactor thread when that happens.  Thousands of
// peers that never answer thus cost one descriptor and a few hundred bytes each, not a
// worker thread each, and checks of peers that answer keep their schedule.
//
// Tasks run only on the reactor thread and must never block.  A task whose run is
// cancelled (RunContext::Cancelled) is told so within kCancelPoll.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CNetReactor {
public:
    using Clock = std::chrono::steady_clock;
    // How often the cancellation flags of waiting tasks are looked at.
    static constexpr std::chrono::milliseconds kCancelPoll{100};

    // What a task waits for next.  Fd < 0: only the time; Done: the task has finished
    // (it has reported its outcome itself) and is destroyed.
    struct Wait {
        int Fd = -1;
        std::uint32_t Events = 0; // EPOLLIN, EPOLLOUT
        Clock::time_point Until{};
        bool Done = false;

        static Wait Socket(int fd, std::uint32_t events, Clock::time_point until) { return {fd, events, until, false}; }
        static Wait Timer(Clock::time_point until) { return {-1, 0, until, false}; }
        static Wait Finished() { return {-1, 0, {}, true}; }
    };

    class Task {
    public:
        virtual ~Task() = default;
        // The first step, on the reactor thread.
        virtual Wait Start() = 0;
        // The socket reported `events` (never 0), or the time ran out (`events` 0).
        virtual Wait Resume(std::uint32_t events) = 0;
        // The run was cancelled: report that and release everything.
        virtual void Cancel() = 0;
        // Looked at every kCancelPoll; null never cancels.
        virtual bool Cancelled() const = 0;
    };

    CNetReactor();
    ~CNetReactor();
    CNetReactor(const CNetReactor&) = delete;
    CNetReactor& operator=(const CNetReactor&) = delete;

    // The reactor of this process, started on first use.
    static CNetReactor& Shared();

    // Hands a task over; any thread.
    void Add(std::unique_ptr<Task> task);
    // Tasks handed over and not finished yet.
    std::size_t Active() const { return m_active.load(); }

private:
    struct Impl;
    void Loop();

    std::unique_ptr<Impl> m_impl;
    std::atomic<std::size_t> m_active{0};
    std::thread m_thread;
};
