// Commands by number: offered by their rule and handler everywhere, the looks, Refresh,
// and the timer picking up changes that another program makes.
#include "ManagerFixture.h"

#include "manager/app/CommandCatalog.h"
#include "manager/app/CommandRegistry.h"
#include "manager/mainframe/CheckClipboard.h"
#include "manager/app/VisualStyles.h"
#include "model/console/CommandIds.h"
#include "model/console/CommandRules.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QToolBar>

namespace {

void PutOnClipboard(const std::string& ids) {
    auto mime = std::make_unique<QMimeData>();
    const std::string block = std::string("\0", 1) + ids + std::string("\0", 1);
    mime->setData("text/plain", QByteArray(block.data(), static_cast<qsizetype>(block.size())));
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

} // namespace

TEST_F(ManagerTest, CommandsAreOfferedByTheirRuleOnlyWhenAHandlerIsRegistered) {
    const long folder = AddFolder(1, "Folder");
    const long a = AddCheck(folder, "A");
    const long b = AddCheck(folder, "B");
    WriteResult(a, 2, 100, "error");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    std::vector<int> ran;
    for (const int id : {cmd::kDelete, cmd::kMonitorSelectedNow})
        App()->Commands().Add(id, [&ran](int chosen) { ran.push_back(chosen); });

    // The snapshot reads the selection, the hold flags, the status and the clipboard.
    SelectRow("A");
    CSnCfg::FindNode(App()->Root(), a)->Cfg.OnHold = 1;
    PutOnClipboard(std::to_string(a) + "," + std::to_string(b));
    CCommandSnapshot s = App()->CommandSnapshot();
    EXPECT_EQ(s.selected, 1);
    EXPECT_TRUE(s.allSelectedOnHold);
    EXPECT_TRUE(s.singleSelectedClearable);
    EXPECT_EQ(s.copied, 2);
    PutOnClipboard(std::to_string(a) + ",99999"); // an identifier the tree lacks empties it
    EXPECT_EQ(App()->CommandSnapshot().copied, 0);

    // Main menu and toolbar: every command follows its rule when handled, else is greyed.
    Frame().UpdateCommandStates();
    s = App()->CommandSnapshot();
    for (const CCommandInfo& info : AllCommands()) {
        EXPECT_TRUE(HasCommandRule(info.id)) << info.id;
        EXPECT_EQ(Frame().Action(info.id)->isEnabled(),
                  CommandRule(info.id, s).enabled && App()->Commands().Has(info.id))
            << info.id;
    }
    EXPECT_TRUE(Frame().Action(cmd::kDelete)->isEnabled());
    EXPECT_TRUE(Frame().ToolBar()->actions().contains(Frame().Action(cmd::kCopy)));
    EXPECT_TRUE(Frame().Action(cmd::kMonitorSelectedNow)->isEnabled());
    Frame().Action(cmd::kDelete)->trigger();
    EXPECT_EQ(ran, (std::vector<int>{cmd::kDelete}));

    // The check list's menu: the same, and the chosen command reaches the handler.
    Ui().PushMenuChoice(cmd::kDelete);
    List().ShowContextMenu(QPoint(0, 0));
    EXPECT_TRUE(Ui().LastMenuItem(cmd::kDelete)->enabled);
    EXPECT_TRUE(Ui().LastMenuItem(cmd::kCopy)->enabled);
    EXPECT_TRUE(Ui().LastMenuItem(cmd::kHold)->checked);
    EXPECT_EQ(ran.size(), 2u);

    // The folder menu acts on the folder: Delete stays, Monitor Selected goes, and its
    // Select All selects the list's rows.
    Ui().PushMenuChoice(cmd::kSelectAll);
    Tree().ShowContextMenu(QPoint(10, 10));
    EXPECT_TRUE(Ui().LastMenuItem(cmd::kDelete)->enabled);
    EXPECT_FALSE(Ui().LastMenuItem(cmd::kMonitorSelectedNow)->enabled);
    EXPECT_TRUE(Ui().LastMenuItem(cmd::kCreateGraph)->enabled);
    EXPECT_EQ(List().SelectedCount(), 2);

    App()->OnCommand(cmd::kAbout);
    EXPECT_EQ(Ui().History().back().text.rfind("Quorvane Sentrelle Manager\nVersion ", 0), 0u);
}

TEST_F(ManagerTest, LooksSwitchPaletteRadioMarkAndPreference) {
    prefs::WriteAppLook(12); // out of range: the window takes the default look
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(Frame().Look(), 2);
    EXPECT_TRUE(Frame().Action(31)->isChecked());
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
    ASSERT_TRUE(StartLoaded());
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
}

TEST_F(ManagerTest, RefreshReloadsEverythingEvenWithoutAnnouncedChange) {
    const long a = AddCheck(1, "Before");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
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

TEST(CommandRegistry, RangesAndUnknownIdentifiers) {
    CCommandRegistry registry;
    std::vector<int> ran;
    registry.AddRange(44, 46, [&ran](int id) { ran.push_back(id); });
    EXPECT_FALSE(registry.Has(43));
    EXPECT_FALSE(registry.Has(47));
    EXPECT_TRUE(registry.Run(44));
    EXPECT_TRUE(registry.Run(46));
    EXPECT_FALSE(registry.Run(47));
    EXPECT_EQ(ran, (std::vector<int>{44, 46}));
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
