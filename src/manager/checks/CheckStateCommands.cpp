#include "manager/checks/CheckStateCommands.h"

#include "library/Messages.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/app/WaitCursor.h"
#include "manager/mainframe/MainFrame.h"
#include "model/checks/CheckSheetRules.h"
#include "model/console/CheckStateRules.h"
#include "model/console/CommandIds.h"
#include "model/console/ManagerPreferences.h"
#include "model/link/SnIPC.h"
#include "model/tree/SnNode.h"

#include <QMetaObject>

namespace {

CQvcString Text(unsigned id) { return CQvcString(MessageText(id)); }

// The selected checks, front to back.  A selected row whose node has gone (the tree was
// reloaded under the list) is reported once; the others are still returned.
std::vector<CSnNode*> SelectedChecks(CQMonApp& app) {
    CViewList& list = *app.Frame()->List();
    std::vector<CSnNode*> nodes = list.SelectedNodes();
    if (nodes.size() != list.SelectedRows().size())
        app.Ui().Message(Text(51490), CUiSeam::Icon::Error);
    return nodes;
}

bool Ready(CQMonApp& app) { return app.Frame() != nullptr && app.Store() != nullptr; }

// Requests go to the Engine only while it runs; otherwise the user is told how to start it.
bool RefusedWhileServiceStopped(CQMonApp& app) {
    if (!app.ServiceStopped())
        return false;
    app.Ui().Message(CQvcString().FormatGrow(MessageText(51741), CQMonApp::kProductName), CUiSeam::Icon::Error);
    return true;
}

bool AskYes(CQMonApp& app, const CQvcString& text) {
    return app.Ui().Message(text, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) == CUiSeam::kYes;
}

void ToggleReadOnly(CQMonApp& app) {
    if (!Ready(app))
        return;
    {
        CWaitCursor wait;
        bool readable = false;
        bool writable = false;
        app.Store()->ProbeAccess(readable, writable);
        if (!app.Writable() && !writable) {
            app.Ui().Message(Text(61531), CUiSeam::Icon::Warning);
            return;
        }
    }
    const bool writable = !app.Writable();
    app.SetWritable(writable);
    prefs::WriteString("WritePermission", "WritePermission", writable ? "1" : "0");
    // Refresh reloads and redraws everything: the root's label and every menu follow.
    CMainFrame* frame = app.Frame();
    frame->UpdateCommandStates();
    QMetaObject::invokeMethod(frame, [&app] { app.OnCommand(cmd::kRefresh); }, Qt::QueuedConnection);
}

void MonitorSelectedNow(CQMonApp& app) {
    if (!Ready(app) || RefusedWhileServiceStopped(app))
        return;
    const std::vector<CSnNode*> checks = SelectedChecks(app);
    std::vector<std::int32_t> modes;
    for (const CSnNode* check : checks)
        modes.push_back(check->Cfg.ScanFrequency.Mode);
    const checkstate::CMonitorPlan plan = checkstate::PlanMonitorNow(modes);
    const bool scheduledToo = plan.question != 0 && AskYes(app, Text(plan.question));
    CSnIPC* link = app.Store()->Link();
    if (link == nullptr)
        return;
    for (const std::size_t i : plan.interval)
        link->MonitorNow(checks[i]);
    if (scheduledToo)
        for (const std::size_t i : plan.scheduled)
            link->MonitorNow(checks[i]);
}

void MonitorFolderNow(CQMonApp& app) {
    if (!Ready(app) || RefusedWhileServiceStopped(app))
        return;
    CSnNode* folder = CSnCfg::FindNode(app.Root(), app.Frame()->Tree()->SelectedFolderId());
    if (folder != nullptr && !folder->IsFolder())
        folder = CSnCfg::FindParentFolder(app.Root(), folder->Id());
    if (folder == nullptr)
        return;
    const bool scheduledToo = CSnCfg::HasScheduledCheck(folder) && AskYes(app, Text(51745));
    if (CSnIPC* link = app.Store()->Link())
        link->MonitorSubtreeNow(folder, scheduledToo);
}

void Hold(CQMonApp& app) {
    if (!Ready(app))
        return;
    CWaitCursor wait;
    const std::vector<CSnNode*> checks = SelectedChecks(app);
    if (checks.empty())
        return;
    CSnCfg& store = *app.Store();
    if (long code = store.BeginConnection()) {
        app.ShowErrorCode(code);
        return;
    }
    std::vector<std::int32_t> held;
    for (const CSnNode* check : checks)
        held.push_back(check->Cfg.OnHold);
    const std::int32_t value = checkstate::NewHoldValue(held);
    bool failed = false;
    bool stale = false;
    bool unannounced = false; // a write happened, and the announcing last one did not
    for (std::size_t i = 0; i < checks.size(); ++i) {
        // The stored record, not the listed node: another Manager may have changed it.
        CSnNode work;
        work.Cfg.ID = checks[i]->Id();
        if (store.ReadNode(&work) != 0) {
            app.Ui().Message(Text(51472), CUiSeam::Icon::Error);
            stale = true; // the record went away under the list
            continue;
        }
        work.Cfg.OnHold = value;
        // One announcement for the whole selection, with the last write.
        const bool last = i + 1 == checks.size();
        if (long code = store.WriteNode(&work, last, last)) {
            app.ShowErrorCode(code);
            failed = true;
            break;
        }
        checks[i]->Cfg.OnHold = value;
        unannounced = !last;
        // An interval check is run at once: a released one need not wait for its period.
        if (work.Cfg.ScanFrequency.Mode == sheetrules::kModeInterval)
            if (CSnIPC* link = store.Link())
                link->MonitorNow(&work);
    }
    if (unannounced)
        store.SignalConfigChanged(true, true);
    store.EndConnection();
    if (failed || stale) {
        // The window must show what the database holds.
        app.ReloadAndRebuild();
        return;
    }
    app.Frame()->List()->Refresh();
    app.Frame()->UpdateCommandStates();
}

void ClearFailure(CQMonApp& app) {
    if (!Ready(app))
        return;
    const std::vector<CSnNode*> checks = SelectedChecks(app);
    std::vector<std::int32_t> statuses;
    for (const CSnNode* check : checks)
        statuses.push_back(check->Result.Status);
    const checkstate::CClearPlan plan = checkstate::PlanClearFailure(statuses);
    switch (plan.message) {
    case 0:
        return;
    case 51749:
        app.Ui().Message(Text(51749), CUiSeam::Icon::Warning);
        return;
    case 51748:
        if (!AskYes(app, CQvcString().FormatGrow(MessageText(51748), plan.clearable, plan.selected)))
            return;
        break;
    default:
        if (!AskYes(app, Text(plan.message)))
            return;
    }
    if (CSnIPC* link = app.Store()->Link())
        for (const std::size_t i : plan.targets)
            link->ClearFailureNow(checks[i]);
}

} // namespace

void RegisterCheckStateCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kReadOnly, [&app](int) { ToggleReadOnly(app); });
    registry.Add(cmd::kMonitorSelectedNow, [&app](int) { MonitorSelectedNow(app); });
    registry.Add(cmd::kMonitorFolderNow, [&app](int) { MonitorFolderNow(app); });
    registry.Add(cmd::kHold, [&app](int) { Hold(app); });
    registry.Add(cmd::kClearFailure, [&app](int) { ClearFailure(app); });
}
