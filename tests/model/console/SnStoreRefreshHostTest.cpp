// The refresh cycle over a real installation: two Managers share one configuration; what
// one stores appears in the other's tree after its next cycle, results published in the
// result file reach the nodes.
// (The access probe is the engine link's rule, the three strikes the cycle's.)
#include "CfgTestRoot.h"
#include "model/console/SnRefreshCycle.h"
#include "model/console/SnStoreRefreshHost.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A Manager window without windows: the store half is the real one, the views count.
class RecordingFrame final : public CSnStoreRefreshHost {
public:
    using CSnStoreRefreshHost::CSnStoreRefreshHost;

    int rebuilds = 0;
    int listRefreshes = 0;
    bool timerStopped = false;
    std::vector<CQvcString> errors;

    void RebuildTree() override { ++rebuilds; }
    void RefreshList() override { ++listRefreshes; }
    int ListRowCount() override { return static_cast<int>(CSnCfg::CountChecks(Root())); }
    bool ActivityCaptureOn() override { return false; }
    void RefreshActivity() override {}
    void StartServiceWatch() override {}
    void SetWaitCursor(bool) override {}
    void StopTimer() override { timerStopped = true; }
    void PostImmediateTick() override {}
    void ShowErrorAndClose(const CQvcString& text) override { errors.push_back(text); }
};

struct Clock {
    std::uint32_t ms = 1000;
    std::int64_t Seconds() const { return 1'700'000'000 + ms / 1000; }
};

// One Manager: its own store, root and cycle on the shared installation.
class Manager {
public:
    explicit Manager(Clock& clock)
        : frame(store, root), cycle(frame, [&clock] { return clock.ms; }, [&clock] { return clock.Seconds(); }) {
        EXPECT_EQ(store.Open(), 0);
        EXPECT_EQ(store.CreatePlaceholderRoot(root), 0);
        cycle.SetAccess(true, "station-a");
        CSnAutoRefreshSettings settings;
        settings.Dynamic = false;
        settings.PeriodSecs = 2;
        cycle.ApplyRefreshSettings(settings);
    }

    CSnCfg store{"GUI"};
    CSnNode* root = nullptr;
    RecordingFrame frame;
    CSnRefreshCycle cycle;
};

class SnStoreRefreshHostTest : public ::testing::Test {
protected:
    void TickAfter(Manager& manager, std::uint32_t ms) {
        clock.ms += ms;
        manager.cycle.Tick();
    }

    // A new check stored by `writer` at the end of its root folder; returns its ID.
    long AddCheck(Manager& writer, const char* name) {
        EXPECT_EQ(writer.store.LoadAllNodes(writer.root), 0);
        CSnNode* check = writer.store.NewNodeObject();
        EXPECT_EQ(writer.store.InsertNode(check, nullptr, 0), 0);
        check->Cfg.Name = name;
        check->Cfg.Function.Type = 2;
        EXPECT_EQ(writer.store.WriteNode(check, true, true), 0);
        CSnCfg::AppendChild(writer.root, check);
        EXPECT_EQ(writer.store.WriteTree(writer.root), 0);
        return check->Id();
    }

    CfgTestRoot installation;
    Clock clock;
};

TEST_F(SnStoreRefreshHostTest, CheckStoredByAnotherManagerAppearsAndGetsItsResult) {
    Manager viewer(clock);
    viewer.cycle.Tick();
    EXPECT_EQ(viewer.frame.rebuilds, 1);
    const long checksBefore = CSnCfg::CountChecks(viewer.root);

    Manager editor(clock);
    const long id = AddCheck(editor, "web front");

    // When the viewer looks again is the cycle's rule.
    TickAfter(viewer, 2400);
    ASSERT_EQ(viewer.frame.rebuilds, 2);
    CSnNode* seen = CSnCfg::FindNode(viewer.root, id);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->Cfg.Name, "web front");
    EXPECT_EQ(CSnCfg::CountChecks(viewer.root), checksBefore + 1);

    // The engine runs it: a result line, then a new "Results".
    const std::string key = std::to_string(id);
    ASSERT_TRUE(platform::ProfileWriteText(installation.ResultFile().c_str(), "Results", key.c_str(),
                                           "1||1700000100||0||note||3||12 ms||Reply from 127.0.0.1"));
    editor.store.Link()->SignalResultsChanged();
    const int refreshes = viewer.frame.listRefreshes;
    for (int i = 0; i < 5 && viewer.frame.listRefreshes == refreshes; ++i)
        TickAfter(viewer, 1200);
    ASSERT_GT(viewer.frame.listRefreshes, refreshes);
    seen = CSnCfg::FindNode(viewer.root, id);
    ASSERT_NE(seen, nullptr);
    // The line's fields, and a check without a line reading "not running", are the link's rules.
    EXPECT_EQ(seen->Result.Response, "Reply from 127.0.0.1");
    EXPECT_TRUE(viewer.frame.errors.empty());
}

TEST_F(SnStoreRefreshHostTest, RefreshSignalsEveryManager) {
    Manager manager(clock);
    const long before = manager.frame.ReadConfigCounter();
    manager.frame.SignalManagersChanged();
    EXPECT_NE(manager.frame.ReadConfigCounter(), before);
}

TEST_F(SnStoreRefreshHostTest, StoreWithoutAnInstallationGivesNoAccessAndZeroCounters) {
    CSnCfg closed("GUI");
    CSnNode* root = nullptr;
    RecordingFrame frame(closed, root);
    EXPECT_FALSE(frame.ProbeAccess(true, "station-a"));
    EXPECT_EQ(frame.ReadConfigCounter(), 0);
    EXPECT_EQ(frame.ReadResultsCounter(), 0);
    frame.LoadResults(); // nothing to do, nothing to crash
    frame.SignalManagersChanged();
}

} // namespace
