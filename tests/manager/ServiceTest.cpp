// The engine service as the Manager sees it: the watcher's reports through the GUI-thread
// sink, the one question (or notice) when the first report finds the service stopped,
// the Service dialog against the real engine daemon, and the whole loop of a check
// written by another program, run by the engine and shown by the Manager.
#include "ManagerFixture.h"
#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "manager/service/DialogService.h"
#include "manager/app/GuiPostSink.h"
#include "manager/mainframe/ViewLog.h"
#include "model/console/ManagerPreferences.h"
#include "model/service/ServiceDialogRules.h"
#include "model/service/SnEngineServiceState.h"
#include "model/link/SnIPC.h"
#include "model/tree/SnNodeResult.h"
#include "model/service/ThreadCheckService.h"
#include "platform/EngineService.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace {

std::string Filled(unsigned id) {
    CQvcString text;
    text.Format(MessageText(id), CSnEngineServiceState::kServiceDisplayName);
    return text.Str();
}

// Runs the event loop (and `step`) until `done` holds or `limit` has passed.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit, const std::function<void()>& step = {}) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (step)
            step();
        QCoreApplication::processEvents();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

} // namespace

class ServiceTest : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        m_engine = std::make_unique<testsupport::ScopedEnv>(platform::EngineService::kBinaryVariable,
                                                            SENTRELLE_ENGINE_PROGRAM);
    }
    void TearDown() override {
        // Whatever a test left running stops before the installation goes.
        platform::EngineService service(Root());
        if (service.QueryState() != platform::kServiceStopped) {
            service.Stop();
            WaitFor([&] { return service.QueryState() == platform::kServiceStopped; }, std::chrono::seconds(30));
        }
        ManagerTest::TearDown();
        m_engine.reset();
    }
    int EngineState() { return platform::EngineService(Root()).QueryState(); }

private:
    std::unique_ptr<testsupport::ScopedEnv> m_engine;
};

TEST_F(ServiceTest, YesOpensTheServiceDialogThatStartsTheEngine) {
    ASSERT_NE(Start(), nullptr);
    Ui().PushAnswer(CUiSeam::kYes);
    int state = -1;
    bool startWhenOpened = false;
    Ui().PushDialog([&](QDialog& base) {
        auto& dialog = dynamic_cast<CDialogService&>(base);
        startWhenOpened = dialog.StartWhenOpened();
        // The opening's texts, before the queued Start runs.
        EXPECT_EQ(dialog.StateText(), "...");
        EXPECT_EQ(dialog.ServiceText(), CSnEngineServiceState::kServiceDisplayName);
        EXPECT_FALSE(dialog.StartButton().isEnabled());
        EXPECT_TRUE(dialog.Timer().isActive());
        QCoreApplication::processEvents(); // the queued Start
        state = EngineState();
        dialog.OnTimerTick();
        EXPECT_EQ(dialog.StateText().toStdString(), std::string(MessageText(51583)));
        return static_cast<int>(QDialog::Rejected);
    });
    // When to ask is the service state's rule; here the question is a Yes/No box.
    App()->OnCommand(cmd::kServiceStopped);
    EXPECT_TRUE(App()->ServiceStopped());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Filled(51742));
    EXPECT_EQ(Ui().History()[0].icon, CUiSeam::Icon::Question);
    EXPECT_EQ(Ui().History()[0].buttons, CUiSeam::Buttons::YesNo);
    EXPECT_TRUE(startWhenOpened);
    EXPECT_EQ(state, platform::kServiceRunning);
    EXPECT_EQ(Ui().History().back().kind, CUiSeam::Shown::Kind::Dialog);
    EXPECT_EQ(Ui().Unscripted(), 0);
}

