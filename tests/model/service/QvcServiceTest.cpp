// CQvcService: which handles open, the waits, the states it waits through and the code of
// every outcome, against a scripted daemon on a clock that only records its waits.  The
// real daemon controller has its own tests (tests/platform), and the whole path to the
// real engine is an end-to-end flow.
#include "model/service/QvcService.h"
#include "TestSupport.h"
#include "platform/EngineService.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

namespace {

using S = CQvcService;
constexpr const char* kSvc = S::kEngineServiceName;

// Returns from every wait at once, moving its own time to the deadline, and records the
// waits in milliseconds: limits of many seconds pass in no real time, the count and length
// of the waits stay exact.
class RecordingClock final : public IQvcClock {
public:
    TimePoint Now() const override { return m_now; }
    bool WaitUntil(std::condition_variable&, std::unique_lock<std::mutex>&, TimePoint deadline,
                   const std::function<bool()>& ready) const override {
        m_waits.push_back(std::chrono::round<std::chrono::milliseconds>(deadline - m_now).count());
        m_now = std::max(m_now, deadline);
        return ready();
    }
    std::vector<long> Take() { return std::exchange(m_waits, {}); }

private:
    mutable TimePoint m_now = TimePoint() + std::chrono::hours(1);
    mutable std::vector<long> m_waits;
};

// What the daemon answers: its states, query by query (the last one for ever after; -1 a
// failed query), the errno of a start or stop request, and the rights of this process.
struct Script {
    std::vector<int> states{platform::kServiceStopped};
    int startResult = 0, stopResult = 0;
    bool installed = true, mayStart = true, mayStop = true;
    std::vector<std::string> requests; // "start", "stop"
    std::string root;                   // the root the last controller was made for
};

class ScriptedDaemon final : public platform::IEngineDaemon {
public:
    explicit ScriptedDaemon(Script& script) : m_script(script) {}
    bool RootExists() const override { return m_script.installed; }
    int QueryState(int* error) const override {
        const int state = m_script.states.front();
        if (m_script.states.size() > 1)
            m_script.states.erase(m_script.states.begin());
        if (error != nullptr)
            *error = state < 0 ? EIO : 0;
        return state;
    }
    bool MayStart() const override { return m_script.mayStart; }
    bool MayStop() const override { return m_script.mayStop; }
    int Start() override { return Request("start", m_script.startResult); }
    int Stop() override { return Request("stop", m_script.stopResult); }
    std::string LogonAccount() const override { return "sentrelle"; }

private:
    int Request(const char* what, int result) {
        m_script.requests.push_back(what);
        return result;
    }
    Script& m_script;
};

// `count` copies of `ms` after `head`.
std::vector<long> Waits(std::vector<long> head, long ms, int count) {
    head.insert(head.end(), static_cast<std::size_t>(count), ms);
    return head;
}

class QvcServiceTest : public ::testing::Test {
protected:
    QvcServiceTest() {
        service.SetClock(&clock);
        service.SetEngineRoot("/srv/engine/");
        service.SetDaemonFactory([this](const std::string& root) {
            script.root = root;
            return std::make_unique<ScriptedDaemon>(script);
        });
    }
    Script script;
    RecordingClock clock;
    CQvcService service;
};

} // namespace

TEST(QvcService, LocalComputers) {
    testsupport::ScopedEnv name("SENTRELLE_COMPUTER_NAME", "Engine-Box.example.com");
    for (const char* local : {"", "  ", "localhost", "LocalHost", "127.0.0.1", "engine-box.example.com",
                              "ENGINE-BOX", "\\\\engine-box"})
        EXPECT_TRUE(CQvcService::IsLocalComputer(local)) << local;
    for (const char* remote : {"engine", "127.0.0.2", "other-box", "engine-box.other.com", "::1"})
        EXPECT_FALSE(CQvcService::IsLocalComputer(remote)) << remote;
    name.Set(""); // a machine whose name cannot be read
    EXPECT_TRUE(CQvcService::IsLocalComputer("localhost"));
    EXPECT_FALSE(CQvcService::IsLocalComputer("engine-box"));
}

