#pragma once
// The main window's commands: Refresh, Select All, the list's columns, the looks and the
// toolbar and status bar switches.
class CCommandRegistry;
class CQMonApp;

void RegisterFrameCommands(CQMonApp& app, CCommandRegistry& registry);
