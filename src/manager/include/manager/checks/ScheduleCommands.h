#pragma once
// The schedule dialogs' entries: "Schedule..." and "Configure Maintenance..." of the check
// property sheet, and Tools > "Maintenance..." (58), which edits the global maintenance
// windows in the configuration store.
class CCheckDialogRegistry;
class CCommandRegistry;
class CQMonApp;

void RegisterScheduleDialogs(CQMonApp& app, CCheckDialogRegistry& dialogs, CCommandRegistry& commands);
