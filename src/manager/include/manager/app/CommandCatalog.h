#pragma once
// The catalogue of the main window's commands: for each identifier the menu text, the
// keyboard shortcut, the status-bar help and the icon.  The menu bar, the toolbar and the
// tooltips are all built from it, so a command reads the same wherever it appears.
#include <span>

struct CCommandInfo {
    int id;
    const char* text;     // menu text with its "&" mnemonic
    const char* shortcut; // QKeySequence text, or "" for none
    const char* tip;      // status-bar help ("fly-by" text)
    const char* icon;     // resource name under ":/icons/", or "" for none
};

// The entry of `id`, or nullptr for an identifier that the catalogue does not know.
const CCommandInfo* CommandInfo(int id);
// Every entry, in ascending order of identifier.
std::span<const CCommandInfo> AllCommands();
// The toolbar's commands from left to right; 0 stands for a separator.
std::span<const int> ToolbarLayout();
