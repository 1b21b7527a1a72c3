// The history and graph commands from the Manager: what they look for under the engine
// root (a temporary directory) and that their messages reach the user; which message is
// the model's.
#include "ManagerFixture.h"
#include "RecordingLauncher.h"

#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "model/console/HistoryGraph.h"
#include "model/tree/SnNode.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFocusEvent>

#include <filesystem>

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
    ASSERT_NE(Start(), nullptr);
    Tick();
    Tree().SelectFolder(folder);
    const std::string program = GraphProgramPath(Root()).Str();
    const std::string statistics = Root() + "/Logs/Statistics.db";
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
    std::filesystem::create_directories(Root() + "/Program.NET");
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
