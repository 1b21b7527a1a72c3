// The dependencies dialogs as the Manager opens them: from a check's property sheet, where
// Add and Remove edit what the saved check depends on, and from Tools > Dependencies.
#include "ManagerFixture.h"

#include "manager/checks/DialogDependencies.h"
#include "manager/checks/PropPageServerAdvanced.h"
#include "manager/checks/PropSheetServer.h"
#include "model/console/CommandIds.h"
#include "model/tree/SnNode.h"

namespace {

// The names in a list, ", " between them.
std::string Names(QTreeWidget& list) {
    std::string out;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        out += (i ? ", " : "") + list.topLevelItem(i)->text(0).toStdString();
    return out;
}

template <class Dialog>
void Script(CUiSeam& ui, std::function<int(Dialog&)> script) {
    ui.PushDialog([script](QDialog& d) { return script(dynamic_cast<Dialog&>(d)); });
}

} // namespace

TEST_F(ManagerTest, DependenciesAreEditedOnTheSheetAndListedForTheWholeConfiguration) {
    const long servers = AddFolder(1, "Servers");
    const long web = AddCheck(servers, "Web");
    const long db = AddCheck(servers, "Db");
    const long mail = AddCheck(1, "Mail");
    SeedNode(web)->Cfg.Action.Dependencies = std::to_string(db);
    for (long id : {web, db, mail}) {
        SeedNode(id)->Cfg.ScanFrequency.ErrorThreshold = 1;
        SaveNode(id);
    }
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(1);
    SelectRow("Mail");

    // Mail comes to depend on Web and the folder Servers; then the folder is removed again.
    Script<CPropSheetServer>(Ui(), [](CPropSheetServer& sheet) {
        EXPECT_TRUE(sheet.Advanced().DependenciesButton().isEnabled());
        sheet.Advanced().DependenciesButton().click();
        sheet.accept();
        return sheet.result();
    });
    Script<CDialogDependencies>(Ui(), [this, web, servers, mail](CDialogDependencies& d) {
        Script<CDialogChooseNodes>(Ui(), [=](CDialogChooseNodes& chooser) {
            EXPECT_FALSE(chooser.Choose(static_cast<std::int32_t>(mail)));
            EXPECT_TRUE(chooser.Choose(static_cast<std::int32_t>(web)));
            EXPECT_TRUE(chooser.Choose(static_cast<std::int32_t>(servers)));
            return CUiSeam::kAccepted;
        });
        EXPECT_EQ(Names(d.DependsOn()), "");
        d.AddButton().click();
        EXPECT_EQ(Names(d.DependsOn()), "Servers, Web");
        d.DependsOn().topLevelItem(0)->setSelected(true);
        d.RemoveButton().click();
        EXPECT_EQ(Names(d.DependsOn()), "Web");
        EXPECT_EQ(Names(d.DependedOnBy()), "");
        return CUiSeam::kAccepted;
    });
    App()->OnCommand(cmd::kProperties);
    CSnNode stored;
    stored.Cfg.ID = static_cast<std::int32_t>(mail);
    ASSERT_EQ(Seeder().ReadNode(&stored), 0);
    EXPECT_EQ(stored.Cfg.Action.Dependencies, std::to_string(web).c_str());

    // The whole configuration: both sides of the selected node; a double-click follows.
    EXPECT_TRUE(App()->QueryCommand(cmd::kDependencies).enabled);
    Script<CDialogAllDependencies>(Ui(), [](CDialogAllDependencies& d) {
        EXPECT_EQ(Names(d.Nodes()), "Web, Db, Mail");
        EXPECT_EQ(Names(d.DependsOn()), "Db");
        EXPECT_EQ(Names(d.DependedOnBy()), "Mail");
        emit d.DependedOnBy().itemDoubleClicked(d.DependedOnBy().topLevelItem(0), 0);
        EXPECT_EQ(d.Nodes().currentItem()->text(0), "Mail");
        EXPECT_EQ(Names(d.DependsOn()), "Web");
        return CUiSeam::kRejected;
    });
    App()->OnCommand(cmd::kDependencies);
    EXPECT_EQ(Ui().Unscripted(), 0);
}
