#include "library/QvcThread.h"
#include "library/QvcWindow.h"

#include "ManualClock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using testsupport::Eventually;
using testsupport::ManualClock;
using testsupport::ReadFile;

namespace {

using Request = std::pair<unsigned, std::intptr_t>;

// A worker that records what it is asked to do.
class TestWorker : public CQvcThread {
public:
    TestWorker(const char* name, unsigned periodMs) : CQvcThread(name, periodMs) {}
    // Owners end their workers before destroying them.
    ~TestWorker() override { Kill(); }

    std::atomic<int> works{0};
    std::atomic<int> started{0};
    std::atomic<int> stopped{0};
    std::atomic<bool> overlap{false};
    // Runs inside Work or inside the handler of request 1028 when set before Start.
    std::function<void()> onWork;
    std::function<void()> onRequest1;

    std::vector<Request> Requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    bool HasRequest(const Request& request) {
        const auto all = Requests();
        return std::find(all.begin(), all.end(), request) != all.end();
    }

protected:
    void Work() override {
        Busy busy(*this);
        ++works;
        if (onWork)
            onWork();
    }
    void OnStarted() override {
        CQvcThread::OnStarted();
        ++started;
    }
    void OnStopped() override {
        CQvcThread::OnStopped();
        ++stopped;
    }
    void OnCustomRequest1(std::intptr_t a) override {
        Record(1028, a);
        if (onRequest1)
            onRequest1();
    }
    void OnCustomRequest2(std::intptr_t a) override { Record(1029, a); }
    void OnCustomRequest3(std::intptr_t a) override { Record(1030, a); }
    void OnCustomRequest4(std::intptr_t a) override { Record(1031, a); }
    void OnCustomRequest5(std::intptr_t a) override { Record(1032, a); }
    void OnCustomRequest6(std::intptr_t a) override { Record(1033, a); }
    void OnCustomRequest7(std::intptr_t a) override { Record(1034, a); }
    void OnCustomRequest8(std::intptr_t a) override { Record(1035, a); }
    void OnCustomRequest9(std::intptr_t a) override { Record(1036, a); }
    void OnCustomRequest10(std::intptr_t a) override { Record(1037, a); }
    void OnCustomRequest11(std::intptr_t a) override { Record(1038, a); }
    void OnCustomRequest12(std::intptr_t a) override { Record(1039, a); }
    void OnCustomRequest13(std::intptr_t a) override { Record(1040, a); }
    void OnCustomRequest14(std::intptr_t a) override { Record(1041, a); }
    void OnCustomRequest15(std::intptr_t a) override { Record(1042, a); }

private:
    // Flags any moment at which two pieces of the worker's work run at once.
    struct Busy {
        explicit Busy(TestWorker& w) : worker(w) {
            if (worker.m_busy.exchange(true))
                worker.overlap = true;
        }
        ~Busy() { worker.m_busy = false; }
        TestWorker& worker;
    };
    void Record(unsigned code, std::intptr_t arg) {
        Busy busy(*this);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::lock_guard lock(m_mutex);
        m_requests.emplace_back(code, arg);
    }

