// The check list: its texts and images, the sort on every column, the cell-update rule,
// the column menus and widths, and double-click.
#include "ManagerFixture.h"

#include "model/CommandIds.h"
#include "model/CheckTypes.h"
#include "model/DateTimeFormat.h"
#include "model/ManagerPreferences.h"
#include "model/SnDateTimeSettings.h"
#include "platform/Registry.h"

#include <QAction>
#include <QHeaderView>
#include <QTest>

#include <ctime>

namespace {

constexpr std::int64_t kNow = 1750000000; // the list's clock in these tests

long LocalTime(int hour, int minute) {
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 8;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return static_cast<long>(std::mktime(&tm));
}

std::vector<std::string> Names(CViewList& list) {
    std::vector<std::string> names;
    for (int row = 0; row < list.RowCount(); ++row)
        names.push_back(list.Model().Node(row)->Cfg.Name.Str());
    return names;
}

} // namespace

TEST_F(ManagerTest, ListShowsFrequencyDurationStatusAndImages) {
    struct Case {
        const char* name;
        int interval;
        int duration;
        const char* frequency;
        const char* durationText;
    };
    const Case cases[] = {
        {"i7200", 7200, 0, "Every 2 hours", "< 1 sec"},     {"i3600", 3600, 59, "Every 1 hour", "59 sec"},
        {"i90", 90, 60, "Every 90 seconds", "01m:00s"},      {"i86400", 86400, 3725, "Every 1 day", "62m:05s"},
        {"i1", 1, 0, "Every 1 second", "< 1 sec"},           {"i0", 0, 0, "", "< 1 sec"},
        {"i120", 120, 0, "Every 2 minutes", "< 1 sec"},
    };
    const long folder = AddFolder(1, "F");
    for (const Case& c : cases) {
        const long id = AddCheck(folder, c.name, kTypeIcmpPing, "gw", c.interval);
        WriteResult(id, 1, kNow - 100, "ok", c.duration);
    }
    const long eventDriven = AddCheck(folder, "Traps", kTypeSnmpTrapReceive);
    SeedNode(eventDriven)->Cfg.ScanFrequency.Mode = 2;
    SaveNode(eventDriven);
    const long scheduled = AddCheck(folder, "Nightly", kTypeHttp);
    SeedNode(scheduled)->Cfg.ScanFrequency.Mode = 1;
    SeedNode(scheduled)->Cfg.ScanFrequency.Schedule.SetText(
        CQvcString("e0101000;") + CQvcString(LocalTime(8, 30)) + ";0|e1000000;" + CQvcString(LocalTime(9, 0)) + ";0");
    SaveNode(scheduled);
    const long script = AddCheck(folder, "Script", kTypeVBScript);
    SeedNode(script)->Cfg.Function.Param2 = "CheckBackup";
    SaveNode(script);
    const long fresh = AddCheck(folder, "Fresh failure");
    WriteResult(fresh, 3, kNow, "timed out", 5, "", "", 0);
    const long held = AddCheck(folder, "Held");
    SeedNode(held)->Cfg.OnHold = 1;
    SaveNode(held);
    WriteResult(held, 3, kNow - 5, "down");
    const long untyped = AddCheck(folder, "Untyped", kTypeNone);
    SeedNode(untyped)->Cfg.OnHold = 1;
    SaveNode(untyped);
    const long busy = AddCheck(folder, "Busy");
    WriteResult(busy, 1, kNow - 50, "ok", 0, "", "", 1);
    SaveTree();

    ASSERT_NE(Start(), nullptr);
    List().SetClock([] { return kNow; });
    Tick();
    for (const Case& c : cases) {
        EXPECT_EQ(Cell(c.name, 4), c.frequency) << c.name;
        EXPECT_EQ(Cell(c.name, 10), c.durationText) << c.name;
        EXPECT_EQ(Cell(c.name, 6), "Success") << c.name;
        EXPECT_EQ(List().Model().Image(RowOf(c.name)), 7) << c.name;
    }
    EXPECT_EQ(Cell("Traps", 4), "Event-driven");
    EXPECT_EQ(Cell("Nightly", 4), "Scheduled (Every Mo,We at 08:30:00 AM, ...)");
    EXPECT_EQ(Cell("Script", 1), "VBScript - CheckBackup");
    EXPECT_EQ(Cell("i90", 1), "ICMP Ping");
    EXPECT_EQ(Cell("i90", 2), "gw");
    EXPECT_EQ(Cell("i90", 0), " i90");
    // A result of this very second: fresh image and "Processing".
    EXPECT_EQ(Cell("Fresh failure", 6), "Processing");
    EXPECT_EQ(List().Model().Image(RowOf("Fresh failure")), 12);
    EXPECT_EQ(Cell("Fresh failure", 10), "5 sec");
    // On hold wins over the status; a node without type wins over hold.
    EXPECT_EQ(List().Model().Image(RowOf("Held")), 16);
    EXPECT_EQ(Cell("Held", 6), "Failure");
    EXPECT_EQ(List().Model().Image(RowOf("Untyped")), 23);
    // The engine's processing flag: fresh image and status text.
    EXPECT_EQ(List().Model().Image(RowOf("Busy")), 8);
    EXPECT_EQ(Cell("Busy", 6), "Processing");
    // No result line: the response says why.
    EXPECT_EQ(Cell("Traps", 9), "Service 'Quorvane Sentrelle' is not running");
    EXPECT_EQ(Cell("Traps", 6), "n/a");
    EXPECT_EQ(List().Model().Image(RowOf("Traps")), 19);
    EXPECT_EQ(Cell("Traps", 7), "");
    EXPECT_EQ(Cell("Busy", 3), std::to_string(busy));

    // The last update is written with the configuration's date and time settings, and a
    // change of those settings shows on the next refresh.
    const std::time_t shown = static_cast<std::time_t>(kNow - 100);
    EXPECT_EQ(Cell("i90", 7), (FormatLocalDateTime(shown, "mm/dd/yyyy") + " " +
                               FormatLocalDateTime(shown, "hh:mm:ss tt")).Str());
    CSnDateTimeSettings settings;
    settings.DateFormat = "dd.mm.yyyy";
    settings.TimeFormat = "HH:mm";
    ASSERT_EQ(settings.Write(Seeder()), 0);
    List().Refresh();
    EXPECT_EQ(Cell("i90", 7), (FormatLocalDateTime(shown, "dd.mm.yyyy") + " " +
                               FormatLocalDateTime(shown, "HH:mm")).Str());
}

