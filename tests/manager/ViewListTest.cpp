// The check list: its texts and images, the sort on every column, the cell-update rule,
// the column menus and widths, and double-click.
#include "ManagerFixture.h"

#include "manager/mainframe/CheckListModel.h"
#include "manager/mainframe/StateImages.h"
#include "model/console/CommandIds.h"
#include "model/checks/CheckListTexts.h"
#include "model/checks/CheckTypes.h"
#include "model/settings/DateTimeFormat.h"
#include "model/console/ManagerPreferences.h"
#include "model/settings/SnDateTimeSettings.h"
#include "platform/Registry.h"

#include <QAction>
#include <QHeaderView>
#include <QTest>

#include <ctime>

namespace {

constexpr std::int64_t kNow = 1750000000; // the list's clock in these tests

std::vector<std::string> Names(CViewList& list) {
    std::vector<std::string> names;
    for (int row = 0; row < list.RowCount(); ++row)
        names.push_back(list.Model().Node(row)->Cfg.Name.Str());
    return names;
}

} // namespace

TEST(ViewListImages, StateImageByTypeHoldStatusAndFreshness) {
    // {type, on hold, status, processing, seconds before now, image}
    const struct {
        int type, hold, status, processing, age, image;
    } cases[] = {
        {kTypeNone, 1, 1, 0, 9, 23}, {kTypeIcmpPing, 1, 3, 0, 9, 16}, {kTypeIcmpPing, 0, 1, 0, 9, 7},
        {kTypeIcmpPing, 0, 1, 1, 9, 8}, {kTypeIcmpPing, 0, 1, 0, 0, 8}, {kTypeIcmpPing, 0, 2, 0, 9, 13},
        {kTypeIcmpPing, 0, 2, 0, 0, 14}, {kTypeIcmpPing, 0, 3, 0, 9, 11}, {kTypeIcmpPing, 0, 3, 0, 0, 12},
        {kTypeIcmpPing, 0, 4, 0, 0, 15}, {kTypeIcmpPing, 0, 6, 0, 9, 21}, {kTypeIcmpPing, 0, 6, 0, 0, 22},
        {kTypeIcmpPing, 0, 7, 0, 9, 17}, {kTypeIcmpPing, 0, 7, 0, 0, 18}, {kTypeIcmpPing, 0, 8, 0, 9, 9},
        {kTypeIcmpPing, 0, 8, 0, 0, 10}, {kTypeIcmpPing, 0, 0, 0, 9, 19}, {kTypeIcmpPing, 0, 0, 1, 9, 20},
    };
    for (const auto& c : cases) {
        CSnNode node;
        node.Cfg.Function.Type = c.type;
        node.Cfg.OnHold = c.hold;
        node.Result.Status = c.status;
        node.Result.Processing = c.processing;
        node.Result.LastUpdate = static_cast<std::int32_t>(kNow - c.age);
        EXPECT_EQ(CViewList::RowImage(node, kNow), c.image) << c.type << " " << c.hold << " " << c.status << " "
                                                           << c.processing << " " << c.age;
    }
}

TEST(CheckListModelTexts, EveryCellKeepsItsBytesWhateverTheLengthOfTheRow) {
    CStateImages images;
    CCheckListModel model(images);
    model.AppendRow(nullptr, {}, 0);
    // A row without any text still shows empty, not null, strings.
    EXPECT_FALSE(model.data(model.index(0, 9)).toString().isNull());

    // Empty cells before, between and after the written ones; column 9 takes the row's
    // length across each width of the row's offsets, and once to the same length in place.
    std::array<std::string, CCheckListModel::kColumns> expected;
    expected[1] = "Ping";
    expected[3] = "42";
    ASSERT_TRUE(model.UpdateCell(0, 1, expected[1]));
    ASSERT_TRUE(model.UpdateCell(0, 3, expected[3]));
    char mark = 'a';
    for (const std::size_t total : {255u, 256u, 256u, 65535u, 65536u, 70000u, 6u}) {
        std::string text(total - 6, ' ');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>(mark + i % 26);
        ++mark;
        expected[9] = text;
        ASSERT_TRUE(model.UpdateCell(0, 9, text)) << total;
        for (int c = 0; c < CCheckListModel::kColumns; ++c)
            EXPECT_EQ(model.Text(0, c), expected[static_cast<std::size_t>(c)]) << total << " " << c;
    }
    ASSERT_TRUE(model.UpdateCell(0, 1, ""));
    ASSERT_TRUE(model.UpdateCell(0, 3, ""));
    EXPECT_EQ(model.Text(0, 3), "");
    EXPECT_FALSE(model.data(model.index(0, 3)).toString().isNull());
}