    std::atomic<bool> m_busy{false};
    std::mutex m_mutex;
    std::vector<Request> m_requests;
};

// The trace lines without their time stamps ("[hh:mm:ss]  ").
std::vector<std::string> TraceLines(const std::string& path) {
    std::vector<std::string> out = testsupport::Lines(ReadFile(path));
    for (std::string& line : out)
        line = line.size() > 12 ? line.substr(12) : line;
    return out;
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

class QvcThreadTest : public ::testing::Test {
protected:
    testsupport::ScopedHives hives;
    testsupport::TempDir dir;
    testsupport::ScopedEnv debugDir{"SENTRELLE_DEBUG_DIR", dir.Path()};
    std::string trace = dir.File("thread-trace.txt");

    void Traced(CQvcThread& worker) { worker.SetTraceFile(trace.c_str()); }
};

} // namespace

TEST_F(QvcThreadTest, TheNamedControlMessage) {
    // Registered by the name "WM_<name>", in the registered range: the same name (in any
    // letter case) gives the same message.
    TestWorker a("Discovery", 5000), b("discovery", 5000), c("ServiceCheck", 5000);
    EXPECT_TRUE(a.ControlMessage() >= kQvcFirstRegisteredMessage && a.ControlMessage() <= 0xFFFFu);
    EXPECT_EQ(std::vector<unsigned>({QvcRegisterWindowMessage("WM_Discovery"), b.ControlMessage()}),
              std::vector<unsigned>(2, a.ControlMessage()));
    EXPECT_NE(a.ControlMessage(), c.ControlMessage());
    EXPECT_EQ(QvcRegisterWindowMessage(""), 0u);
}

TEST_F(QvcThreadTest, StartStopPauseResumeReturnCodesAndStates) {
    TestWorker worker("Lifecycle", 60000);
    worker.SetStartDelay(0ms);

    // Nothing runs yet: stopping succeeds at once, everything that needs a worker fails
    // and leaves the state alone.
    EXPECT_EQ((std::vector<int>{worker.Stop(1000), worker.Pause(), worker.Resume(), worker.PostCustomRequest1(1),
                                worker.PostCustomRequest15(1), worker.State()}),
              (std::vector<int>{0, -1, -1, -1, -1, kThreadStopped}));

    ASSERT_EQ(worker.Start(5000), 0);
    EXPECT_TRUE(worker.State() == kThreadStarted && worker.IsInitialised());
    const std::thread::id firstWorker = worker.WorkerThreadId();
    EXPECT_NE(firstWorker, std::thread::id());
    EXPECT_NE(firstWorker, std::this_thread::get_id());
    // A second Start creates no second thread.
    EXPECT_EQ(worker.Start(5000), 0);
    EXPECT_EQ(worker.started.load(), 1);
    EXPECT_EQ(worker.WorkerThreadId(), firstWorker);

    EXPECT_EQ(worker.Pause(), 1);
    ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadPaused; }));
    // Start on a paused worker: not stopped, so refused.
    EXPECT_EQ(worker.Start(0), -1);
    EXPECT_EQ(worker.Resume(), 1);
    ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadStarted; }));
    EXPECT_EQ(worker.Pause(), 1);
    ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadPaused; }));

    // A paused worker still takes the stop code.
    EXPECT_EQ(worker.Stop(5000), 0);
    EXPECT_TRUE(worker.State() == kThreadStopped && worker.stopped == 1 && !worker.IsInitialised());
    EXPECT_EQ(worker.WorkerThreadId(), std::thread::id());
    EXPECT_EQ(worker.Stop(5000), 0);
    EXPECT_EQ(worker.PostCustomRequest1(1), -1);
    // A stopped worker starts again on a new thread.
    ASSERT_EQ(worker.Start(5000), 0);
    EXPECT_EQ(worker.Stop(5000), 0);
    EXPECT_EQ(std::pair(worker.started.load(), worker.stopped.load()), std::pair(2, 2));
}

