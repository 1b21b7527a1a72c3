#pragma once
// The application's own commands: About, Exit, Show Log File, Capture Activity View and
// the Engine service watcher's two reports.
class CCommandRegistry;
class CQMonApp;

void RegisterAppCommands(CQMonApp& app, CCommandRegistry& registry);
