// Commands by number: the main menu's rules, the looks, Refresh, and the timer picking up
// changes that another program makes.
#include "ManagerFixture.h"

#include "manager/mainframe/CheckClipboard.h"
#include "model/CommandIds.h"
#include "manager/app/VisualStyles.h"
#include "model/ManagerPreferences.h"
#include "model/SnNode.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>

TEST_F(ManagerTest, MainMenuFollowsLoadedWritableAndSelection) {
    const long folder = AddFolder(1, "Folder");
    const long a = AddCheck(folder, "A");
    AddCheck(folder, "B");
    WriteResult(a, 2, 100, "error");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    Tick();
    auto state = [this](int id) { return App()->QueryCommand(id); };

    for (const int id : {20, 21, 22, 23, 56, 57, 58, 59, 61, 67, 69, 70, 71, 72, 73, 74, 75, 76, 86})
        EXPECT_TRUE(state(id).enabled) << id;
    for (const int id : {60, 79, 43, 42, 57664})
        EXPECT_TRUE(state(id).enabled) << id;
    // No Server value: no remote installation; Cut and Customize have no handler.
    for (const int id : {62, cmd::kCut, cmd::kCustomizeToolbar})
        EXPECT_FALSE(state(id).enabled) << id;
    // Nothing selected: the check commands wait for a selection.
    for (const int id : {78, 81, 82, 57634, 83, 84, 85, 77, 80})
        EXPECT_FALSE(state(id).enabled) << id;
    EXPECT_FALSE(state(cmd::kReadOnly).checked);

    List().selectionModel()->select(List().Model().index(RowOf("A"), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    for (const int id : {78, 81, 82, 57634, 83, 84, 85, 77, 80})
        EXPECT_TRUE(state(id).enabled) << id;
    EXPECT_FALSE(state(cmd::kHold).checked);

    // Not loaded: a failed load leaves a root that is not 1, and changes are greyed.
    CSnNode* root = App()->Root();
    root->Cfg.ID = 0;
    for (const int id : {20, 72, 60, 79, 78})
        EXPECT_FALSE(state(id).enabled) << id;
    root->Cfg.ID = 1;
}

TEST_F(ManagerTest, LooksSwitchPaletteRadioMarkAndPreference) {
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(Frame().Look(), 2);
    App()->OnCommand(35); // the dark look
    EXPECT_EQ(Frame().Look(), 7);
    EXPECT_EQ(prefs::AppLook(), 7);
    EXPECT_TRUE(Frame().Action(35)->isChecked());
    EXPECT_FALSE(Frame().Action(31)->isChecked());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), LookPalette(7).color(QPalette::Window));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100);
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");

    App()->OnCommand(30);
    EXPECT_EQ(Frame().Look(), 1);
    EXPECT_EQ(prefs::AppLook(), 1);
    // Every look command maps to a distinct look and back.
    for (int id = cmd::kLookFirst; id <= cmd::kLookLast; ++id)
        EXPECT_EQ(CommandForLook(LookForCommand(id)), id);
    EXPECT_EQ(CommandForLook(5), 0);
    EXPECT_EQ(NormaliseLook(0), 2);
    EXPECT_EQ(NormaliseLook(10), 2);
    App()->OnCommand(31);
}

TEST_F(ManagerTest, TimerPicksUpChangesAndResultsFromOtherPrograms) {
    const long folder = AddFolder(1, "Folder");
    const long a = AddCheck(folder, "A");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    Tick();
    EXPECT_EQ(List().RowCount(), 1);
    EXPECT_EQ(Cell("A", 9), "Service 'Quorvane Sentrelle' is not running");

    // Another program adds a check: the next tick reloads and lists it.
    AddCheck(folder, "B");
    SaveTree();
    Tick();
    EXPECT_EQ(List().RowCount(), 2);

    // New results: the next tick shows them without rebuilding the rows.
    const CSnNode* shownA = List().Model().Node(RowOf("A"));
    WriteResult(a, 1, 1700000000, "all good");
    Tick();
    EXPECT_EQ(Cell("A", 9), "all good");
    EXPECT_EQ(List().Model().Node(RowOf("A")), shownA);

    // A tick with no change touches nothing.
    const std::uint64_t writes = List().Model().CellWrites();
    Tick();
    EXPECT_EQ(List().Model().CellWrites(), writes);

    // A suspended cycle does nothing.
    Frame().SuspendCycle();
    AddCheck(folder, "C");
    SaveTree();
    Tick();
    EXPECT_EQ(List().RowCount(), 2);
    Frame().ResumeCycle();
    Tick();
    EXPECT_EQ(List().RowCount(), 3);
}

TEST_F(ManagerTest, RefreshReloadsEverythingEvenWithoutAnnouncedChange) {
    const long a = AddCheck(1, "Before");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    Tick();
    // A rename written without announcing it: the timer alone does not see it.
    SeedNode(a)->Cfg.Name = "After";
    ASSERT_EQ(Seeder().WriteNode(SeedNode(a), false, false), 0);
    Tick();
    EXPECT_GE(RowOf("Before"), 0);

    // F5 announces a change; the tick it posts comes too soon after the last one and is
    // skipped, so the next timer tick reloads.
    App()->OnCommand(cmd::kRefresh);
    QCoreApplication::processEvents();
    EXPECT_GE(RowOf("Before"), 0);
    Tick();
    EXPECT_EQ(RowOf("Before"), -1);
    EXPECT_GE(RowOf("After"), 0);
}

TEST_F(ManagerTest, CommandsWithoutHandlerAreRecordedAndReported) {
    ASSERT_NE(Start(), nullptr);
    for (const int id : {cmd::kNewCheck, cmd::kOptions, cmd::kPasteChecks})
        App()->OnCommand(id);
    EXPECT_EQ(App()->UnhandledCommands(), (std::vector<int>{72, 70, 57637}));
    EXPECT_TRUE(Ui().History().empty());
    // A command the catalogue knows works from its menu action too.
    Frame().Action(cmd::kNewFolder)->trigger();
    EXPECT_EQ(App()->UnhandledCommands().back(), cmd::kNewFolder);
    // Commands with handlers of their own are not recorded.
    App()->OnCommand(cmd::kCaptureActivity);
    EXPECT_FALSE(App()->ActivityCapture());
    App()->OnCommand(cmd::kServiceRunning);
    EXPECT_FALSE(App()->ServiceStopped());
    App()->OnCommand(cmd::kAbout);
    ASSERT_EQ(Ui().History().size(), 1u);
    EXPECT_EQ(Ui().History()[0].text.rfind("Quorvane Sentrelle Manager\nVersion ", 0), 0u);
    EXPECT_EQ(App()->UnhandledCommands().size(), 4u);
}

TEST(CheckClipboard, BlockRoundTripAndTolerantReading) {
    const std::string block = MakeCheckClipboard({1005, 1002, 1010});
    EXPECT_EQ(block, std::string("\0" "1002,1005,1010" "\0", 16));
    EXPECT_EQ(ParseCheckClipboard(block), (std::vector<long>{1002, 1005, 1010}));
    EXPECT_EQ(ParseCheckClipboard(std::string("\0" "7;8,,9", 7)), (std::vector<long>{7, 8, 9}));
    EXPECT_EQ(ParseCheckClipboard(std::string("\0" "x,3", 4)), (std::vector<long>{0, 3}));
    EXPECT_TRUE(ParseCheckClipboard("").empty());
    EXPECT_TRUE(ParseCheckClipboard(std::string(1, '\0')).empty());
    EXPECT_EQ(MakeCheckClipboard({}), std::string(2, '\0'));
}
