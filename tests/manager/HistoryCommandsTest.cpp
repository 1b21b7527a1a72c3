// The history and graph commands from the Manager: the module and the program are looked
// for under the engine root (a temporary directory), and each way they cannot be shown
// ends in its message.
#include "ManagerFixture.h"
#include "RecordingLauncher.h"

#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "model/tree/SnNode.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFocusEvent>

#include <filesystem>
#include <sys/stat.h>

TEST_F(ManagerTest, HistoryAndGraphCommandsNameWhatIsMissingAndGraphTheFolder) {
    const long folder = AddFolder(1, "Folder");
    const long sub = AddFolder(folder, "Sub");
    const long a = AddCheck(folder, "A");
    AddCheck(folder, "B");
    const long d = AddCheck(sub, "D", 43);
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
    const auto select = [this](const char* name) {
        List().clearSelection();
        if (name != nullptr)
            List().selectionModel()->select(List().Model().index(RowOf(name), 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    const std::string program = Root() + "/Program.NET/QvGraph";
    CQvcString module, missing;
    module.Format(MessageText(51750), (Root() + "/Program/QvRgDll.so").c_str());
    missing.Format(MessageText(51685), program.c_str());

    select("A");
    App()->OnCommand(cmd::kHistoryDetail);
    App()->OnCommand(cmd::kHistoryAvailability);
    App()->OnCommand(cmd::kShowGraph);
    select("B");
    App()->OnCommand(cmd::kShowGraph);
    select(nullptr);
    App()->OnCommand(cmd::kCreateGraph); // neither the tree's folder nor checks
    EXPECT_EQ(Messages(), (std::vector<std::string>{module.Str(), module.Str(), missing.Str(), MessageText(51734),
                                                    MessageText(51732)}));

    // From the focused tree: the folder's checks with its subfolders', two types to choose from.
    std::filesystem::create_directories(Root() + "/Program.NET");
    testsupport::WriteFile(program, "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&Tree(), &focus);
    Ui().PushDialog([](QDialog& dialog) {
        dialog.findChild<QComboBox*>()->setCurrentIndex(1);
        return CUiSeam::kAccepted;
    });
    App()->OnCommand(cmd::kCreateGraph);
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{program, std::to_string(d)}}));
    EXPECT_EQ(Messages().size(), 5u); // and no message this time
}