TEST_F(QvcThreadTest, TimingFollowsTheStartDelayAndThePeriodFromTheEndOfEachRun) {
    ManualClock clock;
    TestWorker worker("Timing", 10000);
    worker.SetClock(&clock);
    const auto period = 10000ms;
    int works = 0;
    // The first run takes 3 seconds of the clock's time.
    worker.onWork = [&] {
        if (++works == 1)
            clock.Advance(3s);
    };

    const auto t0 = clock.Now();
    ASSERT_EQ(worker.Start(0), 1);
    // The default start delay of 1 second comes first.
    ASSERT_TRUE(clock.WaitForSleeper(t0 + 1s));
    EXPECT_EQ(worker.State(), kThreadStartPending);
    EXPECT_EQ(worker.started.load(), 0);

    clock.Advance(1s);
    const auto firstRun = t0 + 1s + period;
    ASSERT_TRUE(clock.WaitForSleeper(firstRun));
    EXPECT_EQ(worker.State(), kThreadStarted);
    EXPECT_EQ(worker.started.load(), 1);

    clock.Advance(period - 1ms);
    ASSERT_TRUE(clock.WaitForSleeper(firstRun));
    EXPECT_EQ(worker.works.load(), 0);
    clock.Advance(1ms);
    // The next deadline counts from the end of the run, 3 seconds later.
    const auto secondRun = firstRun + 3s + period;
    ASSERT_TRUE(clock.WaitForSleeper(secondRun));
    EXPECT_EQ(worker.works.load(), 1);

    // Paused: the timer keeps going, the work is skipped, requests are ignored.
    ASSERT_EQ(worker.Pause(), 1);
    ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadPaused; }));
    ASSERT_TRUE(clock.WaitForSleeper(secondRun)); // a request does not move the deadline
    EXPECT_EQ(worker.PostCustomRequest1(7), 0);
    clock.Advance(period);
    ASSERT_TRUE(clock.WaitForSleeper(secondRun + period));
    EXPECT_EQ(worker.works.load(), 1);

    ASSERT_EQ(worker.Resume(), 1);
    EXPECT_EQ(worker.PostCustomRequest2(8), 0);
    ASSERT_TRUE(Eventually([&] { return worker.Requests().size() == 1; }));
    EXPECT_EQ(worker.Requests()[0], Request(1029, 8));
    EXPECT_EQ(worker.State(), kThreadStarted);
    clock.Advance(period);
    ASSERT_TRUE(clock.WaitForSleeper(secondRun + 2 * period));
    EXPECT_EQ(worker.works.load(), 2);
    EXPECT_FALSE(worker.HasRequest(Request(1028, 7)));

    EXPECT_EQ(worker.Stop(5000), 0);
    EXPECT_FALSE(worker.overlap.load());
}

TEST_F(QvcThreadTest, CustomRequestsAreHandledInOrderWithTheirResults) {
    ManualClock clock; // the periodic work never comes in this test
    TestWorker worker("Requests", 5000);
    worker.SetClock(&clock);
    worker.SetStartDelay(0ms);
    ASSERT_EQ(worker.Start(5000), 0);

    std::vector<Request> expected;
    // Backwards, so that the order seen is the order posted and not the order of codes.
    for (int i = 14; i >= 0; --i) {
        const unsigned code = 1028 + static_cast<unsigned>(i);
        EXPECT_EQ(worker.PostCustomRequest(code, -100 - i), code <= 1032 ? 0 : 1) << code;
        expected.emplace_back(code, -100 - i);
    }
    // The numbered wrappers post the same codes.
    EXPECT_EQ(worker.PostCustomRequest5(5), 0);
    EXPECT_EQ(worker.PostCustomRequest6(6), 1);
    expected.emplace_back(1032, 5);
    expected.emplace_back(1033, 6);
    // Outside the custom range.
    EXPECT_EQ(worker.PostCustomRequest(1027, 0), -1);
    EXPECT_EQ(worker.PostCustomRequest(1043, 0), -1);

    ASSERT_TRUE(Eventually([&] { return worker.Requests().size() == expected.size(); }));
    EXPECT_EQ(worker.Requests(), expected);
    EXPECT_EQ(worker.State(), kThreadStarted);
    EXPECT_EQ(worker.Stop(5000), 0);
}

TEST_F(QvcThreadTest, StopWithoutWaitAndStartWhileStopPending) {
    ManualClock clock;
    TestWorker worker("Pending", 5000);
    Traced(worker);
    worker.SetClock(&clock);

    const auto t0 = clock.Now();
    ASSERT_EQ(worker.Start(0), 1);
    ASSERT_TRUE(clock.WaitForSleeper(t0 + 1s)); // inside the start delay

    // Stop without a wait returns 1 at once; the worker is asleep, so the state stays
    // stop-pending until it wakes.
    EXPECT_EQ(worker.Stop(0), 1);
    EXPECT_EQ(worker.State(), kThreadStopPending);
    EXPECT_EQ(worker.Stop(0), 1);
    EXPECT_EQ(worker.Start(1000), -1);
    EXPECT_EQ(worker.State(), kThreadStopPending);

    clock.Advance(1s);
    ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadStopped; }));
    EXPECT_EQ(worker.works.load(), 0);
    EXPECT_EQ(worker.stopped.load(), 1);

    // The pending stop was never overwritten by the end of the start delay.
    EXPECT_EQ(CountOf(TraceLines(trace), "THREAD: State set to: [STARTED]."), 0);

    // Started again, the worker stops without a wait as well.
    worker.SetStartDelay(0ms);
    ASSERT_EQ(worker.Start(5000), 0);
    EXPECT_EQ(worker.Stop(0), 1);
    ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadStopped; }));
    EXPECT_EQ(worker.stopped.load(), 2);
}

