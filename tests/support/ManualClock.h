#pragma once
// A clock for tests that moves only when the test says so.  Code under test waits on it
// through IQvcClock::WaitUntil; the test advances it and uses WaitForSleeper to know when
// a waiting thread has seen the current time and gone back to sleep until a given
// deadline, so timing can be checked exactly without real sleeps.
#include "library/QvcClock.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace testsupport {

class ManualClock final : public IQvcClock {
public:
    TimePoint Now() const override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }

    void Advance(Duration by) {
        std::lock_guard lock(m_mutex);
        m_now += by;
    }

    // Waiters look at the clock every real millisecond, so an Advance is noticed without
    // the clock having to reach into their locks.
    bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, TimePoint deadline,
                   const std::function<bool()>& ready) const override {
        const int id = Register(deadline);
        bool result = false;
        for (;;) {
            if (ready()) {
                result = true;
                break;
            }
            if (!Observe(id)) // the deadline has come
                break;
            cv.wait_for(lock, std::chrono::milliseconds(1));
        }
        Unregister(id);
        return result;
    }

    // True when, within `timeout` of real time, some thread waits for exactly `deadline`
    // and has looked at the clock since it last moved.
    bool WaitForSleeper(TimePoint deadline,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            {
                std::lock_guard lock(m_mutex);
                for (const auto& [id, waiter] : m_waiters)
                    if (waiter.deadline == deadline && waiter.seen == m_now)
                        return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

private:
    struct Waiter {
        TimePoint deadline;
        TimePoint seen;
    };

    int Register(TimePoint deadline) const {
        std::lock_guard lock(m_mutex);
        const int id = ++m_lastId;
        m_waiters[id] = Waiter{deadline, TimePoint::min()};
        return id;
    }
    // Records that the waiter saw the current time; false when its deadline has come.
    bool Observe(int id) const {
        std::lock_guard lock(m_mutex);
        Waiter& waiter = m_waiters[id];
        if (m_now >= waiter.deadline)
            return false;
        waiter.seen = m_now;
        return true;
    }
    void Unregister(int id) const {
        std::lock_guard lock(m_mutex);
        m_waiters.erase(id);
    }

    mutable std::mutex m_mutex;
    mutable std::map<int, Waiter> m_waiters;
    mutable int m_lastId = 0;
    TimePoint m_now = TimePoint() + std::chrono::hours(1);
};

} // namespace testsupport
