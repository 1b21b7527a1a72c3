// Hold, Clear Failure and monitor now on the selected checks and folder, and the
// read-only switch, wired to the store, the engine requests and the window.
#include "LoopbackTcpPeer.h"
#include "ManagerFixture.h"

#include "library/Messages.h"
#include "manager/checks/DialogPaste.h"
#include "model/checks/CheckTypes.h"
#include "model/console/CommandIds.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfgSqlite.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"
#include "platform/Profile.h"

namespace {

using Keys = std::vector<std::string>;

// A configuration whose access probe cannot write while `s_refuse` is set.
struct ProbeRefusingComponent : CSnCfgSqlite {
    using CSnCfgSqlite::CSnCfgSqlite;
    void PutMetaSettings(const CQvcVariant& record) override {
        s_refuse ? SetError(25112) : CSnCfgSqlite::PutMetaSettings(record);
    }
    static inline bool s_refuse = true;
};

} // namespace

// Another connection holds the write lock: the command's write fails, its error text is
// shown and the window is rebuilt from the database (with a rename made before the lock).
TEST_F(ManagerTest, AWriteRefusedByALockedDatabaseShowsItsTextAndReloads) {
    const long a = AddCheck(1, "a");
    SaveTree();
    options.componentFactory = [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
        auto component = std::make_unique<CSnCfgSqlite>(connection);
        component->SetBusyTimeout(50);
        return component;
    };
    ASSERT_TRUE(StartLoaded());
    App()->OnCommand(cmd::kSelectAll);
    App()->OnCommand(cmd::kCopy);
    Ui().PushDialog([](QDialog& d) { // the paste dialog
        dynamic_cast<CDialogPasteServer&>(d).Unchanged().setChecked(true);
        return (d.accept(), d.result());
    });
    for (const int command : {cmd::kHold, cmd::kPasteChecks}) {
        const std::string renamed = std::string(1, 'a') += std::to_string(command);
        SeedNode(a)->Cfg.Name = renamed.c_str();
        SaveNode(a);
        CSnCfgSqlite lock(CSnCfgSqlite::ConnectionForFile(ConfigPath().c_str()));
        lock.Open();
        lock.BeginTransaction();
        Ui().Clear();
        App()->OnCommand(cmd::kSelectAll);
        App()->OnCommand(command);
        lock.RollbackTransaction();
        EXPECT_EQ(Messages(), Keys{ErrorShown(25007)}) << command;
        EXPECT_GE(RowOf(renamed.c_str()), 0) << command;
    }
}

TEST_F(ManagerTest, StateCommandsWriteHoldAndRequestRunsAndClearsForTheChosenChecks) {
    const long a = AddCheck(1, "A"), b = AddCheck(1, "B");
    SeedNode(b)->Cfg.ScanFrequency.Mode = 1; // scheduled
    SaveNode(b);
    SaveTree();
    WriteResult(a, 3, 100, "failed");
    ASSERT_TRUE(StartLoaded());
    App()->OnCommand(cmd::kSelectAll);
    const std::string file = App()->Store()->Link()->ControlFile().Str(), ka = std::to_string(a);
    auto requests = [&file](const char* section) { return platform::ProfileListKeys(file.c_str(), section); };

    // Scheduled checks too?  No for the selection, Yes for the folder; then clear the one failed check.
    for (const int answer : {CUiSeam::kNo, CUiSeam::kYes, CUiSeam::kYes})
        Ui().PushAnswer(answer);
    App()->OnCommand(cmd::kMonitorSelectedNow);
    EXPECT_EQ(requests("MonitorNow"), (Keys{ka, "0"}));
    App()->OnCommand(cmd::kMonitorFolderNow);
    EXPECT_EQ(requests("MonitorNow"), (Keys{ka, "0", std::to_string(b)}));
    App()->OnCommand(cmd::kClearFailure);
    EXPECT_EQ(requests("ClearFailureNow"), (Keys{ka, "0"}));
    EXPECT_EQ(Messages().back(), CQvcString().FormatGrow(MessageText(51748), 1, 2).Str());

    // Hold: a record deleted by another writer is reported and leaves the list; the other is held.
    ASSERT_EQ(Seeder().DeleteNodeRecord(b), 0);
    Ui().Clear();
    App()->OnCommand(cmd::kHold);
    EXPECT_EQ((Seeder().ReadNode(SeedNode(a)), SeedNode(a)->Cfg.OnHold), 1);
    EXPECT_EQ(RowOf("B"), -1);
    // With the service stopped nothing is requested.
    const Keys before = requests("MonitorNow");
    App()->OnCommand(cmd::kServiceStopped); // asks to start it: No
    App()->OnCommand(cmd::kSelectAll);
    App()->OnCommand(cmd::kMonitorSelectedNow);
    App()->OnCommand(cmd::kMonitorFolderNow);
    EXPECT_EQ(requests("MonitorNow"), before);
    auto named = [](unsigned id) { return CQvcString().FormatGrow(MessageText(id), CQMonApp::kProductName).Str(); };
    EXPECT_EQ(Messages(), (Keys{MessageText(51472), named(51742), named(51741), named(51741)}));
}