TEST_F(ManagerTest, SortingByResultRanksStatusesAndBreaksTiesByName) {
    const struct {
        const char* name;
        int status;
    } rows[] = {{"s hold", 5},    {"s success", 1},  {"b failure", 3}, {"s uncertain", 8},
                {"s errdep", 6},  {"s error", 2},    {"s maint", 4},   {"s faildep", 7},
                {"A failure", 3}, {"s none", 0}};
    for (const auto& r : rows) {
        const long id = AddCheck(1, r.name);
        WriteResult(id, r.status, kNow - 1000, "x");
    }
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    List().SetClock([] { return kNow; });
    Tick();

    EXPECT_EQ(List().SortColumn(), 0);
    EXPECT_TRUE(List().SortAscending());
    EXPECT_EQ(Names(List()).front(), "A failure");

    List().OnColumnClick(6);
    EXPECT_TRUE(List().SortAscending());
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"A failure", "b failure", "s faildep", "s maint", "s error",
                                                      "s errdep", "s uncertain", "s success", "s hold", "s none"}));
    // The same header again reverses the order, names included.
    List().OnColumnClick(6);
    EXPECT_FALSE(List().SortAscending());
    EXPECT_EQ(Names(List()).front(), "s none");
    EXPECT_EQ(Names(List()).back(), "A failure");
    EXPECT_EQ(List().header()->sortIndicatorSection(), 6);
    EXPECT_EQ(List().header()->sortIndicatorOrder(), Qt::DescendingOrder);
    // Another header sorts ascending.
    List().OnColumnClick(0);
    EXPECT_TRUE(List().SortAscending());
    EXPECT_EQ(Names(List()).back(), "s uncertain");
}

TEST_F(ManagerTest, RefreshSortsAgainOnlyForResultColumns) {
    const long a = AddCheck(1, "a");
    const long b = AddCheck(1, "b");
    WriteResult(a, 1, kNow - 10, "x");
    WriteResult(b, 1, kNow - 20, "x");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    List().SetClock([] { return kNow; });
    Tick();
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"a", "b"}));

    // Sorted by name: a newer result for b changes nothing in the order.
    WriteResult(b, 1, kNow - 1, "x");
    Tick();
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"a", "b"}));
    // Sorted by last update (newest first): a newer result for a moves it up.
    List().OnColumnClick(7);
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"b", "a"}));
    WriteResult(a, 1, kNow - 2 + 2, "x");
    Tick();
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ManagerTest, RefreshWritesOnlyCellsWhoseTextChanged) {
    const long a = AddCheck(1, "Alpha");
    const long b = AddCheck(1, "Beta");
    WriteResult(a, 1, kNow - 100, "fine", 2, "12");
    WriteResult(b, 1, kNow - 100, "fine", 2, "12");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    List().SetClock([] { return kNow; });
    Tick();

    const std::uint64_t settled = List().Model().CellWrites();
    List().Refresh();
    List().Refresh();
    EXPECT_EQ(List().Model().CellWrites(), settled);

    // Beta fails: image and first cell, result, time and response change; data, duration
    // and comment stay.
    WriteResult(b, 3, kNow - 50, "down", 2, "12");
    Tick();
    EXPECT_EQ(List().Model().CellWrites(), settled + 4);
    EXPECT_EQ(Cell("Beta", 6), "Failure");
    EXPECT_EQ(List().Model().Image(RowOf("Beta")), 11);
    EXPECT_EQ(Cell("Alpha", 6), "Success");
}