TEST_F(QvcServiceTest, HandlesOpenOnlyTheEngineServiceOfThisComputer) {
    long state = 0;
    EXPECT_EQ(std::make_pair(service.QueryState(state), state), std::make_pair(-1L, -1L));
    EXPECT_EQ(service.OpenHandles("far-away", kSvc, true), -1);
    EXPECT_TRUE(clock.Take().empty());
    EXPECT_EQ(service.OpenHandles("", "Spooler", true), -1);
    EXPECT_FALSE(service.IsManagerOpen());
    EXPECT_EQ(clock.Take(), std::vector<long>{100});

    ASSERT_EQ(service.OpenHandles("LOCALHOST", "qvssnsvc", true), 0);
    EXPECT_EQ(clock.Take(), (std::vector<long>{100, 200}));
    EXPECT_EQ(service.Computer(), "LOCALHOST");
    EXPECT_EQ(script.root, "/srv/engine/");
    EXPECT_EQ(std::make_pair(service.QueryState(state), state), std::make_pair(0L, S::kStateStopped));
    CQvcString account;
    EXPECT_EQ(std::make_pair(service.QueryLogonAccount(account), account), std::make_pair(0L, CQvcString("sentrelle")));
    service.CloseHandles();
    EXPECT_EQ(service.Computer(), "");
    EXPECT_EQ(service.QueryLogonAccount(account), -1);

    // All rights need both rights; queries need neither.
    script.mayStop = false;
    EXPECT_EQ(service.OpenHandles("", kSvc, false), -1);
    EXPECT_EQ(service.OpenHandles("", kSvc, true), 0);
    // Not installed where the root points.
    script.installed = false;
    EXPECT_EQ(service.OpenHandles("", kSvc, true), -1);

    // Without a root of its own the service takes the installation's from the registry.
    testsupport::ScopedHives hives;
    script.installed = true;
    service.SetEngineRoot("");
    EXPECT_EQ(service.OpenHandles("", kSvc, true), -1);
    platform::RegEnsureKey(platform::Hive::LocalMachine, kProductKey);
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", " /opt/root/ ");
    EXPECT_EQ(service.OpenHandles("", kSvc, true), 0);
    EXPECT_EQ(script.root, "/opt/root/");
}

TEST_F(QvcServiceTest, QueriesOfTheDialogAndTheWatcher) {
    clock.Take();
    long state = 0;
    CQvcString account;
    script.states = {platform::kServiceRunning};
    EXPECT_EQ(service.QueryServiceState("", kSvc, state, &account), 0);
    EXPECT_EQ(std::make_pair(state, account.Str()), std::make_pair(S::kStateRunning, std::string("sentrelle")));
    EXPECT_EQ(clock.Take(), (std::vector<long>{100, 100}));
    EXPECT_FALSE(service.IsManagerOpen());
    // The watcher's look: opened for queries (100 ms, 200 ms), 100 ms more, the query.
    EXPECT_EQ(std::make_pair(service.PollState("localhost", kSvc, state), state), std::make_pair(0L, S::kStateRunning));
    EXPECT_EQ(clock.Take(), (std::vector<long>{100, 200, 100}));
    EXPECT_FALSE(service.IsManagerOpen());

    EXPECT_EQ(std::make_pair(service.PollState("far-away", kSvc, state), state), std::make_pair(-1L, -1L));
    EXPECT_EQ(service.QueryServiceState("far-away", kSvc, state), S::kErrorManager);
    EXPECT_EQ(service.QueryServiceState("", "Spooler", state), S::kErrorOpenQuery);
    script.states = {-1};
    EXPECT_EQ(service.QueryServiceState("", kSvc, state, &account), S::kErrorQuery);
    EXPECT_EQ(std::make_pair(state, account.Str()), std::make_pair(-1L, std::string()));
    EXPECT_EQ(service.PollState("", kSvc, state), -1);
}