TEST_F(QvcThreadTest, ShortPeriodIsReportedOnceAndStillKeepsItsPace) {
    const std::string log = dir.File("Quorvane.log");
    auto warnings = [&] {
        const std::string text = ReadFile(log);
        int count = 0;
        for (std::size_t at = text.find("Potential Timer problems"); at != std::string::npos;
             at = text.find("Potential Timer problems", at + 1))
            ++count;
        return count;
    };
    { CQvcThread atLimit("AtLimit", 500); }
    EXPECT_EQ(warnings(), 0);

    TestWorker worker("Fast", 200);
    EXPECT_EQ(warnings(), 1);
    EXPECT_NE(ReadFile(log).find("(Error); file [QvcThread:"), std::string::npos);

    // (How the period counts is the timing test's; here the short period is only kept.)
    worker.onWork = [] { std::this_thread::sleep_for(5ms); };
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(worker.Start(0), 1); // the default start delay of 1 second
    // Requests keep arriving while the work runs; they must never run beside it.
    std::intptr_t posted = 0;
    const bool enough = Eventually(
        [&] {
            worker.PostCustomRequest2(posted++);
            return worker.works >= 6;
        },
        30s);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s + 6 * 200ms);
    EXPECT_EQ(worker.Stop(5000), 0);
    ASSERT_TRUE(enough);
    EXPECT_EQ(warnings(), 1);
    EXPECT_FALSE(worker.overlap.load());
    EXPECT_EQ(worker.Requests().size(), static_cast<std::size_t>(posted));
}

TEST_F(QvcThreadTest, KillDuringTheStartDelayDoesNotWaitForIt) {
    ManualClock clock; // never advanced: only the kill can end the delay
    TestWorker worker("EarlyKill", 5000);
    worker.SetClock(&clock);
    const auto t0 = clock.Now();
    ASSERT_EQ(worker.Start(0), 1);
    ASSERT_TRUE(clock.WaitForSleeper(t0 + 1s));
    EXPECT_EQ(worker.Kill(), 0);
    EXPECT_EQ(worker.State(), kThreadStopped);
    EXPECT_EQ(worker.started.load(), 0);
    EXPECT_EQ(worker.stopped.load(), 1);
}

TEST_F(QvcThreadTest, KillAbandonsAStuckWorkerWhichNeverTouchesTheNextOne) {
    TestWorker worker("Stuck", 60000);
    worker.SetStartDelay(0ms);
    worker.SetKillWait(50ms);
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    std::atomic<bool> inHandler{false}, handlerDone{false};
    worker.onRequest1 = [&] {
        inHandler = true;
        gate.wait();
        handlerDone = true;
    };

    ASSERT_EQ(worker.Start(5000), 0);
    ASSERT_EQ(worker.PostCustomRequest1(1), 0);
    ASSERT_TRUE(Eventually([&] { return inHandler.load(); }));
    EXPECT_EQ(worker.PostCustomRequest3(99), 0); // queued behind the stuck handler

    EXPECT_EQ(worker.Kill(), 0);
    EXPECT_EQ(worker.State(), kThreadStopped);
    EXPECT_EQ(worker.stopped.load(), 1);

    // A new worker runs while the old one is still stuck (inside onRequest1, which must
    // therefore stay as it is), and gets its own requests.
    ASSERT_EQ(worker.Start(5000), 0);
    EXPECT_EQ(worker.PostCustomRequest2(5), 0);
    ASSERT_TRUE(Eventually([&] { return worker.HasRequest(Request(1029, 5)); }));

    // Freed, the old worker leaves without handling what was queued for it and without
    // touching the new worker's state.
    release.set_value();
    ASSERT_TRUE(Eventually([&] { return handlerDone.load(); }));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(worker.HasRequest(Request(1030, 99)));
    EXPECT_EQ(worker.State(), kThreadStarted);
    EXPECT_EQ(worker.stopped.load(), 1);
    EXPECT_EQ(worker.Stop(5000), 0);
    EXPECT_EQ(worker.stopped.load(), 2);
}

