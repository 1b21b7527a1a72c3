// The engine service as the Manager sees it, through a scripted service control: the
// watcher's reports through the GUI-thread sink, the one question when the first report
// finds the service stopped, and the Service dialog's buttons and texts.  The last test
// runs the whole loop with the real engine daemon: a check written by another program,
// run by the engine and shown by the Manager.
#include "ManagerFixture.h"
#include "ScriptedService.h"
#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "manager/service/DialogService.h"
#include "manager/app/GuiPostSink.h"
#include "manager/mainframe/ViewLog.h"
#include "model/console/ManagerPreferences.h"
#include "model/service/ServiceDialogRules.h"
#include "model/service/SnEngineServiceState.h"
#include "model/tree/SnNodeResult.h"
#include "model/service/QvcService.h"
#include "model/service/ThreadCheckService.h"
#include "platform/EngineService.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using C = ISnServiceControl;

std::string Filled(unsigned id) {
    CQvcString text;
    text.Format(MessageText(id), CSnEngineServiceState::kServiceDisplayName);
    return text.Str();
}

std::string Msg(unsigned id) { return MessageText(id); }

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

// What a dialog shows: the state text and the Start, Stop and Restart buttons.
std::tuple<std::string, bool, bool, bool> Shown(CDialogService& dialog) {
    return {dialog.StateText().toStdString(), dialog.StartButton().isEnabled(), dialog.StopButton().isEnabled(),
            dialog.RestartButton().isEnabled()};
}

} // namespace

class ServiceTest : public ManagerTest {
protected:
    void SetUp() override {
        options.serviceControl = service.Factory();
        ManagerTest::SetUp();
    }
    testsupport::ScriptedService service;
};

TEST_F(ServiceTest, YesOpensTheServiceDialogThatStartsTheEngine) {
    ASSERT_NE(Start(), nullptr);
    Ui().PushAnswer(CUiSeam::kYes);
    bool startWhenOpened = false;
    Ui().PushDialog([&](QDialog& base) {
        auto& dialog = dynamic_cast<CDialogService&>(base);
        startWhenOpened = dialog.StartWhenOpened();
        // The opening's texts, before the queued Start runs.
        EXPECT_EQ(Shown(dialog), std::make_tuple(std::string("..."), false, false, false));
        EXPECT_EQ(dialog.ServiceText(), CSnEngineServiceState::kServiceDisplayName);
        EXPECT_TRUE(dialog.Timer().isActive());
        QCoreApplication::processEvents(); // the queued Start
        dialog.OnTimerTick();
        EXPECT_EQ(Shown(dialog), std::make_tuple(Msg(51583), false, true, true));
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
    EXPECT_EQ(service.Calls(), (std::vector<std::string>{"start ", "query "}));
    EXPECT_EQ(Ui().History().back().kind, CUiSeam::Shown::Kind::Dialog);
    EXPECT_EQ(Ui().Unscripted(), 0);
}

TEST_F(ServiceTest, ReadOnlyConfigurationOnlyNotifies) {
    prefs::WriteLong("WritePermission", "WritePermission", 0);
    ASSERT_NE(Start(), nullptr);
    ASSERT_FALSE(App()->Writable());
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
    // The service is stopped: the watcher's first report asks the question (answered No
    // by default) on the GUI thread.
    ASSERT_TRUE(WaitFor([&] { return App()->ServiceState().HasReported(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(App()->ServiceStopped());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Filled(51742));
    EXPECT_EQ(service.Calls().at(0), "poll " + App()->Store()->EngineName().Str());

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

TEST_F(ServiceTest, DialogShowsTheStateAndRunsItsButtons) {
    ASSERT_NE(Start(), nullptr);
    CDialogService dialog(Ui(), "engine-box", &Frame(), service.Factory()());
    dialog.Open();
    dialog.OnTimerTick();
    EXPECT_EQ(Shown(dialog), std::make_tuple(Msg(51580), true, false, false));
    EXPECT_EQ(dialog.AccountText(), "sentrelle");
    EXPECT_EQ(dialog.PasswordText(), "**************");

    EXPECT_EQ(dialog.OnStart(), 0);
    EXPECT_EQ(dialog.OnRestart(), 0);
    dialog.OnTimerTick();
    EXPECT_EQ(Shown(dialog), std::make_tuple(Msg(51583), false, true, true));
    EXPECT_EQ(service.Calls(), (std::vector<std::string>{"query engine-box", "start engine-box", "stop engine-box",
                                                         "start engine-box", "query engine-box"}));
    EXPECT_TRUE(Messages().empty());

    // A failed operation shows its message; a failed query turns every button off.
    service.FailWith(C::kErrorOperation);
    EXPECT_EQ(dialog.OnStop(), C::kErrorOperation);
    EXPECT_EQ(std::make_pair(Messages(), Ui().History()[0].icon),
              std::make_pair(std::vector<std::string>{Msg(3005)}, CUiSeam::Icon::Error));
    EXPECT_EQ(dialog.OnRestart(), C::kErrorOperation);
    EXPECT_EQ(service.Calls().back(), "stop engine-box") << "no start after a failed stop";
    dialog.OnTimerTick();
    EXPECT_EQ(Shown(dialog), std::make_tuple(Msg(51578), false, false, false));
}

TEST_F(ServiceTest, ChecksFollowTheEngineFromAnotherStoreToTheListAndBack) {
    const long folder = AddFolder(1, "Local");
    AddCheck(folder, "Loopback");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(folder);
    Tick();
    ASSERT_GE(RowOf("Loopback"), 0);
    EXPECT_EQ(Cell("Loopback", 9), kEngineNotRunning);

    // The product's service control, with the real engine in the place it looks first;
    // whatever the test leaves running stops before the installation goes.
    testsupport::ScopedEnv engine(platform::EngineService::kBinaryVariable, SENTRELLE_ENGINE_PROGRAM);
    struct StopAtEnd {
        platform::EngineService daemon;
        ~StopAtEnd() {
            if (daemon.QueryState() != platform::kServiceStopped && daemon.Stop() == 0)
                WaitFor([&] { return daemon.QueryState() == platform::kServiceStopped; }, std::chrono::seconds(30));
        }
    } stopAtEnd{platform::EngineService(Root())};
    CDialogService dialog(Ui(), "", &Frame(), std::make_unique<CQvcService>());
    dialog.Open();
    ASSERT_EQ(dialog.OnStart(), 0);

    const auto hasResult = [&] {
        const std::string response = Cell("Loopback", 9);
        return response != kNotMonitored && response != kEngineNotRunning;
    };
    EXPECT_TRUE(TickUntil(hasResult)) << Cell("Loopback", 9);

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
    EXPECT_TRUE(TickUntil([&] { return Cell("Loopback", 9) == kEngineNotRunning; }));
    EXPECT_TRUE(activityHas("Sentrelle Engine stopped"));
    ASSERT_EQ(dialog.OnStart(), 0);
    EXPECT_TRUE(TickUntil(hasResult));
    EXPECT_TRUE(Messages().empty());
}
