#include "manager/checks/PasteCommands.h"

#include "library/Messages.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/app/WaitCursor.h"
#include "manager/checks/DialogPaste.h"
#include "manager/mainframe/CheckClipboard.h"
#include "manager/mainframe/MainFrame.h"
#include "model/checks/PasteRules.h"
#include "model/checks/SnCheckCreator.h"
#include "model/console/CommandIds.h"
#include "model/tree/SnNode.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

namespace {

// The store's connection bracket; `Code` is the failure of its opening.
class CConnection {
public:
    explicit CConnection(CSnCfg& store) : m_store(store), m_code(store.BeginConnection()) {}
    ~CConnection() {
        if (m_code == 0)
            m_store.EndConnection();
    }
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;
    long Code() const { return m_code; }

private:
    CSnCfg& m_store;
    long m_code;
};

CQvcString Filled(unsigned id, const CQvcString& name) {
    return CQvcString().FormatGrow(MessageText(id), name.c_str());
}

// The copied checks as copies of their tree nodes (links cleared); empty unless every
// copied identifier names a node of the tree.
std::vector<CSnNode> CopiedChecks(CQMonApp& app) {
    std::vector<CSnNode> copies;
    if (app.CopiedCount() == 0)
        return copies;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (mime == nullptr)
        return copies;
    const QByteArray block = mime->data(kCheckClipboardMime);
    for (const long id : ParseCheckClipboard(std::string_view(block.constData(), block.size()))) {
        const CSnNode* node = CSnCfg::FindNode(app.Root(), id);
        if (node == nullptr)
            return {};
        copies.emplace_back(*node);
        copies.back().Cfg.Next.Node = copies.back().Cfg.Child.Node = nullptr;
    }
    return copies;
}

// The folder that pasted checks go into: the tree's selected folder, or the folder that
// holds the selected node.
CSnNode* TargetFolder(CQMonApp& app) {
    CSnNode* node = CSnCfg::FindNode(app.Root(), app.Frame()->Tree()->SelectedFolderId());
    if (node != nullptr && !node->IsFolder())
        node = CSnCfg::FindParentFolder(app.Root(), node->Id());
    return node;
}

void Copy(CQMonApp& app) {
    std::vector<long> ids;
    for (const CSnNode* node : app.Frame()->List()->SelectedNodes())
        ids.push_back(node->Id());
    if (ids.empty()) {
        app.Ui().Message(MessageText(61472), CUiSeam::Icon::Warning);
        return;
    }
    const std::string block = MakeCheckClipboard(std::move(ids));
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kCheckClipboardMime, QByteArray(block.data(), static_cast<qsizetype>(block.size())));
    QGuiApplication::clipboard()->setMimeData(mime.release()); // the clipboard takes it
}

// Deletes the records of copies that will not be linked into the tree and frees their
// nodes: a record in no folder would be an orphan that no window ever shows.  When the
// delete fails too (the database refuses every write), they stay until a repair of the
// configuration's health removes them.
void DiscardCopies(CSnCfg& store, const std::vector<CSnNode*>& copies) {
    std::vector<long> ids;
    for (const CSnNode* node : copies)
        ids.push_back(node->Id());
    if (!ids.empty())
        store.DeleteNodeRecords(ids);
    for (CSnNode* node : copies)
        store.FreeNode(node);
}

// The copies made for a paste, each written but not yet linked, and the failure that
// ended the loop early (0 when every source was copied).
struct Copies {
    std::vector<CSnNode*> made;
    long code = 0;
};

// Makes the pasted checks.  A source that cannot be read ends the paste with nothing
// pasted: the copies made before it are deleted again.  A copy that cannot be made or
// saved ends the loop and keeps the copies made before it (its own record is deleted).
Copies MakeCopies(CSnCfg& store, std::vector<CSnNode>& sources, CDialogPasteServer& dialog) {
    const bool unchanged = dialog.Unchanged().isChecked();
    const bool hold = dialog.Hold().isChecked();
    Copies copies;
    for (CSnNode& source : sources) {
        if (long code = store.ReadNode(&source)) {
            DiscardCopies(store, copies.made);
            return {{}, code};
        }
        CSnNode* copy = store.NewNodeObject();
        long code = store.InsertNode(copy, &source, 0);
        if (code != 0) {
            store.FreeNode(copy);
            return {std::move(copies.made), code};
        }
        paste::MakePastedCopy(copy->Cfg, unchanged, dialog.Host(), hold);
        if ((code = store.WriteNode(copy, false, false)) != 0) {
            DiscardCopies(store, {copy});
            return {std::move(copies.made), code};
        }
        copies.made.push_back(copy);
    }
    return copies;
}