TEST_F(QvcThreadTest, DestroyingARunningWorkerEndsAndJoinsIt) {
    {
        CQvcThread plain("Plain", 1000);
        plain.SetStartDelay(0ms);
        ASSERT_EQ(plain.Start(5000), 0);
    }
    {
        CQvcThread sleeping("Sleeping", 1000); // destroyed inside its start delay
        ASSERT_EQ(sleeping.Start(0), 1);
    }
    {
        CQvcThread paused("Paused", 1000);
        paused.SetStartDelay(0ms);
        ASSERT_EQ(paused.Start(5000), 0);
        ASSERT_EQ(paused.Pause(), 1);
        ASSERT_EQ(paused.PostCustomRequest9(3), 1);
    }
    SUCCEED(); // reaching here without a hang or a crash is the test
}

TEST_F(QvcThreadTest, EveryRunEndsWithExactlyOneStoppedHookHoweverItEnds) {
    TestWorker worker("Cycles", 1000);
    worker.SetStartDelay(0ms);
    worker.SetKillWait(5s);
    EXPECT_EQ(worker.Kill(), 0); // no worker yet: nothing happens
    EXPECT_EQ(worker.stopped.load(), 0);
    constexpr int kRuns = 30;
    for (int run = 0; run < kRuns; ++run) {
        ASSERT_EQ(worker.Start(0), 1) << run;
        worker.PostCustomRequest4(run);
        switch (run % 3) {
        case 0:
            EXPECT_EQ(worker.Stop(0), 1) << run;
            break;
        case 1:
            // A kill ends the worker at once: nothing that needs one works any more.
            EXPECT_EQ(worker.Kill(), 0) << run;
            EXPECT_EQ(worker.State(), kThreadStopped);
            EXPECT_EQ(worker.PostCustomRequest6(1), -1);
            EXPECT_EQ(worker.Pause(), -1);
            break;
        default:
            EXPECT_EQ(worker.Stop(5000), 0) << run;
            break;
        }
        ASSERT_TRUE(Eventually([&] { return worker.State() == kThreadStopped; })) << run;
        ASSERT_TRUE(Eventually([&] { return worker.stopped.load() == run + 1; })) << run;
    }
    // Killed runs may end before their started hook; none ends twice.
    EXPECT_LE(worker.started.load(), kRuns);
    EXPECT_EQ(worker.stopped.load(), kRuns);
    EXPECT_EQ(worker.Kill(), 0); // stopped: nothing to end
    EXPECT_EQ(worker.stopped.load(), kRuns);
    EXPECT_FALSE(worker.IsInitialised());
    EXPECT_FALSE(worker.overlap.load());
}

TEST_F(QvcThreadTest, AWorkerStoppingItselfDoesNotHoldUpItsOwnersWaitingStop) {
    TestWorker worker("SelfStopper", 500);
    worker.SetStartDelay(0ms);
    std::promise<void> inWork;
    std::atomic<bool> signalled{false};
    worker.onWork = [&] {
        if (!signalled.exchange(true))
            inWork.set_value();
        // The owner's Stop is now waiting for this worker; its work is done, so it stops.
        Eventually([&] { return worker.State() == kThreadStopPending; }, 2s);
        worker.Stop(0);
    };
    ASSERT_EQ(worker.Start(0), 1);
    inWork.get_future().wait();
    EXPECT_EQ(worker.Stop(3000), 0);
    EXPECT_EQ(worker.State(), kThreadStopped);
}
