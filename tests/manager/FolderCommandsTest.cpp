// The folder commands from the menu, with their dialogs and answers scripted: Rename,
// New Folder, Delete and a folder's Properties.
#include "ManagerFixture.h"

#include "manager/checks/PropPageFolderProps.h"
#include "manager/checks/PropSheetPosition.h"
#include "model/console/CommandIds.h"
#include "model/tree/SnNode.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

class FolderCommandsTest : public ManagerTest {
protected:
    // The tree focused on a folder, or the list showing a folder with one check selected.
    void Focus(long folder, const char* check = nullptr) {
        Tick();
        Tree().SelectFolder(folder);
        QFocusEvent event(check ? QEvent::FocusOut : QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(&Tree(), &event);
        if (check)
            SelectRow(check);
    }
    // The next dialog gets `text` in its field of that name, then OK.
    void Type(const char* field, const char* text) {
        Ui().PushDialog([field, text](QDialog& d) {
            d.findChild<QLineEdit*>(field)->setText(text);
            d.accept();
            return d.result();
        });
    }
    long Folders() {
        long count = -1;
        return Seeder().CountNodes("Type = 1", count) == 0 ? count : -1;
    }
    std::string Stored(long id) { // the stored name, "-" without a record
        CSnNode node;
        node.Cfg.ID = static_cast<std::int32_t>(id);
        return Seeder().ReadNode(&node) == 0 ? node.Cfg.Name.Str() : "-";
    }
};

TEST_F(FolderCommandsTest, RenameAndNewFolderWriteTheFocusedFolderOrTheOneSelectedCheck) {
    const long web = AddFolder(1, "Web");
    const long ping = AddCheck(web, "ping");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    const long folders = Folders();
    Focus(web);
    Type("name", "Servers");
    App()->OnCommand(cmd::kRename);
    Tick();
    EXPECT_EQ(Tree().FindItem(web) ? Tree().FindItem(web)->text(0) : "", "Servers");
    Focus(web, "ping");
    Type("name", "echo");
    App()->OnCommand(cmd::kRename);
    EXPECT_EQ(Stored(web) + "/" + Stored(ping), "Servers/echo");
    // A refused blank name keeps the sheet open; cancelled, it leaves no record behind.
    Type("folderName", " \t ");
    App()->OnCommand(cmd::kNewFolder);
    EXPECT_EQ(Messages().back(), "Folder Name required.");
    EXPECT_EQ(Folders(), folders);
    Type("folderName", "Lab");
    App()->OnCommand(cmd::kNewFolder);
    App()->ReloadAndRebuild();
    const CSnNode* lab = CSnCfg::FindNodeByName(App()->Root(), "Lab");
    ASSERT_NE(lab, nullptr);
    EXPECT_EQ(CSnCfg::FindParentFolder(App()->Root(), lab->Id())->Id(), web);
    EXPECT_EQ(Tree().SelectedFolderId(), lab->Id());
    EXPECT_EQ(Folders(), folders + 1);
}

// A second Manager on the same configuration shows the deletes and a rename only after
// its next refresh cycle.
TEST_F(FolderCommandsTest, DeleteRefusesTheRootAndRemovesAFolderWithItsContentsOrTheSelectedChecks) {
    const long web = AddFolder(1, "Web");
    const long inner = AddFolder(web, "Inner");
    const long a = AddCheck(inner, "a"), b = AddCheck(1, "b"), c = AddCheck(1, "c");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    CQMonApp other(options);
    ASSERT_TRUE(other.InitInstance());
    auto shown = [this, &other, inner](bool cycle) { // the other's folder Inner and all checks
        if (cycle)
            (Advance(20), other.Frame()->OnTimerTick(), QCoreApplication::processEvents());
        other.Frame()->Tree()->SelectFolder(1);
        QStringList names{other.Frame()->Tree()->FindItem(inner) != nullptr ? "Inner:" : "-:"};
        for (int row = 0; row < other.Frame()->List()->Model().rowCount(); ++row)
            names << QString::fromStdString(other.Frame()->List()->Model().Node(row)->Cfg.Name.Str());
        return (names.sort(), names.join(" ").toStdString());
    };
    EXPECT_EQ(shown(true), "Inner: a b c");
    Focus(1);
    App()->OnCommand(cmd::kDelete);
    EXPECT_EQ(Messages().back(), "Root Folder cannot be deleted.");
    Focus(inner);
    for (const int answer : {CUiSeam::kNo, CUiSeam::kYes}) {
        EXPECT_EQ(Stored(inner), "Inner");
        Ui().PushAnswer(answer);
        App()->OnCommand(cmd::kDelete);
    }
    EXPECT_EQ(Tree().SelectedFolderId(), web);
    Focus(1, "b");
    Ui().PushAnswer(CUiSeam::kYes);
    App()->OnCommand(cmd::kDelete);
    EXPECT_EQ(Stored(inner) + Stored(a) + Stored(b) + Stored(c), "---c");
    EXPECT_EQ(RowOf("b"), -1);
    Focus(1, "c");
    Type("name", "d");
    App()->OnCommand(cmd::kRename);
    EXPECT_EQ(shown(false), "Inner: a b c");
    EXPECT_EQ(shown(true), "-: d");
}

TEST_F(FolderCommandsTest, FolderPropertiesShowTheFactsOfferTheDependenciesAndSaveTheName) {
    const long web = AddFolder(1, "Web");
    const long other = AddFolder(1, "Other");
    const long dependent = AddCheck(1, "dependent");
    SeedNode(dependent)->Cfg.Action.Dependencies = std::to_string(web).c_str();
    SaveNode(dependent);
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    QStringList seen;
    for (const long folder : {web, other}) {
        Focus(folder);
        Ui().PushDialog([&seen](QDialog& d) {
            auto& page = dynamic_cast<CPropPageFolderProps&>(*dynamic_cast<CPropSheetPosition&>(d).Tabs().widget(0));
            seen << page.Parent().text() << page.Contains().text() << page.Id().text();
            if (!page.ShowDependencies().isHidden())
                page.ShowDependencies().click(); // only Web has a dependent check
            page.Name().setText(page.Name().text() + "2");
            d.accept();
            return d.result();
        });
        Ui().PushDialog([&seen](QDialog& d) { return (seen << d.windowTitle(), 0); }); // unused when hidden
        App()->OnCommand(cmd::kProperties);
    }
    const std::string id = "  (used in log files and reports)|";
    const std::string root = App()->Root()->Cfg.Name.Str() + "|0 Folders, 0 Checks|";
    EXPECT_EQ(seen.join("|").toStdString() + "|", root + std::to_string(web) + id + "Dependencies - Web|" + root +
                                                      std::to_string(other) + id);
    EXPECT_EQ(Stored(web) + Stored(other), "Web2Other2");
}

