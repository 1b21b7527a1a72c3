#include "library/QvcMessageQueue.h"

#include "ManualClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(QvcMessageQueue, TakesMessagesFirstInFirstOutFromManyThreads) {
    CQvcMessageQueue queue;
    QvcMessage m;
    EXPECT_FALSE(queue.TryTake(m));

    constexpr int kProducers = 4, kEach = 2000;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kEach; ++i)
                ASSERT_TRUE(queue.Post(196 + static_cast<unsigned>(p), static_cast<std::uintptr_t>(i), -i));
        });
    std::vector<int> next(kProducers, 0);
    int received = 0;
    while (received < kProducers * kEach) {
        ASSERT_TRUE(queue.WaitForMessage(m, 10s));
        const int p = static_cast<int>(m.message) - 196;
        ASSERT_GE(p, 0);
        ASSERT_LT(p, kProducers);
        // Each producer's messages arrive in the order it posted them, unchanged.
        EXPECT_EQ(m.wparam, static_cast<std::uintptr_t>(next[p]));
        EXPECT_EQ(m.lparam, -next[p]);
        ++next[p];
        ++received;
    }
    for (auto& t : producers)
        t.join();
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_FALSE(queue.TryTake(m));
}

TEST(QvcMessageQueue, WaitEndsAtItsTimeOutOrWhenClosed) {
    CQvcMessageQueue queue;
    QvcMessage m;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.WaitForMessage(m, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 30ms);

    // A manual clock decides the deadline: the wait ends only when the clock gets there.
    testsupport::ManualClock clock;
    const auto deadline = clock.Now() + 5s;
    std::thread waiter([&] { EXPECT_FALSE(queue.WaitUntil(m, deadline, clock)); });
    ASSERT_TRUE(clock.WaitForSleeper(deadline));
    clock.Advance(5s);
    waiter.join();

    // Messages queued before Close stay takeable; Close refuses new ones and wakes waiters.
    ASSERT_TRUE(queue.Post(1, 2, 3));
    queue.Close();
    EXPECT_TRUE(queue.IsClosed());
    EXPECT_FALSE(queue.Post(4, 5, 6));
    ASSERT_TRUE(queue.WaitForMessage(m, 1s));
    EXPECT_EQ(m.message, 1u);
    EXPECT_EQ(m.wparam, 2u);
    EXPECT_EQ(m.lparam, 3);

    CQvcMessageQueue other;
    std::thread closer([&] {
        std::this_thread::sleep_for(20ms);
        other.Close();
    });
    EXPECT_FALSE(other.WaitForMessage(m, 60s)); // returns on Close, long before 60 s
    closer.join();
}