void PasteChecks(CQMonApp& app) {
    CMainFrame& frame = *app.Frame();
    CSnCfg& store = *app.Store();
    CSuspendedCycle suspended(frame);
    std::vector<CSnNode> sources = CopiedChecks(app);
    if (sources.empty())
        return;
    CQvcString limit;
    if (CSnCheckCreator(store).CheckLimits(app.Root(), static_cast<int>(sources.size()), limit) != 0) {
        app.Ui().Message(limit, CUiSeam::Icon::Warning);
        return;
    }
    const CSnNode* folder = TargetFolder(app);
    if (folder == nullptr) {
        app.Ui().Message(MessageText(CSnCheckCreator::kNoFolder), CUiSeam::Icon::Error);
        return;
    }
    const long folderId = folder->Id();
    CQvcString existing;
    {
        // The tree holds only the summary of each check: the hosts come from the records.
        CConnection connection(store);
        std::vector<const CSnNode*> read;
        for (CSnNode& source : sources)
            if (store.ReadNode(&source) == 0)
                read.push_back(&source);
        existing = paste::ExistingHosts(read);
    }
    CDialogPasteServer dialog(app.Ui(), QString::fromStdString(existing.Str()), &frame);
    if (app.Ui().ExecDialog(dialog) != CUiSeam::kAccepted)
        return;

    CSnNode* target = CSnCfg::FindNode(app.Root(), folderId);
    if (target == nullptr) {
        app.Ui().Message(MessageText(51731), CUiSeam::Icon::Error);
        return;
    }
    // The busy cursor only now: over the dialog it would hide the text cursor.
    CWaitCursor wait;
    CConnection connection(store);
    if (connection.Code() != 0) {
        app.ShowErrorCode(connection.Code());
        return;
    }
    const Copies copies = MakeCopies(store, sources, dialog);
    const CSnCfg::TreeEdit edit =
        copies.made.empty() ? CSnCfg::TreeEdit{} : store.AppendToTree(app.Root(), target, copies.made);
    if (edit.Code != 0)
        DiscardCopies(store, copies.made);
    // Any failure: the window is rebuilt from what the database holds, then told why.
    if (const long code = copies.code != 0 ? copies.code : edit.Code) {
        app.ReloadAndRebuild();
        app.ShowErrorCode(code);
        return;
    }
    const long lastId = copies.made.back()->Id();
    if (edit.Stale)
        app.ReloadAndRebuild();
    // Another writer may have removed the folder meanwhile (a stale tree was reloaded).
    CSnNode* shown = CSnCfg::FindNode(app.Root(), folderId);
    frame.List()->ShowFolder(shown != nullptr ? shown : app.Root(), lastId);
    frame.List()->Refresh();
    frame.PostTimerTick();
}

// Applies the chosen groups of the source to every target but the source itself; the
// first error ends the loop.
void ApplySettings(CQMonApp& app, CSnNode source, const std::vector<CSnNode*>& targets,
                   const paste::Groups& groups) {
    CSnCfg& store = *app.Store();
    CWaitCursor wait;
    CConnection connection(store);
    long code = connection.Code();
    if (code == 0)
        code = store.ReadNode(&source);
    for (auto it = targets.begin(); code == 0 && it != targets.end(); ++it) {
        CSnNode* target = *it;
        if (target->Id() == source.Id())
            continue;
        CSnNode work(*target);
        code = store.ReadNode(&work);
        if (code != 0)
            break;
        paste::CopyGroups(source.Cfg, work.Cfg, groups);
        code = store.WriteNode(&work, true, true);
        if (code == 0)
            store.ReadNode(target); // the list shows the pasted settings at once
    }
    if (code != 0)
        app.ShowErrorCode(code);
}

void PasteProperties(CQMonApp& app) {
    CMainFrame& frame = *app.Frame();
    CSuspendedCycle suspended(frame);
    std::vector<CSnNode> sources = CopiedChecks(app);
    if (sources.size() != 1)
        return;
    CUiSeam& ui = app.Ui();
    if (frame.Tree()->HasFocusFlag()) {
        CSnNode* folder = CSnCfg::FindNode(app.Root(), frame.Tree()->SelectedFolderId());
        if (folder == nullptr || !folder->IsFolder())
            return;
        if (folder->Cfg.Child.Node == nullptr) {
            ui.Message(Filled(61449, folder->Cfg.Name), CUiSeam::Icon::Warning);
            return;
        }
        CDialogPasteSpecial dialog(true, &frame);
        if (ui.ExecDialog(dialog) != CUiSeam::kAccepted)
            return;
        const bool recursive = dialog.WithSubfolders().isChecked();
        if (ui.Message(Filled(recursive ? 61448 : 61447, folder->Cfg.Name), CUiSeam::Icon::Question,
                       CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
            return;
        ApplySettings(app, sources.front(), CSnCfg::CollectChecks(folder, recursive), dialog.Chosen());
        return;
    }
    const std::vector<CSnNode*> selected = frame.List()->SelectedNodes();
    if (selected.empty()) {
        ui.Message(MessageText(59522), CUiSeam::Icon::Information);
        return;
    }
    CDialogPasteSpecial dialog(false, &frame);
    if (ui.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    if (ui.Message(MessageText(selected.size() == 1 ? 61452 : 61451), CUiSeam::Icon::Question,
                   CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
        return;
    ApplySettings(app, sources.front(), selected, dialog.Chosen());
    frame.List()->Refresh();
}

} // namespace

void RegisterPasteCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kCopy, [&app](int) { Copy(app); });
    registry.Add(cmd::kPasteChecks, [&app](int) { PasteChecks(app); });
    registry.Add(cmd::kPasteProperties, [&app](int) { PasteProperties(app); });
}