TEST_F(ServiceTest, ReadOnlyConfigurationOnlyNotifies) {
    prefs::WriteLong("WritePermission", "WritePermission", 0);
    ASSERT_NE(Start(), nullptr);
    ASSERT_FALSE(App()->Writable());
    App()->OnCommand(cmd::kServiceStopped);
    App()->OnCommand(cmd::kServiceStopped);
    ASSERT_EQ(Ui().History().size(), 1u);
    EXPECT_EQ(Messages()[0], Filled(51743));
    EXPECT_EQ(Ui().History()[0].icon, CUiSeam::Icon::Information);
    EXPECT_EQ(Ui().History()[0].buttons, CUiSeam::Buttons::Ok);
}

TEST_F(ServiceTest, WatcherReportsThroughTheSinkAndClosingStopsIt) {
    options.watchService = true;
    options.watchStartDelay = std::chrono::milliseconds(0);
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(Frame().ServiceWatcher(), nullptr);
    Tick();
    ASSERT_NE(Frame().ServiceWatcher(), nullptr);
    // The engine is not running: the watcher's first report asks the question (answered
    // No by default) on the GUI thread.
    ASSERT_TRUE(WaitFor([&] { return App()->ServiceState().HasReported(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(App()->ServiceStopped());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Filled(51742));

    const auto before = std::chrono::steady_clock::now();
    Frame().close();
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(Frame().ServiceWatcher()->State(), kThreadStopped);
    EXPECT_LT(took, std::chrono::seconds(3));
}

TEST_F(ServiceTest, SinkDeliversOnTheGuiThreadUntilClosed) {
    std::vector<QvcMessage> got;
    std::thread::id where;
    CGuiPostSink sink([&](const QvcMessage& message) {
        got.push_back(message);
        where = std::this_thread::get_id();
    });
    std::thread worker([&] {
        EXPECT_TRUE(sink.Post(kQvcCommandMessage, 197, 0));
        EXPECT_TRUE(sink.Post(kQvcCommandMessage, 196, 5));
    });
    worker.join();
    EXPECT_TRUE(got.empty()); // nothing runs on the worker
    QCoreApplication::processEvents();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].wparam, 197u);
    EXPECT_EQ(got[1].lparam, 5);
    EXPECT_EQ(where, std::this_thread::get_id());
    // Closed: queued messages are dropped and new posts refused.
    EXPECT_TRUE(sink.Post(kQvcCommandMessage, 196, 0));
    sink.Close();
    EXPECT_FALSE(sink.Post(kQvcCommandMessage, 196, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(got.size(), 2u);
}

TEST_F(ServiceTest, DialogShowsStatesAndStartsAndStopsTheRealEngine) {
    ASSERT_NE(Start(), nullptr);
    CDialogService dialog(Ui(), "", &Frame());
    dialog.Open();
    EXPECT_EQ(dialog.StateText(), "...");
    EXPECT_FALSE(dialog.StartButton().isEnabled());
    EXPECT_FALSE(dialog.StopButton().isEnabled());

    dialog.OnTimerTick();
    EXPECT_EQ(dialog.StateText().toStdString(), std::string(MessageText(51580)));
    EXPECT_TRUE(dialog.StartButton().isEnabled());
    EXPECT_FALSE(dialog.StopButton().isEnabled());
    EXPECT_FALSE(dialog.RestartButton().isEnabled());
    // The account the daemon would run as: this process's user.
    const CQvcString account(platform::EngineService(Root()).LogonAccount());
    ASSERT_FALSE(account.IsEmpty());
    const ServiceLogonView logon = ServiceLogonViewFor(account);
    EXPECT_EQ(dialog.AccountText().toStdString(), logon.account.Str());
    EXPECT_EQ(dialog.PasswordText().toStdString(), logon.password.Str());

    EXPECT_EQ(dialog.OnStart(), 0);
    EXPECT_EQ(EngineState(), platform::kServiceRunning);
    dialog.OnTimerTick();
    EXPECT_EQ(dialog.StateText().toStdString(), std::string(MessageText(51583)));
    EXPECT_FALSE(dialog.StartButton().isEnabled());
    EXPECT_TRUE(dialog.StopButton().isEnabled());
    EXPECT_TRUE(dialog.RestartButton().isEnabled());
    // Starting what runs already succeeds at once, without a message.
    EXPECT_EQ(dialog.OnStart(), 0);

    EXPECT_EQ(dialog.OnRestart(), 0);
    EXPECT_EQ(EngineState(), platform::kServiceRunning);
    EXPECT_EQ(dialog.OnStop(), 0);
    EXPECT_EQ(EngineState(), platform::kServiceStopped);
    dialog.OnTimerTick();
    EXPECT_EQ(dialog.StateText().toStdString(), std::string(MessageText(51580)));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ServiceTest, DialogReportsAFailedStart) {
    testsupport::ScopedEnv missing(platform::EngineService::kBinaryVariable, "/nonexistent/sentrelle-engine");
    ASSERT_NE(Start(), nullptr);
    CDialogService dialog(Ui(), "", &Frame());
    dialog.Open();
    const long code = dialog.OnStart();
    EXPECT_NE(code, 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], std::string(MessageText(ServiceControlMessageId(code))));
    EXPECT_EQ(Ui().History()[0].icon, CUiSeam::Icon::Error);
    // Another computer has no service control to reach.
    CDialogService remote(Ui(), "far-away-host", &Frame());
    remote.Open();
    remote.OnTimerTick();
    EXPECT_EQ(remote.StateText().toStdString(), std::string(MessageText(51578)));
    EXPECT_FALSE(remote.StartButton().isEnabled());
    EXPECT_EQ(remote.OnStop(), CQvcService::kErrorManager);
    EXPECT_EQ(Messages().back(), std::string(MessageText(3000)));
}

TEST_F(ServiceTest, ChecksFollowTheEngineFromAnotherStoreToTheListAndBack) {
    const long folder = AddFolder(1, "Local");
    AddCheck(folder, "Loopback");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    Tick();
    Tree().SelectFolder(folder);
    Tick();
    ASSERT_GE(RowOf("Loopback"), 0);
    EXPECT_EQ(Cell("Loopback", 9), kEngineNotRunning);

    CDialogService dialog(Ui(), "", &Frame());
    dialog.Open();
    ASSERT_EQ(dialog.OnStart(), 0);

    // A check written by another program appears after the next cycle and gets a result.
    AddCheck(folder, "Second");
    SaveTree();
    Tick();
    ASSERT_GE(RowOf("Second"), 0);
    const auto hasResult = [&](const char* name) {
        const std::string response = Cell(name, 9);
        return response != kNotMonitored && response != kEngineNotRunning;
    };
    EXPECT_TRUE(WaitFor([&] { return hasResult("Second") && hasResult("Loopback"); }, std::chrono::seconds(40),
                        [&] { Tick(); }))
        << Cell("Second", 9);

    // The activity view shows the engine's start.
    const auto activityHas = [&](const char* text) {
        for (const QString& row : Frame().Log()->RowTexts())
            if (row.contains(text))
                return true;
        return false;
    };
    EXPECT_TRUE(activityHas("Sentrelle Engine started"));

    // Stopped: every check reads "not running" on the next cycles; started again, the
    // results come back.
    ASSERT_EQ(dialog.OnStop(), 0);
    EXPECT_TRUE(WaitFor([&] { return Cell("Second", 9) == kEngineNotRunning && Cell("Loopback", 9) == kEngineNotRunning; },
                        std::chrono::seconds(10), [&] { Tick(); }));
    EXPECT_TRUE(activityHas("Sentrelle Engine stopped"));
    ASSERT_EQ(dialog.OnStart(), 0);
    EXPECT_TRUE(WaitFor([&] { return hasResult("Second") && hasResult("Loopback"); }, std::chrono::seconds(40),
                        [&] { Tick(); }));
    EXPECT_TRUE(Messages().empty());
}
