// The main window's refresh cycle against a scripted host and a hand-driven clock: the
// order of the steps, congestion, the access strikes, the configuration and results
// counters with their periods and due times, the Refresh command and the trace lines.
#include "TestSupport.h"
#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/console/ManagerPreferences.h"
#include "model/console/SnRefreshCycle.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace {

using testsupport::ReadFile;

// Milliseconds of a tick count and seconds since 1970 that move together.
struct FakeClock {
    std::uint32_t ms = 500;
    std::int64_t base = 1'700'000'000;
    std::int64_t Seconds() const { return base + ms / 1000; }
    void Advance(std::uint32_t by) { ms += by; }
};

class FakeHost final : public ISnRefreshHost {
public:
    explicit FakeHost(FakeClock& clock) : m_clock(clock) {}

    std::vector<std::string> calls;
    std::deque<bool> accessAnswers; // empty: access granted
    long configCounter = 7;
    long resultsCounter = 40;
    long reloadCode = 0;
    int rows = 0;
    bool capture = true;
    std::uint32_t reloadTakesMs = 0;
    bool lastWritable = false;
    CQvcString lastComputer;
    std::vector<CQvcString> errors;

    bool ProbeAccess(bool writable, const CQvcString& computerName) override {
        calls.push_back("probe");
        lastWritable = writable;
        lastComputer = computerName;
        if (accessAnswers.empty())
            return true;
        const bool answer = accessAnswers.front();
        accessAnswers.pop_front();
        return answer;
    }
    long ReadConfigCounter() override { return Log("read NM", configCounter); }
    long ReadResultsCounter() override { return Log("read Results", resultsCounter); }
    void SignalManagersChanged() override { ++Log("signal NM", configCounter); }
    long ReloadAllNodes() override { return Log("reload", reloadCode, reloadTakesMs); }
    void LoadResults() override { Log("load results"); }
    void RebuildTree() override { Log("rebuild tree"); }
    void RefreshList() override { Log("refresh list"); }
    int ListRowCount() override { return Log("rows", rows); }
    bool ActivityCaptureOn() override { return capture; }
    void RefreshActivity() override { Log("refresh activity"); }
    void StartServiceWatch() override { Log("start watch"); }
    void SetWaitCursor(bool on) override { Log(on ? "wait on" : "wait off"); }
    void StopTimer() override { Log("stop timer"); }
    void PostImmediateTick() override { Log("post tick"); }
    void ShowErrorAndClose(const CQvcString& text) override { errors.push_back(Log("error and close", text)); }

    void Log(const char* call) { calls.push_back(call); }
    // Records `call`, lets it take `ms` of the clock and gives back `value`.
    template <class T> T& Log(const char* call, T& value, std::uint32_t ms = 0) {
        calls.push_back(call);
        m_clock.Advance(ms);
        return value;
    }
    int Count(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }
    // The calls since the last Take.
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }

private:
    FakeClock& m_clock;
};

class SnRefreshCycleTest : public ::testing::Test {
protected:
    SnRefreshCycleTest()
        : host(clock),
          cycle(host, [this] { return clock.ms; }, [this] { return clock.Seconds(); }) {
        cycle.SetTraceFile(TraceFile().c_str());
        cycle.SetAccess(true, "station7");
    }

    std::string TraceFile() const { return hives.Dir().File("trace.txt"); }
    std::string Trace() const { return ReadFile(TraceFile()); }

    // Auto refresh as the dialog would leave it.
    void Settings(bool enabled, bool dynamic, long period) {
        CSnAutoRefreshSettings s;
        s.Enabled = enabled;
        s.Dynamic = dynamic;
        s.PeriodSecs = period;
        cycle.ApplyRefreshSettings(s);
    }
    // A timer tick `ms` after the previous one began (the default timer period).
    void TickAfter(std::uint32_t ms = 1200) {
        clock.Advance(ms);
        cycle.Tick();
    }
    bool Updated(const std::vector<std::string>& calls) const {
        return std::find(calls.begin(), calls.end(), "refresh list") != calls.end();
    }

