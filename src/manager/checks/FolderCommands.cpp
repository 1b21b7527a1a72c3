#include "manager/checks/FolderCommands.h"

#include "library/Messages.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/app/WaitCursor.h"
#include "manager/checks/CheckCommands.h"
#include "manager/checks/PropPageFolderProps.h"
#include "manager/checks/PropSheetPosition.h"
#include "manager/checks/SheetText.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"
#include "model/console/FolderCommandRules.h"
#include "model/tree/SnNode.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

using sheettext::C;
using sheettext::Q;

CSnNode* SelectedFolder(CQMonApp& app) {
    return foldercmd::TargetFolder(app.Root(), app.Frame()->Tree()->SelectedFolderId());
}

// The folder's sheet ("Add Folder" or "Folder Properties") on `folder`; true on OK.  A new
// folder names `newParent`, the folder it is made in.
bool RunFolderSheet(CQMonApp& app, const char* title, CSnNode& folder, const CSnNode* newParent = nullptr) {
    CSuspendedCycle suspended(*app.Frame());
    CPropSheetPosition sheet(title, app.Ui(), app.Frame());
    sheet.AddPage(new CPropPageFolderProps(folder, *app.Store(), app.Root(), app.Ui(), newParent), "General");
    return sheet.Run() == CUiSeam::kAccepted;
}

// The nodes a removal takes out of the tree: the node and everything below it.
std::vector<CSnNode*> Subtree(CSnNode* node) {
    std::vector<CSnNode*> nodes{node};
    if (node->IsFolder()) {
        for (CSnNode* n : CSnCfg::CollectFolders(node, true))
            nodes.push_back(n);
        for (CSnNode* n : CSnCfg::CollectChecks(node, true))
            nodes.push_back(n);
    }
    return nodes;
}

void NewFolder(CQMonApp& app) {
    if (app.Frame() == nullptr || app.Store() == nullptr)
        return;
    CSnCfg& store = *app.Store();
    if (SelectedFolder(app) == nullptr) {
        app.Ui().Message(MessageText(51485), CUiSeam::Icon::Error);
        return;
    }
    CSnNode* folder = nullptr;
    if (long code = store.NewFolderRecord(folder)) {
        app.ShowErrorCode(code);
        app.ReloadAndRebuild();
        return;
    }
    folder->Cfg.Name = "New Folder";
    folder->Cfg.Function.Type = kTypeFolder;
    // The record exists already; a folder that is not made after all leaves none behind.
    const auto discard = [&] {
        store.DeleteNodeRecord(folder->Id());
        store.FreeNode(folder);
    };
    if (!RunFolderSheet(app, "Add Folder", *folder, SelectedFolder(app))) {
        discard();
        return;
    }
    // The tree may have changed while the sheet was open.
    CSnNode* target = SelectedFolder(app);
    if (target == nullptr) {
        discard();
        app.Ui().Message(MessageText(51485), CUiSeam::Icon::Error);
        return;
    }
    CWaitCursor wait;
    if (long code = store.WriteNode(folder, false, false)) {
        discard();
        app.ShowErrorCode(code);
        app.ReloadAndRebuild();
        return;
    }
    const long id = folder->Id();
    const CSnCfg::TreeEdit edit = store.AppendToTree(app.Root(), target, {folder});
    if (edit.Code) {
        discard(); // nothing was stored and the node was not linked
        app.ShowErrorCode(edit.Code);
        app.ReloadAndRebuild();
        return;
    }
    if (edit.Stale)
        app.ReloadAndRebuild();
    else
        app.Frame()->RebuildTree();
    app.Frame()->Tree()->SelectFolder(id);
}

