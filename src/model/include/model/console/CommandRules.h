#pragma once
// When each of the Manager's commands is enabled and when it shows a tick, decided over a
// plain snapshot of the application's state.  The main menu, the toolbar and the context
// menus of the folder tree and the check list all read these rules (through the
// application), so a command is greyed by the same reasoning wherever it appears.
#include <cstdint>

struct CCommandSnapshot {
    bool loaded = false;       // a root folder with identifier 1 exists
    bool writable = false;     // the configuration may be changed in this run
    bool treeFocus = false;    // commands that act on a folder or on checks take the folder
    bool contextMenu = false;  // asked for a context menu (ForFolderMenu / ForCheckMenu)
    int selected = 0;          // checks selected in the check list
    bool allSelectedOnHold = false;
    bool singleSelectedClearable = false; // exactly one check selected, its status error-like
    int copied = 0;            // checks on the check clipboard that the tree still holds
    long serverValue = 0;      // the store's "Server" value
    bool activityCapture = false;
    int lookCommand = 0;       // the Application Look command of the current look, 0 for none
    std::uint32_t shownColumns = 0; // bit c set: list column c is shown
    bool toolbarShown = false;
    bool statusBarShown = false;
};

struct CCommandState {
    bool enabled = false;
    bool checkable = false;
    bool checked = false;
    bool operator==(const CCommandState&) const = default;
};

// The state of command `id`; an identifier without a rule is disabled.
CCommandState CommandRule(int id, const CCommandSnapshot& snapshot);
// Whether `id` has a rule at all.
bool HasCommandRule(int id);

// The folder tree's context menu acts on the selected folder and never on checks.
CCommandSnapshot ForFolderMenu(CCommandSnapshot snapshot);
// The check list's context menu acts on the selected checks, or on the listed folder's
// contents when none is selected, never on the tree's folder.
CCommandSnapshot ForCheckMenu(CCommandSnapshot snapshot);