    testsupport::ScopedHives hives;
    FakeClock clock;
    FakeHost host;
    CSnRefreshCycle cycle;
};

TEST_F(SnRefreshCycleTest, FirstTickRunsEveryStepInOrder) {
    Settings(true, true, 5);
    host.rows = 3;
    cycle.Tick();
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"start watch", "probe", "read NM", "wait on", "reload", "wait off",
                                                     "rebuild tree", "rows", "read Results", "load results",
                                                     "refresh list", "refresh activity"}));
    EXPECT_TRUE(host.lastWritable);
    EXPECT_EQ(host.lastComputer, "station7");
    EXPECT_EQ(cycle.IdleMsecs(), 1000); // the defaults, read on the first tick
    EXPECT_EQ(cycle.MaxHandlingMsecs(), 5000);

    // Later ticks never start the watcher again, and within 2 s read only Results; the
    // first sighting of Results set a due time (now + 1 s), which brings one more update.
    TickAfter();
    EXPECT_EQ(host.Take(),
              (std::vector<std::string>{"rows", "read Results", "load results", "refresh list", "refresh activity"}));
    TickAfter(); // 2.4 s after the first look: NM again
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"read NM", "rows", "read Results"}));
    // The activity view is refreshed only while capture is on.
    host.capture = false;
    ++host.resultsCounter;
    TickAfter(5000);
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"probe", "read NM", "rows", "read Results", "load results",
                                                     "refresh list"}));
}

TEST_F(SnRefreshCycleTest, TicksWithinTheIdleMinimumOfThePreviousEndAreSkipped) {
    Settings(true, false, 5);
    clock.ms = 0xFFFFFF00u; // the tick count wraps during the first tick
    host.reloadTakesMs = 300; // the first tick ends 300 ms after it began
    cycle.Tick();
    host.Take();
    // The next timer tick comes 1200 ms after the first began: 900 ms after its end.
    TickAfter(900);
    EXPECT_TRUE(host.Take().empty());
    EXPECT_NE(Trace().find("Avoid congestion (this timer was 900msecs after the previous Timer exit, we allow only 1000"),
              std::string::npos);
    // A skipped tick still ends a tick: exactly 1000 ms after it is skipped too ...
    TickAfter(1000);
    EXPECT_TRUE(host.Take().empty());
    // ... and 1001 ms after it runs.
    TickAfter(1001);
    EXPECT_FALSE(host.Take().empty());
}

TEST_F(SnRefreshCycleTest, IdleMinimumComesFromThePreferenceOnTheFirstTickOnly) {
    const char* key = "Software\\Quorvane\\Sentrelle\\Manager";
    platform::RegCreateKey(platform::Hive::LocalMachine, key, platform::kRegAllAccess);
    platform::RegSetDword(platform::Hive::LocalMachine, key, "MfTimerIdleMsecs", 200);
    cycle.Tick();
    EXPECT_EQ(cycle.IdleMsecs(), 200);
    platform::RegSetDword(platform::Hive::LocalMachine, key, "MfTimerIdleMsecs", 5000);
    host.Take();
    TickAfter(201);
    EXPECT_FALSE(host.Take().empty()); // still 200: read once
    EXPECT_EQ(cycle.IdleMsecs(), 200);
}

TEST_F(SnRefreshCycleTest, SuspendedCycleDoesNothingUntilResumed) {
    cycle.Suspend();
    cycle.Tick();
    TickAfter();
    EXPECT_TRUE(host.Take().empty());
    cycle.Resume();
    TickAfter();
    EXPECT_EQ(host.Count("start watch"), 1);
    EXPECT_EQ(host.Count("reload"), 1);
}

TEST_F(SnRefreshCycleTest, AccessIsProbedAtMostEveryFiveSeconds) {
    clock.ms = 0;
    cycle.Tick();
    for (int i = 0; i < 4; ++i)
        TickAfter(1200); // 4.8 s
    EXPECT_EQ(host.Count("probe"), 1);
    TickAfter(1200); // 6 s
    EXPECT_EQ(host.Count("probe"), 2);
}

