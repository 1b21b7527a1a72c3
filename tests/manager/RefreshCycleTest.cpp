// The refresh cycle as the main window runs it: the timer, the access probe against the
// Engine's control file, reloads and their failure, the refresh settings with their
// dialog.  The timing rules themselves are tested without windows in tests/model; here
// the fixture's fake clock drives the frame's cycle.
#include "ManagerFixture.h"
#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "manager/service/DialogAutoRefresh.h"
#include "model/console/ManagerPreferences.h"
#include "model/console/SnAutoRefreshSettings.h"
#include "model/store/SnCfgSqlite.h"
#include "model/link/SnIPC.h"
#include "model/tree/SnNode.h"
#include "platform/Registry.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace {

const std::string kManagerKey = std::string(kProductKey) + "\\Manager";

// Plays a database whose tree cannot be read while `s_failLoads` is set.
class FailingLoadComponent : public CSnCfgSqlite {
public:
    explicit FailingLoadComponent(const CQvcString& connection) : CSnCfgSqlite(connection) {}
    void get_Tree(CQvcString& out) override {
        if (s_failLoads && Ready()) {
            SetError(kLoadError);
            return;
        }
        CSnCfgSqlite::get_Tree(out);
    }
    static constexpr long kLoadError = 25110;
    static inline bool s_failLoads = false;
};

} // namespace

class RefreshCycleTest : public ManagerTest {
protected:
    // Replaces the Engine's control file by a directory of that name, so that the access
    // probe can neither write nor read it; Restore puts a file back.
    void BreakControlFile() {
        const std::string file = Seeder().Link()->ControlFile().Str();
        std::filesystem::remove(file);
        std::filesystem::create_directory(file);
    }
    // How the Manager ended: what it showed (each with the error icon), its timer running,
    // its frame closed.
    using Ending = std::tuple<std::vector<std::string>, bool, bool, bool>;
    Ending Ended() {
        const auto& shown = Ui().History();
        const bool errors = std::all_of(shown.begin(), shown.end(), [](const auto& s) { return s.icon == CUiSeam::Icon::Error; });
        return {Messages(), errors, Frame().Timer().isActive(), Frame().Closed()};
    }
    static Ending ClosedAfter(std::vector<std::string> shown) { return {std::move(shown), true, false, true}; }
    void RestoreControlFile() {
        const std::string file = Seeder().Link()->ControlFile().Str();
        std::filesystem::remove(file);
        testsupport::WriteFile(file, "[Updates]\n");
    }
};

TEST_F(RefreshCycleTest, TimerRunsAtThePreferredPeriodAndTheFirstTickLoadsTheTree) {
    platform::RegEnsureKey(platform::Hive::LocalMachine, kManagerKey.c_str());
    // Stored negative: the window uses the normalised preference.
    platform::RegSetDword(platform::Hive::LocalMachine, kManagerKey.c_str(), "MfTimerMsecs", static_cast<uint32_t>(-900));
    AddCheck(1, "Alpha");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    EXPECT_TRUE(Frame().Timer().isActive());
    EXPECT_EQ(Frame().Timer().interval(), 900);
    EXPECT_EQ(RowOf("Alpha"), -1);
    Tick();
    EXPECT_TRUE(App()->Loaded());
    EXPECT_GE(RowOf("Alpha"), 0);
    EXPECT_EQ(Cell("Alpha", 9), kEngineNotRunning);
}

TEST_F(RefreshCycleTest, AccessLostThreeTimesInARowClosesTheManager) {
    // The counting itself is the cycle's rule; here the probe meets the real control file.
    ASSERT_TRUE(StartLoaded());
    BreakControlFile();
    Tick();
    Tick();
    EXPECT_EQ(Frame().Cycle().AccessFailures(), 2);
    EXPECT_FALSE(Frame().Closed());
    Tick();
    EXPECT_EQ(Ended(), ClosedAfter({MessageText(51558)}));
    RestoreControlFile();
}

TEST_F(RefreshCycleTest, AReloadThatFailsShowsItsErrorAndCloses) {
    FailingLoadComponent::s_failLoads = false;
    options.componentFactory = [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
        return std::make_unique<FailingLoadComponent>(connection);
    };
    AddCheck(1, "Alpha");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    ASSERT_GE(RowOf("Alpha"), 0);

    FailingLoadComponent::s_failLoads = true;
    AddCheck(1, "Beta");
    SaveTree(); // a new "NM": the next tick reloads
    Tick();
    FailingLoadComponent::s_failLoads = false;
    EXPECT_EQ(Ended(), ClosedAfter({ErrorBoxText(FailingLoadComponent::kLoadError).Str()}));
}

TEST_F(RefreshCycleTest, DynamicPeriodFollowsTheListedChecks) {
    prefs::WriteAutoRefresh(1, 1, 5);
    const long folder = AddFolder(1, "Many");
    for (int i = 0; i < 120; ++i)
        AddCheck(folder, ("Check " + std::to_string(i)).c_str());
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(folder);
    Tick();
    EXPECT_EQ(Frame().Cycle().RefreshPeriod(), 6); // how it follows the count is the cycle's rule
}

TEST_F(RefreshCycleTest, AutoRefreshDialogEnablesItsFieldsAndValidatesThePeriod) {
    prefs::WriteAutoRefresh(1, 1, 5);
    ASSERT_TRUE(StartLoaded());

    // Refused: enabled, custom and 0; the warning shows and the dialog stays open.  Then
    // 30 is taken.
    Ui().PushDialog([this](QDialog& base) {
        auto& dialog = dynamic_cast<CDialogAutoRefresh&>(base);
        EXPECT_TRUE(dialog.EnabledBox().isChecked());
        EXPECT_TRUE(dialog.DynamicButton().isChecked());
        EXPECT_FALSE(dialog.PeriodField().isEnabled());
        dialog.CustomButton().setChecked(true);
        EXPECT_TRUE(dialog.PeriodField().isEnabled());
        dialog.EnabledBox().setChecked(false);
        EXPECT_FALSE(dialog.CustomButton().isEnabled());
        EXPECT_FALSE(dialog.PeriodField().isEnabled());
        dialog.EnabledBox().setChecked(true);
        dialog.PeriodField().setText("0"); // which periods are refused is the settings' rule
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Messages().back(), "Invalid Frequency value. Enter a value between 1 and 99999.");
        EXPECT_EQ(Ui().History().back().icon, CUiSeam::Icon::Warning);
        dialog.PeriodField().setText("30");
        dialog.accept();
        return dialog.result();
    });
    App()->OnCommand(cmd::kAutoRefreshSettings);
    CSnAutoRefreshSettings stored;
    stored.Read();
    EXPECT_EQ(std::make_tuple(stored.Enabled, stored.Dynamic, stored.PeriodSecs, Frame().Cycle().RefreshPeriod(),
                              Frame().Cycle().AutoRefreshDynamic()),
              std::make_tuple(true, false, 30, 30, false));

    // Cancel writes nothing.
    Ui().PushDialog([](QDialog& base) {
        auto& dialog = dynamic_cast<CDialogAutoRefresh&>(base);
        dialog.EnabledBox().setChecked(false);
        return static_cast<int>(QDialog::Rejected);
    });
    App()->OnCommand(cmd::kAutoRefreshSettings);
    stored.Read();
    EXPECT_TRUE(stored.Enabled);
}
