#include "manager/mainframe/ContextMenu.h"

#include "model/CommandIds.h"

CContextMenu::CContextMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {}

QAction* CContextMenu::Add(int id, const char* text, bool enabled) {
    QAction* action = addAction(QString::fromUtf8(text));
    action->setData(id);
    action->setEnabled(enabled);
    return action;
}

void CContextMenu::AddNewCommands(bool enabled) {
    Add(cmd::kNewCheck, "&New Monitoring Check...", enabled);
    Add(cmd::kNewVBScriptCheck, "New &VBScript Check...", enabled);
    Add(cmd::kNewPowerShellCheck, "New &PowerShell Check...", enabled);
    Add(cmd::kNewSshCheck, "New &SSH Check (Linux/Unix)...", enabled);
    Add(cmd::kNewFolder, "New &Folder...", enabled);
}