TEST_F(SnRefreshCycleTest, ThreeAccessFailuresInARowEndTheManager) {
    // Two failures and a success start the count again; then three in a row end it.
    host.accessAnswers = {false, false, true, false, false, false};
    cycle.Tick();
    // A failed probe does not stop the rest of the cycle.
    EXPECT_EQ(std::make_pair(cycle.AccessFailures(), host.Count("reload")), std::make_pair(1, 1));
    std::vector<int> failures;
    for (int i = 0; i < 4; ++i) {
        TickAfter(5000);
        failures.push_back(cycle.AccessFailures());
    }
    EXPECT_EQ(failures, (std::vector<int>{2, 0, 1, 2}));
    host.Take();
    TickAfter(5000);
    EXPECT_TRUE(cycle.HasStopped());
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"probe", "stop timer", "error and close"}));
    EXPECT_EQ(host.errors, std::vector<CQvcString>{MessageText(51558)});
    // A tick that still arrives (a posted one) does nothing.
    TickAfter(5000);
    EXPECT_TRUE(host.Take().empty());
}

TEST_F(SnRefreshCycleTest, ConfigurationCounterIsReadAtMostEveryTwoSecondsAndReloadsOnChange) {
    Settings(true, false, 5);
    cycle.Tick(); // the first look always reloads; when the counter is read is the first tick's test
    TickAfter(1200);
    TickAfter(1200);

    // Another Manager changed the configuration: reload, rebuild and update the views at
    // once, though no result changed and the last update is recent.
    host.Take();
    host.configCounter = 99;
    TickAfter(2000);
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"read NM", "wait on", "reload", "wait off", "rebuild tree",
                                                     "read Results", "load results", "refresh list",
                                                     "refresh activity"}));
}

TEST_F(SnRefreshCycleTest, FailedReloadShowsTheErrorAndEndsTheManager) {
    host.reloadCode = 25050;
    cycle.Tick();
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"start watch", "probe", "read NM", "wait on", "reload", "wait off",
                                                     "stop timer", "error and close"}));
    EXPECT_EQ(host.errors, std::vector<CQvcString>{ErrorBoxText(25050)});
    EXPECT_TRUE(cycle.HasStopped());
}

TEST_F(SnRefreshCycleTest, DynamicPeriodFollowsTheNumberOfListedChecks) {
    const std::pair<int, long> bounds[] = {{0, 1},   {19, 1},   {20, 2},   {49, 2},   {50, 4},    {99, 4},
                                           {100, 6}, {120, 6},  {499, 6},  {500, 10}, {999, 10},  {1000, 15},
                                           {50000, 15}};
    for (const auto& [rows, period] : bounds)
        EXPECT_EQ(CSnRefreshCycle::DynamicPeriod(rows), period) << rows;

    Settings(true, true, 30);
    EXPECT_EQ(cycle.RefreshPeriod(), 1); // an empty list until the first tick
    host.rows = 120;
    cycle.Tick();
    EXPECT_EQ(cycle.RefreshPeriod(), 6);
    host.rows = 19;
    TickAfter();
    EXPECT_EQ(cycle.RefreshPeriod(), 1);

    // Not dynamic, or auto refresh off: the configured period stays.
    Settings(true, false, 30);
    TickAfter();
    EXPECT_EQ(cycle.RefreshPeriod(), 30);
    Settings(false, true, 30);
    TickAfter();
    EXPECT_EQ(cycle.RefreshPeriod(), 30);
}