TEST_F(ManagerTest, ColumnMenusShowHideAndWidthsPersistForConfigurationColumns) {
    AddCheck(1, "Only");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    Tick();

    // Host and ID are hidden on a first run.
    EXPECT_EQ(List().ColumnWidth(2), 0);
    EXPECT_EQ(List().ColumnWidth(3), 0);
    EXPECT_EQ(List().ColumnWidth(0), 200);
    EXPECT_FALSE(Frame().Action(46)->isChecked());
    EXPECT_TRUE(Frame().Action(44)->isChecked());

    // The header menu lists the twelve headers with ticks on the shown columns.
    Ui().PushMenuChoice(3);
    List().ShowColumnChooser(QPoint(0, 0));
    ASSERT_EQ(Ui().LastMenu().size(), 12u);
    EXPECT_EQ(Ui().LastMenu()[7].text, "Last Monitored");
    EXPECT_FALSE(Ui().LastMenu()[2].checked);
    EXPECT_TRUE(Ui().LastMenu()[0].checked);
    EXPECT_EQ(List().ColumnWidth(2), 150);
    Ui().PushMenuChoice(1);
    List().ShowColumnChooser(QPoint(0, 0));
    EXPECT_EQ(List().ColumnWidth(0), 0);

    // View > Columns does the same and ticks the shown columns.
    App()->OnCommand(47);
    EXPECT_EQ(List().ColumnWidth(3), 150);
    Frame().UpdateCommandStates();
    EXPECT_TRUE(Frame().Action(47)->isChecked());
    App()->OnCommand(47);
    EXPECT_EQ(List().ColumnWidth(3), 0);
    App()->OnCommand(44);
    EXPECT_EQ(List().ColumnWidth(0), 150);

    // Widths of columns 0 to 6 go back to the preferences on close; 7 to 11 never do.
    List().setColumnWidth(5, List().columnWidth(5) * 2);
    const int five = List().ColumnWidth(5);
    List().setColumnWidth(8, List().columnWidth(8) * 3);
    App()->ExitInstance();
    EXPECT_EQ(prefs::ReadLong("Manager", "column05", -1), five);
    EXPECT_EQ(prefs::ReadLong("Manager", "column02", -1), 150);
    EXPECT_EQ(prefs::ReadLong("Manager", "column03", -1), 0);
    EXPECT_EQ(prefs::ReadLong("Manager", "column08", -1), 54);

    // The next run starts with them.
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(List().ColumnWidth(5), five);
    EXPECT_EQ(List().ColumnWidth(2), 150);
}

TEST_F(ManagerTest, DoubleClickEditsOnlyAWritableConfiguration) {
    const long id = AddCheck(1, "Failed");
    WriteResult(id, 3, kNow - 10, "down");
    SaveTree();
    prefs::WriteString("WritePermission", "WritePermission", "0");
    ASSERT_NE(Start(true), nullptr);
    Tick();
    int opened = 0;
    App()->Commands().Add(cmd::kProperties, [&opened](int) { ++opened; });

    const QRect rect = List().visualRect(List().Model().index(0, 0));
    QTest::mouseDClick(List().viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_EQ(opened, 0);
}

TEST_F(ManagerTest, DoubleClickOpensPropertiesAndSelectAllSelectsEveryRow) {
    for (const char* name : {"One", "Two", "Three"})
        AddCheck(1, name);
    SaveTree();
    ASSERT_NE(Start(true), nullptr);
    Tick();
    std::vector<int> ran;
    App()->Commands().Add(cmd::kProperties, [&ran](int id) { ran.push_back(id); });

    const QRect rect = List().visualRect(List().Model().index(1, 0));
    QTest::mouseDClick(List().viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_EQ(ran, (std::vector<int>{cmd::kProperties}));
    // Clicking a row makes it the row selected again after a rebuild.
    EXPECT_EQ(List().ReselectId(), List().Model().Node(1)->Id());

    App()->OnCommand(cmd::kSelectAll);
    EXPECT_EQ(List().SelectedCount(), 3);

    // Show folder with a reselect ID keeps that row current; a negative one forgets it.
    const long two = CSnCfg::FindNodeByName(App()->Root(), "Two")->Id();
    List().ShowFolder(App()->Root(), two);
    EXPECT_EQ(List().ReselectId(), two);
    EXPECT_EQ(List().Model().Node(List().currentIndex().row())->Id(), two);
    List().ShowFolder(App()->Root(), -1);
    EXPECT_EQ(List().ReselectId(), 0);
    List().ShowFolder(nullptr, 0);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), "Unable to list entries (invalid Folder)");
}
