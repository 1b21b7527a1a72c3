// Copy, Paste Check(s) and Paste Properties through the UI seam: the clipboard block, the
// pasted checks as stored, the host check of the paste dialog, and settings pasted onto
// selected checks and refused for an empty folder.
#include "ManagerFixture.h"

#include "library/Messages.h"
#include "manager/checks/DialogPaste.h"
#include "manager/mainframe/CheckClipboard.h"
#include "model/console/CommandIds.h"
#include "model/tree/SnNode.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QMimeData>

#include <memory>

using PasteCommandsTest = ManagerTest;

TEST_F(PasteCommandsTest, CopiedChecksArePastedRenamedOrOnANewHost) {
    const long first = AddCheck(1, "web1 ping", 10, "web1", 60);
    const long second = AddCheck(1, "web1 again", 10, "web1", 90);
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(1);
    List().SelectAllRows();
    App()->OnCommand(cmd::kCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(kCheckClipboardMime).toStdString(),
              MakeCheckClipboard({first, second}));

    // A blank new host is refused and the dialog stays open; then db2, on hold.
    Ui().PushDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<CDialogPasteServer&>(d);
        EXPECT_EQ(dialog.Existing().text(), "web1");
        dialog.Change().setChecked(true);
        dialog.NewHost().setText("  ");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        dialog.NewHost().setText(" db2 ");
        dialog.Hold().setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    App()->OnCommand(cmd::kPasteChecks);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Invalid New IP/Host."});
    const int row = RowOf("db2 again");
    ASSERT_GE(row, 0);
    EXPECT_EQ(List().Model().Node(row)->Cfg.OnHold, 1);
    CSnNode* root = nullptr;
    ASSERT_EQ(Seeder().ReloadAllNodes(root), 0);
    EXPECT_EQ(CSnCfg::CountChecks(root), 4); // both copies are stored in the tree
    Seeder().FreeTree(root);

    // The second source deleted by another writer: no copy is left outside the tree.
    ASSERT_EQ(Seeder().DeleteFromTree(SeedRoot(), second, false).Code, 0);
    CSnNode gone;
    gone.Cfg.ID = static_cast<std::int32_t>(second);
    const std::string error = ErrorShown(Seeder().ReadNode(&gone));
    Ui().Clear();
    Ui().PushDialog([](QDialog& d) {
        dynamic_cast<CDialogPasteServer&>(d).Unchanged().setChecked(true);
        return (d.accept(), d.result());
    });
    App()->OnCommand(cmd::kPasteChecks);
    CSnCfg::Health health;
    ASSERT_EQ(Seeder().CheckHealth(false, health), 0);
    EXPECT_EQ(std::make_pair(Messages(), health.Orphans), std::make_pair(std::vector<std::string>{error}, std::vector<long>{}));
    EXPECT_EQ(CSnCfg::CountChecks(App()->Root()), 3);
}

TEST_F(PasteCommandsTest, MoreCopiedChecksThanTheDefaultLimitAreRefusedBeforeTheDialog) {
    auto add = [this](CSnTreeText::Tree&) { // in one write bracket: quicker
        for (int i = 0; i < 256; ++i)
            AddCheck(1, "c");
        return 0L;
    };
    ASSERT_EQ(Seeder().EditTree(add), 0);
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(1);
    List().SelectAllRows();
    App()->OnCommand(cmd::kCopy);
    App()->OnCommand(cmd::kPasteChecks);
    EXPECT_EQ(Messages(), std::vector<std::string>{CQvcString().FormatGrow(MessageText(61692), 255).Str()});
    EXPECT_EQ(Ui().History().size(), 1u); // no dialog
}

TEST_F(PasteCommandsTest, PropertiesArePastedOntoTheSelectionAndRefusedForAnEmptyFolder) {
    const long empty = AddFolder(1, "Empty");
    const long source = AddCheck(1, "source", 10, "a", 300);
    const long target = AddCheck(1, "target", 10, "b", 60);
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(1);
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kCheckClipboardMime, QByteArray::fromStdString(MakeCheckClipboard({source})));
    QGuiApplication::clipboard()->setMimeData(mime.release());
    List().SelectAllRows(); // the copied check among the targets
    // A cleared group box voids its sub-boxes; clearing every sub-box clears the group.
    Ui().PushDialog([](QDialog& d) {
        using D = CDialogPasteSpecial;
        auto& dialog = dynamic_cast<D&>(d);
        dialog.BoxAt(D::kNotifications).setChecked(false);
        for (D::Box box : {D::kRestart, D::kExecutable, D::kScript})
            dialog.BoxAt(box).setChecked(false);
        paste::Groups expected = paste::Groups::All();
        expected.Notify.fill(false);
        expected.Restart = expected.RunProgram = expected.RunScript = false;
        EXPECT_EQ(dialog.Chosen(), expected);
        EXPECT_FALSE(dialog.BoxAt(D::kActions).isChecked());
        return QDialog::Accepted;
    });
    Ui().PushAnswer(CUiSeam::kYes);
    App()->OnCommand(cmd::kPasteProperties);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Are you sure you want to apply the settings to all selected checks?"});
    // Written, then read back from the store into the listed node.
    EXPECT_EQ(CSnCfg::FindNode(App()->Root(), target)->Cfg.ScanFrequency.Interval, 300);

    Ui().Clear();
    Tree().SelectFolder(empty);
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(&Tree(), &focus);
    App()->OnCommand(cmd::kPasteProperties);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Cannot apply settings to folder 'Empty', this folder has no checks."});
    EXPECT_EQ(Ui().History().size(), 1u); // no dialog

    // A folder with checks: the question (answered No) names it, with or without its subfolders.
    Tree().SelectFolder(1);
    QApplication::sendEvent(&Tree(), &focus);
    Ui().Clear();
    for (const bool subfolders : {true, false}) {
        Ui().PushDialog([subfolders](QDialog& d) {
            auto& dialog = dynamic_cast<CDialogPasteSpecial&>(d);
            return (subfolders ? dialog.WithSubfolders() : dialog.FolderOnly()).setChecked(true), QDialog::Accepted;
        });
        App()->OnCommand(cmd::kPasteProperties);
    }
    const char* name = App()->Root()->Cfg.Name.c_str();
    EXPECT_EQ(Messages(), (std::vector<std::string>{CQvcString().FormatGrow(MessageText(61448), name).Str(),
                                                    CQvcString().FormatGrow(MessageText(61447), name).Str()}));
}
