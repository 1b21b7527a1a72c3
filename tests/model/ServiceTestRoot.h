#pragma once
// What the service-control tests share: an installation with both hives in a temporary
// directory, the stand-in daemon in the engine's place, and a clock that records the
// waits of the service handles.
#include "CfgTestRoot.h"
#include "FakeEngine.h"
#include "TestSupport.h"
#include "library/QvcClock.h"
#include "model/service/QvcService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <vector>

// Records every wait, in milliseconds.  A virtual clock returns from a wait at once and
// moves its own time to the deadline, so that limits of many seconds pass in no real
// time while the count and length of the waits stay exact; a real one waits.
class StepClock final : public IQvcClock {
public:
    explicit StepClock(bool isVirtual) : m_virtual(isVirtual) {}

    TimePoint Now() const override {
        std::lock_guard lock(m_mutex);
        return m_virtual ? m_now : std::chrono::steady_clock::now();
    }
    bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, TimePoint deadline,
                   const std::function<bool()>& ready) const override {
        {
            std::lock_guard guard(m_mutex);
            const TimePoint now = m_virtual ? m_now : std::chrono::steady_clock::now();
            m_waits.push_back(std::chrono::round<std::chrono::milliseconds>(deadline - now).count());
            if (m_virtual && deadline > m_now)
                m_now = deadline;
        }
        if (!m_virtual)
            return QvcSteadyClock().WaitUntil(cv, lock, deadline, ready);
        return ready();
    }

    std::vector<long> Waits() const {
        std::lock_guard lock(m_mutex);
        return m_waits;
    }
    long CountOf(long ms) const {
        long n = 0;
        for (long w : Waits())
            n += w == ms ? 1 : 0;
        return n;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_waits.clear();
    }

private:
    const bool m_virtual;
    mutable std::mutex m_mutex;
    mutable TimePoint m_now = TimePoint() + std::chrono::hours(1);
    mutable std::vector<long> m_waits;
};

// The product's waits, shortened for tests that wait in real time for a real process.
inline CQvcService::Timing FastTiming() {
    CQvcService::Timing t;
    t.ManagerWait = t.ServiceWait = t.StepWait = std::chrono::milliseconds(10);
    t.PollInterval = std::chrono::milliseconds(50);
    return t;
}

// `count` copies of `ms` after `head`.
inline std::vector<long> Waits(std::vector<long> head, long ms, int count) {
    head.insert(head.end(), static_cast<std::size_t>(count), ms);
    return head;
}

class ServiceTestRoot : public ::testing::Test {
protected:
    CfgTestRoot install;
    testsupport::FakeEngine fake{install.Hives().Dir()};
    StepClock instant{true};

    // Starts or stops the stand-in on the installation in real time.
    long RealStartOrStop(bool start) {
        CQvcService service;
        service.SetTiming(FastTiming());
        return service.StartOrStop("", CQvcService::kEngineServiceName, start);
    }
    long StateNow() {
        CQvcService service;
        service.SetClock(&instant);
        long state = -1;
        service.QueryServiceState("", CQvcService::kEngineServiceName, state);
        return state;
    }
    std::string PidFile() const { return install.Root() + "/Sys/Run/QvsSnSvc.pid"; }
};
