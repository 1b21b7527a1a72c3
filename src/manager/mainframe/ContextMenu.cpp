#include "manager/mainframe/ContextMenu.h"

#include "manager/app/QMonApp.h"
#include "model/console/CommandIds.h"

CContextMenu::CContextMenu(const QString& title, QWidget* parent, const CQMonApp& app,
                           const CCommandSnapshot& snapshot)
    : QMenu(title, parent), m_app(app), m_snapshot(snapshot) {}

QAction* CContextMenu::Add(int id, const char* text) {
    const CCommandState state = m_app.QueryCommand(id, m_snapshot);
    QAction* action = addAction(QString::fromUtf8(text));
    action->setData(id);
    action->setEnabled(state.enabled);
    action->setCheckable(state.checkable);
    action->setChecked(state.checked);
    return action;
}

void CContextMenu::AddNewCommands() {
    Add(cmd::kNewCheck, "&New Monitoring Check...");
    Add(cmd::kNewVBScriptCheck, "New &VBScript Check...");
    Add(cmd::kNewPowerShellCheck, "New &PowerShell Check...");
    Add(cmd::kNewSshCheck, "New &SSH Check (Linux/Unix)...");
    Add(cmd::kNewFolder, "New &Folder...");
}