TEST_F(QvcServiceTest, StartOrStopWaitsThroughThePendingStatesAndGivesTheCodeOfItsOutcome) {
    constexpr int stopped = platform::kServiceStopped, starting = platform::kServiceStartPending,
                  stopping = platform::kServiceStopPending, running = platform::kServiceRunning;
    struct Row {
        const char* what;
        std::vector<int> states;
        bool start;
        int refusal;
        long code;
        std::vector<long> waits;
        bool found;
        std::vector<std::string> requests;
    };
    const std::vector<std::string> start{"start"}, stop{"stop"}, none;
    const Row rows[] = {
        {"already running", {running}, true, 0, 0, {100}, true, none},
        {"already stopped", {stopped}, false, 0, 0, {100}, true, none},
        {"started", {stopped, starting, starting, running}, true, 0, 0, {100, 100, 1000, 1000}, false, start},
        {"stopped", {running, stopping, stopped}, false, 0, 0, {100, 100, 1000}, false, stop},
        // 100 ms, the request, 100 ms, then one query a second up to the limit.
        {"never ready", {stopped, starting}, true, 0, S::kErrorOperation, Waits({100, 100}, 1000, 15), false, start},
        {"ignores the stop", {running, stopping}, false, 0, S::kErrorOperation, Waits({100, 100}, 1000, 30), false,
         stop},
        // Another process launched it a moment ago: waited for like its own.
        {"starting elsewhere", {stopped, starting, starting, running}, true, EALREADY, 0, {100, 100, 1000}, true,
         start},
        {"stopping elsewhere", {stopping}, true, EALREADY, S::kErrorOperation, {100}, false, start},
        {"no engine program", {stopped}, true, ENOENT, S::kErrorOperation, {100}, false, start},
        {"dies while starting", {stopped, starting, stopped}, true, 0, S::kErrorOperation, {100, 100, 1000}, false,
         start},
        {"cannot be queried", {-1}, true, 0, S::kErrorQuery, {100}, false, none},
        {"query fails after the request", {stopped, -1}, true, 0, S::kErrorQuery, {100, 100}, false, start},
        {"query fails while waiting", {stopped, starting, -1}, true, 0, S::kErrorOperation, {100, 100, 1000}, false,
         start},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        script = Script();
        script.states = row.states;
        (row.start ? script.startResult : script.stopResult) = row.refusal;
        clock.Take();
        EXPECT_EQ(service.StartOrStop("127.0.0.1", kSvc, row.start), row.code);
        EXPECT_EQ(clock.Take(), row.waits);
        EXPECT_EQ(service.FoundAlready(), row.found);
        EXPECT_EQ(script.requests, row.requests);
        EXPECT_FALSE(service.IsManagerOpen());
    }

    // A limit of its own.
    CQvcService::Timing shorter;
    shorter.StartLimit = std::chrono::milliseconds(3000);
    service.SetTiming(shorter);
    script.states = {stopped, starting};
    clock.Take();
    EXPECT_EQ(service.StartOrStop("", kSvc, true), S::kErrorOperation);
    EXPECT_EQ(clock.Take(), Waits({100, 100}, 1000, 3));
}

TEST_F(QvcServiceTest, OpeningFailuresHaveTheirCodes) {
    EXPECT_EQ(service.StartOrStop("far-away", kSvc, true), S::kErrorManager);
    EXPECT_TRUE(clock.Take().empty());
    EXPECT_EQ(service.StartOrStop("", "Spooler", true), S::kErrorOpenQuery);
    EXPECT_EQ(clock.Take(), std::vector<long>{100});
    script.installed = false;
    EXPECT_EQ(service.StartOrStop("", kSvc, false), S::kErrorOpenQuery);
    script.installed = true;
    script.mayStart = false;
    EXPECT_EQ(service.StartOrStop("", kSvc, true), S::kErrorOpenControl);
    script.states = {platform::kServiceRunning, platform::kServiceStopped};
    EXPECT_EQ(service.StartOrStop("", kSvc, false), 0) << "stopping needs only the right to stop";
    script.mayStop = false;
    EXPECT_EQ(service.StartOrStop("", kSvc, false), S::kErrorOpenControl);
    EXPECT_EQ(script.requests, std::vector<std::string>{"stop"});
}
