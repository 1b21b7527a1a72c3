// The history and graph commands from the Manager: what they look for under the engine
// root (a temporary directory) and that their messages reach the user; which message is
// the model's.
#include "ManagerFixture.h"
#include "RecordingLauncher.h"

#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "model/console/HistoryGraph.h"
#include "model/history/HistoryStore.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"
#include "platform/System.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFocusEvent>

#include <algorithm>
#include <filesystem>
#include <fstream>

TEST_F(ManagerTest, HistoryAndGraphCommandsNameWhatIsMissingAndGraphTheFolder) {
    const long folder = AddFolder(1, "Folder");
    const long a = AddCheck(folder, "A");
    const long d = AddCheck(AddFolder(folder, "Sub"), "D", 43);
    for (const long id : {a, d}) {
        SeedNode(id)->Cfg.GraphEnabled = 1;
        SaveNode(id);
    }
    SaveTree();
    testsupport::RecordingLauncher launcher;
    options.launcher = &launcher;
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(folder);
    const std::string program = GraphProgramPath(Root()).Str();
    std::filesystem::remove(ReportsModulePath(Root()).Str());
    std::filesystem::remove(program);
    const std::string statistics = StatisticsDatabasePath(CQvcString(kStatisticsConnection), Root()).Str();
    CQvcString module, noStatistics;
    module.Format(MessageText(51750), ReportsModulePath(Root()).c_str());
    noStatistics.Format(MessageText(51736), statistics.c_str());

    App()->OnCommand(cmd::kCreateGraph); // neither the tree's folder nor checks
    SelectRow("A");
    for (const int id : {cmd::kHistoryDetail, cmd::kHistoryAvailability, cmd::kShowGraph})
        App()->OnCommand(id);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{MessageText(51732), module.Str(), module.Str(), noStatistics.Str()}));

    // From the focused tree: the folder's checks with its subfolders', two types to choose from.
    testsupport::WriteFile(program, "");
    testsupport::WriteFile(statistics, "");
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&Tree(), &focus);
    Ui().PushDialog([](QDialog& dialog) {
        dialog.findChild<QComboBox*>()->setCurrentIndex(1);
        return CUiSeam::kAccepted;
    });
    App()->OnCommand(cmd::kCreateGraph);
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{program, std::to_string(d)}}));
    EXPECT_EQ(Messages().size(), 4u);
}

TEST_F(ManagerTest, ReportCommandSavesTheChosenFoldersReportAsHtmlAndPdf) {
    const long web = AddFolder(1, "Web");
    const long a = AddCheck(web, "Shop");
    AddCheck(1, "Elsewhere");
    SaveTree();
    CHistoryStore history;
    ASSERT_EQ(history.Open(StatisticsDatabasePath(CQvcString(kStatisticsConnection), Root()), true), 0);
    const std::int64_t now = platform::SecondsSince1970();
    ASSERT_EQ(history.Append({{now - 7200, static_cast<std::int32_t>(a), kStatusSuccess, "", 0, "", true},
                              {now - 3600, static_cast<std::int32_t>(a), kStatusError, "", 0, "", true},
                              {now - 1800, static_cast<std::int32_t>(a), kStatusSuccess, "", 0, "", true}},
                             {}),
              0);
    testsupport::RecordingLauncher launcher;
    options.launcher = &launcher;
    ASSERT_TRUE(StartLoaded());
    Ui().PushDialog([web](QDialog& dialog) {
        auto* folder = dialog.findChild<QComboBox*>("reportFolder");
        folder->setCurrentIndex(folder->findData(static_cast<int>(web)));
        dialog.findChild<QCheckBox*>("reportPdf")->setChecked(true);
        return CUiSeam::kAccepted;
    });
    App()->OnCommand(cmd::kReports);
    // Opened with the desktop's program, or named in a message where there is none.
    EXPECT_EQ(launcher.launched.size() + Messages().size(), 1u);
    std::vector<std::filesystem::path> saved;
    for (const auto& file : std::filesystem::directory_iterator(Root() + "/Reports"))
        saved.push_back(file.path());
    std::sort(saved.begin(), saved.end());
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].extension(), ".html");
    EXPECT_EQ(saved[1].extension(), ".pdf");
    EXPECT_GT(std::filesystem::file_size(saved[1]), 1000u);
    std::ifstream in(saved[0]);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Down half an hour of the two monitored (and the seconds the test took).
    EXPECT_NE(html.find("<td>Shop</td><td>Web</td><td class=\"n\">75.0"), std::string::npos) << html;
    EXPECT_EQ(html.find("Elsewhere"), std::string::npos);
}