void Delete(CQMonApp& app) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr || app.Store() == nullptr)
        return;
    CSnCfg& store = *app.Store();
    CViewTree& tree = *frame->Tree();
    CViewList& list = *frame->List();
    const bool treeFocus = tree.HasFocusFlag();
    const std::vector<CSnNode*> selected = treeFocus ? std::vector<CSnNode*>{} : list.SelectedNodes();
    const foldercmd::DeletePlan plan = foldercmd::PlanDelete(treeFocus, SelectedFolder(app), selected);
    using Kind = foldercmd::DeletePlan::Kind;
    if (plan.What == Kind::Nothing)
        return;
    if (plan.What == Kind::Refuse) {
        app.Ui().Message(plan.Text, CUiSeam::Icon::Error);
        return;
    }
    if (app.Ui().Message(plan.Text, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
        return;
    CWaitCursor wait;
    std::vector<CSnNode*> gone;
    long code = 0;
    bool stale = false;
    long showId = tree.SelectedFolderId();
    if (plan.What == Kind::Folder) {
        const CSnNode* parent = CSnCfg::FindParentFolder(app.Root(), plan.FolderId);
        showId = parent != nullptr ? parent->Id() : CSnCfg::kRootId;
        gone = Subtree(CSnCfg::FindNode(app.Root(), plan.FolderId));
        const CSnCfg::TreeEdit edit = store.DeleteFromTree(app.Root(), plan.FolderId, true);
        code = edit.Code;
        stale = edit.Stale;
    } else {
        // All the checks go in one transaction, or none of them.
        gone = selected;
        code = store.BeginTransaction();
        for (std::size_t i = 0; code == 0 && i < plan.CheckIds.size(); ++i) {
            const CSnCfg::TreeEdit edit = store.DeleteFromTree(app.Root(), plan.CheckIds[i], false);
            code = edit.Code;
            stale = stale || edit.Stale;
        }
        if (code == 0)
            code = store.CommitTransaction();
        else
            store.RollbackTransaction();
    }
    if (code != 0) {
        app.ReloadAndRebuild();
        app.ShowErrorCode(code);
        return;
    }
    if (stale)
        app.ReloadAndRebuild();
    if (plan.What == Kind::Folder) {
        if (!stale)
            frame->RebuildTree();
        tree.SelectFolder(showId);
    } else {
        CSnNode* shown = CSnCfg::FindNode(app.Root(), showId);
        if (shown == nullptr) {
            tree.SelectFolder(CSnCfg::kRootId);
            shown = app.Root();
        }
        list.ShowFolder(shown, 0);
        list.Refresh();
        frame->PostTimerTick();
    }
    // No view points at the removed nodes any more.
    for (CSnNode* node : gone)
        store.FreeNode(node);
}

// The rename dialog: one name field with OK and Cancel.
class CDialogRename final : public QDialog {
public:
    CDialogRename(const QString& title, const QString& name, QWidget* parent)
        : QDialog(parent), m_buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel) {
        setObjectName("renameDialog");
        setWindowTitle(title);
        m_name.setObjectName("name");
        m_name.setText(name);
        m_name.selectAll();
        auto* form = new QFormLayout;
        form->addRow("&Name:", &m_name);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(&m_buttons);
        connect(&m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }
    QString Name() const { return m_name.text(); }

private:
    QLineEdit m_name;
    QDialogButtonBox m_buttons;
};

void Rename(CQMonApp& app) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr || app.Store() == nullptr)
        return;
    const bool folder = frame->Tree()->HasFocusFlag();
    CSnNode* target = nullptr;
    if (folder) {
        target = SelectedFolder(app);
    } else {
        const std::vector<CSnNode*> nodes = frame->List()->SelectedNodes();
        if (nodes.size() == 1)
            target = nodes.front();
    }
    if (target == nullptr)
        return;
    CSnCfg& store = *app.Store();
    CSnNode work;
    work.Cfg.ID = target->Id();
    if (store.ReadNode(&work) != 0)
        return;
    CDialogRename dialog(folder ? "Rename Folder" : "Rename Check", Q(work.Cfg.Name), frame);
    if (app.Ui().ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    work.Cfg.Name = C(dialog.Name());
    // Other Managers list checks by name; a folder's name only shows in their trees.
    if (long code = store.WriteNode(&work, !folder, true)) {
        app.ShowErrorCode(code);
        app.ReloadAndRebuild();
        return;
    }
    target->Cfg.Name = work.Cfg.Name;
    if (folder)
        app.OnCommand(cmd::kRefresh);
}

void FolderProperties(CQMonApp& app) {
    CSnNode* folder = SelectedFolder(app);
    if (folder == nullptr)
        return;
    CSnCfg& store = *app.Store();
    if (long code = store.ReadNode(folder)) {
        app.ShowErrorCode(code);
        return;
    }
    const CSnNodeCfg kept = folder->Cfg;
    CSnNode work(*folder);
    if (!RunFolderSheet(app, "Folder Properties", work) || work.Cfg.IsEqual(kept))
        return;
    if (long code = store.WriteNode(&work, true, true)) {
        app.ShowErrorCode(code);
        app.ReloadAndRebuild();
        return;
    }
    folder->Cfg.Name = work.Cfg.Name;
    app.Frame()->RebuildTree();
}

} // namespace

void RegisterFolderCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kNewFolder, [&app](int) { NewFolder(app); });
    registry.Add(cmd::kDelete, [&app](int) { Delete(app); });
    registry.Add(cmd::kRename, [&app](int) { Rename(app); });
    registry.Add(cmd::kProperties, [&app](int) {
        if (app.Frame() == nullptr || app.Store() == nullptr)
            return;
        if (app.Frame()->Tree()->HasFocusFlag())
            FolderProperties(app);
        else
            EditCheck(app);
    });
}
