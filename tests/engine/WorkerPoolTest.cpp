// The bounded worker pool: never more jobs at once than workers, a stuck job's worker
// replaced (within the limit), and a stop that drops queued jobs.
#include "engine/WorkerPool.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

using enginetest::Gate;

namespace {

// Records the most jobs that ran at the same time.
struct Concurrency {
    std::atomic<int> now{0};
    std::atomic<int> peak{0};
    std::atomic<int> done{0};
    void Enter() {
        const int n = ++now;
        int seen = peak.load();
        while (n > seen && !peak.compare_exchange_weak(seen, n)) {
        }
    }
    void Leave() {
        --now;
        ++done;
    }
};

} // namespace

TEST(WorkerPool, RunsEveryJobWithNoMoreAtOnceThanWorkers) {
    auto gate = std::make_shared<Gate>();
    auto seen = std::make_shared<Concurrency>();
    CWorkerPool pool(3);
    EXPECT_EQ(pool.WorkerCount(), 3u);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(pool.Submit([gate, seen] {
            seen->Enter();
            gate->Wait(RunContext{});
            seen->Leave();
        }));
    }
    ASSERT_TRUE(gate->WaitForWaiters(3));
    EXPECT_EQ(pool.BusyCount(), 3u);
    EXPECT_EQ(pool.QueuedCount(), 17u);
    EXPECT_FALSE(pool.WaitIdle(20));
    gate->Release();
    ASSERT_TRUE(pool.WaitIdle(10000));
    EXPECT_EQ(seen->done.load(), 20);
    EXPECT_EQ(seen->peak.load(), 3);
    // A job that throws does not take its worker away.
    ASSERT_TRUE(pool.Submit([] { throw std::runtime_error("boom"); }));
    ASSERT_TRUE(pool.Submit([seen] { seen->Leave(); }));
    ASSERT_TRUE(pool.WaitIdle(10000));
    EXPECT_EQ(seen->done.load(), 21);
    EXPECT_EQ(pool.WorkerCount(), 3u);
}

TEST(WorkerPool, AStuckJobsWorkerIsReplacedWithinTheLimit) {
    auto stuck = std::make_shared<Gate>();
    auto ids = std::make_shared<std::pair<std::mutex, std::set<std::thread::id>>>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        CWorkerPool pool(1, 1);
        ASSERT_TRUE(pool.Submit([stuck, ids, finished] {
            {
                std::lock_guard lock(ids->first);
                ids->second.insert(std::this_thread::get_id());
            }
            stuck->Wait(RunContext{});
            *finished = true;
        }));
        std::atomic<int> after{0};
        ASSERT_TRUE(pool.Submit([&after] { ++after; }));
        ASSERT_TRUE(stuck->WaitForWaiters(1));
        std::thread::id worker;
        {
            std::lock_guard lock(ids->first);
            worker = *ids->second.begin();
        }
        // The second job waits behind the stuck one until its worker is abandoned.
        EXPECT_FALSE(pool.WaitIdle(50));
        EXPECT_EQ(after.load(), 0);
        EXPECT_FALSE(pool.Abandon(std::thread::id()));
        ASSERT_TRUE(pool.Abandon(worker));
        EXPECT_FALSE(pool.Abandon(worker)); // once only
        ASSERT_TRUE(pool.WaitIdle(10000));
        EXPECT_EQ(after.load(), 1);
        EXPECT_EQ(pool.AbandonedRunning(), 1u);
        EXPECT_EQ(pool.WorkerCount(), 1u);

        // At the limit, a second stuck worker is not replaced: the pool cannot grow
        // without bound behind hosts that never answer.
        auto stuckAgain = std::make_shared<Gate>();
        std::atomic<std::thread::id> second{};
        ASSERT_TRUE(pool.Submit([stuckAgain, &second] {
            second = std::this_thread::get_id();
            stuckAgain->Wait(RunContext{});
        }));
        ASSERT_TRUE(stuckAgain->WaitForWaiters(1));
        ASSERT_TRUE(pool.Abandon(second.load()));
        EXPECT_EQ(pool.AbandonedRunning(), 2u);
        EXPECT_EQ(pool.WorkerCount(), 0u);
        stuckAgain->Release();
        // The pool goes while the first abandoned worker still runs its job.
    }
    // The abandoned worker finishes after the pool is gone and leaves by itself.
    stuck->Release();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!*finished && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(*finished);
}

TEST(WorkerPool, StopDropsQueuedJobsAndRefusesNewOnes) {
    auto gate = std::make_shared<Gate>();
    std::atomic<int> ran{0};
    CWorkerPool pool(1);
    ASSERT_TRUE(pool.Submit([gate, &ran] {
        gate->Wait(RunContext{});
        ++ran;
    }));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(pool.Submit([&ran] { ++ran; }));
    ASSERT_TRUE(gate->WaitForWaiters(1));
    pool.Stop();
    EXPECT_FALSE(pool.Submit([&ran] { ++ran; }));
    EXPECT_EQ(pool.QueuedCount(), 0u);
    gate->Release();
    ASSERT_TRUE(pool.WaitIdle(10000));
    EXPECT_EQ(ran.load(), 1);
    // Busy workers are abandoned when a stop cannot wait for them.
    EXPECT_EQ(pool.AbandonBusy(), 0u);
}
