#pragma once
// The commands that change or request the state of checks rather than their settings:
// "Read Only" (24), monitor now for the selected checks (78) or the selected folder (79),
// "Hold" (81) and "Clear Failure" (82).
class CCommandRegistry;
class CQMonApp;

void RegisterCheckStateCommands(CQMonApp& app, CCommandRegistry& registry);