TEST_F(ManagerTest, ListColumnsShowTheModelTextsOfEachCheck) {
    // The texts themselves are the model's rules; here each column shows its own.
    const long folder = AddFolder(1, "F");
    const long ping = AddCheck(folder, "Ping", kTypeIcmpPing, "gw", 90);
    WriteResult(ping, 3, kNow - 100, "down", 3725, "12 ms", "a note");
    const long script = AddCheck(folder, "Script", kTypeVBScript);
    SeedNode(script)->Cfg.Function.Param2 = "CheckBackup";
    SeedNode(script)->Cfg.OnHold = 1;
    SaveNode(script);
    WriteResult(script, 1, kNow, "fine", 0, "", "", 1);
    SaveTree();

    ASSERT_NE(Start(), nullptr);
    List().SetClock([] { return kNow; });
    Tick();
    for (const char* name : {"Ping", "Script"}) {
        const CSnNode& node = *List().Model().Node(RowOf(name));
        const CSnDateTimeSettings formats;
        const std::vector<std::string> expected = {
            std::string(" ") + name, CheckTypeText(node.Cfg.Function).Str(), node.Cfg.Function.ParamServer.Str(),
            std::to_string(node.Id()), FrequencyText(node, formats).Str(), node.Manager.FolderPath.Str(),
            StatusText(node, kNow).Str(), LastUpdateText(node, formats).Str(), node.Result.Data.Str(),
            node.Result.Response.Str(), DurationText(node.Result.Duration).Str(), node.Result.Comment.Str()};
        std::vector<std::string> shown;
        for (int column = 0; column < 12; ++column)
            shown.push_back(Cell(name, column));
        EXPECT_EQ(shown, expected) << name;
        EXPECT_EQ(List().Model().Image(RowOf(name)), CViewList::RowImage(node, kNow)) << name;
    }

    // A change of the configuration's date and time settings shows on the next refresh.
    const std::time_t shown = static_cast<std::time_t>(kNow - 100);
    CSnDateTimeSettings settings;
    settings.DateFormat = "dd.mm.yyyy";
    settings.TimeFormat = "HH:mm";
    ASSERT_EQ(settings.Write(Seeder()), 0);
    List().Refresh();
    EXPECT_EQ(Cell("Ping", 7), (FormatLocalDateTime(shown, "dd.mm.yyyy") + " " +
                                FormatLocalDateTime(shown, "HH:mm")).Str());
}

TEST_F(ManagerTest, HeaderClicksSortByTheColumnAndReverseOnTheSecondClick) {
    // The order of each column is CheckListSort's rule; here the header drives it.
    const struct {
        const char* name;
        int status;
    } rows[] = {{"s success", 1}, {"b failure", 3}, {"s none", 0}, {"A failure", 3}};
    for (const auto& r : rows)
        WriteResult(AddCheck(1, r.name), r.status, kNow - 1000, "x");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    List().SetClock([] { return kNow; });
    Tick();
    List().OnColumnClick(6);
    EXPECT_TRUE(List().SortAscending());
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"A failure", "b failure", "s success", "s none"}));
    List().OnColumnClick(6);
    EXPECT_FALSE(List().SortAscending());
    EXPECT_EQ(Names(List()), (std::vector<std::string>{"s none", "s success", "b failure", "A failure"}));
    EXPECT_EQ(List().header()->sortIndicatorSection(), 6);
    EXPECT_EQ(List().header()->sortIndicatorOrder(), Qt::DescendingOrder);
    List().OnColumnClick(0); // another header sorts ascending
    EXPECT_TRUE(List().SortAscending());
    EXPECT_EQ(Names(List()).back(), "s success");
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
    // Only the comment changes: its cell alone is written.
    WriteResult(b, 3, kNow - 50, "down", 2, "12", "looked at");
    Tick();
    EXPECT_EQ(List().Model().CellWrites(), settled + 5);
    EXPECT_EQ(Cell("Beta", 11), "looked at");

    // A result of the current second shows "Processing" and the fresh image; once the
    // clock moves on, the same result shows its status and the plain image.
    using Shown = std::pair<std::string, int>;
    WriteResult(a, 1, kNow, "fine", 2, "12");
    Tick();
    EXPECT_EQ(Shown(Cell("Alpha", 6), List().Model().Image(RowOf("Alpha"))), Shown("Processing", 8));
    List().SetClock([] { return kNow + 1; });
    List().Refresh();
    EXPECT_EQ(Shown(Cell("Alpha", 6), List().Model().Image(RowOf("Alpha"))), Shown("Success", 7));
}

TEST_F(ManagerTest, ColumnMenusShowHideAndWidthsPersistForConfigurationColumns) {
    AddCheck(1, "Only");
    SaveTree();
    ASSERT_TRUE(StartLoaded());

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

TEST_F(ManagerTest, DoubleClickOpensPropertiesOfAWritableConfigurationAndSelectAllSelectsEveryRow) {
    for (const char* name : {"One", "Two", "Three"})
        AddCheck(1, name);
    SaveTree();
    ASSERT_NE(Start(true), nullptr);
    Tick();
    std::vector<int> ran;
    App()->Commands().Add(cmd::kProperties, [&ran](int id) { ran.push_back(id); });

    // Only a writable configuration is edited.
    for (const bool writable : {false, true}) {
        App()->SetWritable(writable);
        const QRect rect = List().visualRect(List().Model().index(1, 0));
        QTest::mouseDClick(List().viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
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