TEST_F(SnRefreshCycleTest, ResultsChangesShowAtOnceOrAtTheirDueTimeAndThenNoMore) {
    // After the first tick at 0.5 s and the given settling ticks, the results change and
    // the next tick comes `changeAfter` ms later: whether it updates the views at once,
    // the second of the update after that (its due time: the change + the period, or
    // + 1 s for short periods), and no update follows without another change.
    struct Case {
        const char* what;
        bool enabled, dynamic;
        long period;
        std::vector<std::uint32_t> settle;
        std::uint32_t changeAfter;
        bool atOnce;
        std::int64_t next;
    } cases[] = {
        {"last update 6 s old", true, false, 5, {5000, 5000}, 1200, true, 16},
        {"last update 2 s old", true, false, 5, {}, 2400, false, 7},
        {"auto refresh off", false, true, 5, {10000}, 1200, false, 16},
        {"short period", true, false, 1, {}, 1200, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock = FakeClock();
        CSnRefreshCycle fresh(
            host, [this] { return clock.ms; }, [this] { return clock.Seconds(); });
        CSnAutoRefreshSettings s;
        s.Enabled = c.enabled;
        s.Dynamic = c.dynamic;
        s.PeriodSecs = c.period;
        fresh.ApplyRefreshSettings(s);
        fresh.SetAccess(true, "station7");
        fresh.Tick();
        for (std::uint32_t ms : c.settle) {
            clock.Advance(ms);
            fresh.Tick();
        }
        host.Take();
        ++host.resultsCounter;
        clock.Advance(c.changeAfter);
        fresh.Tick();
        EXPECT_EQ(Updated(host.Take()), c.atOnce);
        std::int64_t next = -1;
        for (int i = 0; i < 50 && next < 0; ++i) {
            clock.Advance(1200);
            fresh.Tick();
            if (Updated(host.Take()))
                next = clock.Seconds() - clock.base;
        }
        EXPECT_EQ(next, c.next);
        for (int i = 0; i < 8; ++i) {
            clock.Advance(1200);
            fresh.Tick();
        }
        EXPECT_FALSE(Updated(host.Take()));
    }
}

TEST_F(SnRefreshCycleTest, RefreshCommandReloadsEvenWhenNothingChanged) {
    Settings(true, false, 5);
    cycle.Tick();
    TickAfter(3000);
    TickAfter(3000);
    host.Take();
    TickAfter(3000);
    EXPECT_EQ(host.Count("read NM"), 1);
    EXPECT_EQ(host.Count("reload"), 0);
    host.Take();

    cycle.Refresh();
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"signal NM", "post tick"}));
    TickAfter(1500); // the posted tick
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"probe", "read NM", "wait on", "reload", "wait off",
                                                     "rebuild tree", "read Results", "load results",
                                                     "refresh list", "refresh activity"}));
}

TEST_F(SnRefreshCycleTest, SlowTicksAreTracedWithAnAssertionLine) {
    testsupport::ScopedEnv debugDir("SENTRELLE_DEBUG_DIR", hives.Dir().Path());
    const std::string assertFile = hives.Dir().File("assert.txt");
    host.reloadTakesMs = 4999;
    cycle.Tick();
    EXPECT_EQ(Trace().find("TIMER TAKES TOO LONG"), std::string::npos);
    EXPECT_NE(Trace().find("Timer call finished, timer took 4999 msecs"), std::string::npos);
    EXPECT_TRUE(ReadFile(assertFile).empty());

    host.reloadTakesMs = 5000;
    host.configCounter = 8;
    TickAfter(3000);
    EXPECT_NE(Trace().find("TIMER TAKES TOO LONG: 5000msecs, max allowed: 5000 msecs"), std::string::npos);
    const std::string asserted = ReadFile(assertFile);
    EXPECT_NE(asserted.find("QUORVANE ASSERTION FAILURE, FILE: ["), std::string::npos);
    EXPECT_NE(asserted.find("SnRefreshCycle.cpp"), std::string::npos);
    EXPECT_FALSE(cycle.HasStopped()); // only reported
}

TEST_F(SnRefreshCycleTest, SettingsComeFromThePreferences) {
    prefs::WriteAutoRefresh(1, 0, 42);
    cycle.ReadRefreshSettings();
    EXPECT_EQ((std::vector<long>{cycle.AutoRefreshEnabled(), cycle.AutoRefreshDynamic(), cycle.RefreshPeriod()}),
              (std::vector<long>{1, 0, 42}));
}

} // namespace
