#pragma once
// The commands that create and edit checks: "New Monitoring Check" (72), the preset
// "New VBScript/PowerShell/SSH Check" (73 to 75), and the check's side of "Properties"
// (77), which the folder commands register.
class CCommandRegistry;
class CQMonApp;

void RegisterCheckCommands(CQMonApp& app, CCommandRegistry& registry);

// Properties on the list's selected check: its property sheet, then the save.
void EditCheck(CQMonApp& app);
