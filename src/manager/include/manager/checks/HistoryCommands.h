#pragma once
// The history and graph commands: "Show History (Detail)..." (83), "Show History
// (Availability)..." (84), "Show Graph..." (85) for the selected checks and "Create New
// Graph..." (65), which graphs the selected folder's checks when the tree has the focus.
class CCommandRegistry;
class CQMonApp;

void RegisterHistoryCommands(CQMonApp& app, CCommandRegistry& registry);
