#pragma once
// The commands on folders, and those that act on either the tree's folder or the selected
// checks: "New Folder" (76), "Delete" (80), "Rename" (86) and "Properties" (77), which
// opens the folder's sheet with the tree focused and the check's sheet otherwise.
class CCommandRegistry;
class CQMonApp;

void RegisterFolderCommands(CQMonApp& app, CCommandRegistry& registry);