TEST_F(ManagerTest, ReadOnlyIsLeftOnlyWhenTheConfigurationCanBeWritten) {
    ProbeRefusingComponent::s_refuse = true;
    options.componentFactory = [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
        return std::make_unique<ProbeRefusingComponent>(connection);
    };
    ASSERT_NE(Start(), nullptr);
    App()->OnCommand(cmd::kReadOnly);
    EXPECT_EQ(Messages(), (Keys{MessageText(61531)}));
    ProbeRefusingComponent::s_refuse = false;
    for (const bool writable : {false, true, false}) { // read-only at start, left, then back
        Tick(); // the switch's Refresh runs, and the tick after it reloads
        Tick();
        EXPECT_EQ(App()->Writable(), writable);
        EXPECT_EQ(Tree().topLevelItem(0)->text(0).contains("Read-Only"), !writable);
        App()->OnCommand(cmd::kReadOnly);
        EXPECT_EQ(prefs::ReadLong("WritePermission", "WritePermission", -1), writable ? 0 : 1);
    }
}

// With the real engine: a failing check is cleared and fails again at its next run, is
// held and shows "On Hold", and runs again when released.
TEST_F(ManagerTest, HoldAndClearFailureReachTheEngine) {
    int closedPort = 0;
    {
        testsupport::LoopbackTcpPeer peer(testsupport::LoopbackTcpPeer::Greeting(""));
        closedPort = peer.Port();
    }
    const long id = AddCheck(1, "Closed port", kTypeTcpIp, "127.0.0.1", 3600);
    CSnNodeCfgFunction& f = SeedNode(id)->Cfg.Function;
    f.ParamByteCodes = "00";
    f.Param1 = std::to_string(closedPort);
    f.Param4 = "2000";
    SeedNode(id)->Cfg.ScanFrequency.ErrorThreshold = 1;
    SaveNode(id);
    SaveTree();
    ASSERT_TRUE(StartEngine());
    ASSERT_NE(Start(), nullptr);
    auto status = [this] {
        const int row = RowOf("Closed port");
        return row >= 0 ? List().Model().Node(row)->Result.Status : -1;
    };
    ASSERT_TRUE(TickUntil([&] { return status() == kStatusFailure; }));
    App()->OnCommand(cmd::kSelectAll);

    Ui().PushAnswer(CUiSeam::kYes);
    App()->OnCommand(cmd::kClearFailure);
    EXPECT_TRUE(TickUntil([&] { return status() == kStatusNone; }));
    App()->OnCommand(cmd::kMonitorSelectedNow);
    EXPECT_TRUE(TickUntil([&] { return status() == kStatusFailure; }));

    App()->OnCommand(cmd::kHold);
    EXPECT_TRUE(TickUntil([&] { return status() == kStatusOnHold; }));
    EXPECT_EQ(Cell("Closed port", 6), "On Hold");
    App()->OnCommand(cmd::kSelectAll); // the reload after the change rebuilt the rows
    App()->OnCommand(cmd::kHold);      // released: run at once
    EXPECT_TRUE(TickUntil([&] { return status() == kStatusFailure; }));
}
