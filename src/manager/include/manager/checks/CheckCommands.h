#pragma once
// The commands that create and edit checks: "New Monitoring Check" (72), the preset
// "New VBScript/PowerShell/SSH Check" (73 to 75) and "Properties" (77) on a selected check.
class CCommandRegistry;
class CQMonApp;

void RegisterCheckCommands(CQMonApp& app, CCommandRegistry& registry);
