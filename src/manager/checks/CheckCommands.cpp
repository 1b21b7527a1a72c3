#include "manager/checks/CheckCommands.h"

#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/checks/PropSheetServer.h"
#include "manager/mainframe/MainFrame.h"
#include "model/checks/CheckSheetRules.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/SnCheckCreator.h"
#include "model/console/CommandIds.h"
#include "model/link/SnIPC.h"
#include "model/tree/SnNode.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr int kProgressHosts = 10;          // from this many hosts on, creation shows its progress
constexpr long kNodeRecordNotFound = 25021; // the store's "record not found in [Nodes] table"

CPropSheetServer::Setup SheetSetup(CQMonApp& app, CServerList* hosts, std::int32_t preset) {
    return CPropSheetServer::Setup{app.Ui(), app.CheckDialogs(), app.Store(), hosts, preset};
}

// The folder that new checks go into: the tree's selected folder, or the folder that
// holds the selected node.
CSnNode* TargetFolder(CQMonApp& app) {
    CSnNode* root = app.Root();
    CSnNode* node = CSnCfg::FindNode(root, app.Frame()->Tree()->SelectedFolderId());
    if (node != nullptr && !node->IsFolder())
        node = CSnCfg::FindParentFolder(root, node->Id());
    return node;
}

void NewCheck(CQMonApp& app, std::int32_t preset) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr || app.Store() == nullptr)
        return;
    CSnCfg& store = *app.Store();
    CSnCheckCreator creator(store);
    CSnNode* check = nullptr;
    if (long code = creator.NewCheck(check)) {
        app.ShowErrorCode(code);
        return;
    }
    CServerList hosts;
    CSuspendedCycle suspended(*frame);
    CPropSheetServer sheet(*check, SheetSetup(app, &hosts, preset), frame);
    if (sheet.Run() != CUiSeam::kAccepted) {
        store.FreeNode(check);
        return;
    }
    // The folder may have gone while the sheet was open.
    CSnNode* folder = TargetFolder(app);
    // For more than a handful of hosts the creation shows its progress and can be cancelled;
    // a cancelled creation stores nothing.
    std::unique_ptr<QProgressDialog> progress;
    CSnCheckCreator::Progress report;
    if (hosts.Count() >= kProgressHosts) {
        progress = std::make_unique<QProgressDialog>(QString("Creating %1 checks...").arg(hosts.Count()),
                                                     "Cancel", 0, hosts.Count(), frame);
        progress->setObjectName("creationProgress");
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoReset(false);
        progress->show();
        QApplication::processEvents();
        report = [&progress](int done, int) {
            progress->setValue(done);
            QApplication::processEvents();
            return !progress->wasCanceled();
        };
    }
    const CSnCheckCreator::Result result = creator.Create(app.Root(), folder, check, hosts, report);
    progress.reset();
    if (result.Code == CSnCheckCreator::kCancelled) {
        store.FreeNode(check);
        return;
    }
    if (!result.Ok()) {
        store.FreeNode(check);
        app.Ui().Message(result.Message, CUiSeam::Icon::Error);
        if (result.ReloadTree)
            app.ReloadAndRebuild();
        return;
    }
    // The engine runs interval checks at once instead of waiting for their first period.
    if (CSnIPC* link = store.Link())
        for (const CSnNode* node : result.Created)
            if (node->Cfg.ScanFrequency.Mode == sheetrules::kModeInterval)
                link->MonitorNow(node);
    const long folderId = folder->Id();
    if (result.ReloadTree)
        app.ReloadAndRebuild();
    else
        frame->RebuildTree();
    frame->Tree()->SelectFolder(folderId);
    frame->List()->Refresh();
}

} // namespace

void EditCheck(CQMonApp& app) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr || app.Store() == nullptr)
        return;
    CViewList& list = *frame->List();
    const std::vector<int> rows = list.SelectedRows();
    if (rows.empty())
        return;
    if (rows.size() > 1) {
        app.Ui().Message(MessageText(61450), CUiSeam::Icon::Warning);
        return;
    }
    const std::vector<CSnNode*> nodes = list.SelectedNodes();
    if (nodes.empty()) {
        app.Ui().Message(MessageText(51490), CUiSeam::Icon::Error);
        return;
    }
    CSnCfg& store = *app.Store();
    CSnNode* node = nodes.front();
    const long code = store.ReadNode(node);
    if (code != 0 && code != kNodeRecordNotFound) {
        app.ShowErrorCode(code);
        return;
    }
    // Another Manager deleted the check since the list was filled.
    if (code == kNodeRecordNotFound || node->Cfg.Function.Type == kTypeNone) {
        app.Ui().Message(CQvcString().FormatGrow(MessageText(61458), static_cast<long>(node->Id())),
                         CUiSeam::Icon::Error);
        return;
    }
    const CSnNodeCfg kept = node->Cfg;
    CSnNode work(*node);
    {
        CSuspendedCycle suspended(*frame);
        CPropSheetServer sheet(work, SheetSetup(app, nullptr, 0), frame);
        if (sheet.Run() != CUiSeam::kAccepted || work.Cfg.IsEqual(kept))
            return;
    }
    // Other Managers show the name, the frequency and the type in their lists.
    const bool listed = !(work.Cfg.Name == kept.Name) || work.Cfg.Function.Type != kept.Function.Type ||
                        work.Cfg.ScanFrequency.Mode != kept.ScanFrequency.Mode ||
                        work.Cfg.ScanFrequency.Interval != kept.ScanFrequency.Interval ||
                        work.Cfg.ScanFrequency.ErrorThreshold != kept.ScanFrequency.ErrorThreshold ||
                        !(work.Cfg.ScanFrequency.Schedule == kept.ScanFrequency.Schedule);
    if (long code = store.WriteNode(&work, true, listed)) {
        app.ShowErrorCode(code);
        app.ReloadAndRebuild();
        return;
    }
    if (work.Cfg.ScanFrequency.Mode == sheetrules::kModeInterval)
        if (CSnIPC* link = store.Link())
            link->MonitorNow(&work);
    store.ReadNode(node);
    list.Refresh();
}

void RegisterCheckCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kNewCheck, [&app](int) { NewCheck(app, kTypeNone); });
    registry.Add(cmd::kNewVBScriptCheck, [&app](int) { NewCheck(app, kTypeVBScript); });
    registry.Add(cmd::kNewPowerShellCheck, [&app](int) { NewCheck(app, kTypePowerShell); });
    registry.Add(cmd::kNewSshCheck, [&app](int) { NewCheck(app, kTypeSsh); });
}
