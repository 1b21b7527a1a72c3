#pragma once
// CQMonApp: the Manager's process-wide root.  It runs the start-up sequence (open the
// configuration, recover from an incompatible one with the template, create the main
// window, probe read and write access), owns the store, the root node and the main
// window for the program's life, and dispatches the menu commands: every command arrives
// here by its number (OnCommand) and runs the handler that its folder registered, and
// QueryCommand says whether a command is enabled or ticked (its rule over a snapshot of
// this object's state, and a registered handler), so that the menus, the toolbar, the
// context menus and the tests all see the same rules.
#include "library/QvcBase.h"
#include "manager/app/CommandRegistry.h"
#include "manager/checks/CheckDialogRegistry.h"
#include "manager/mainframe/DragState.h"
#include "manager/service/ServiceStateUi.h"
#include "manager/app/UiSeam.h"
#include "model/console/CommandRules.h"
#include "model/store/SnCfg.h"
#include "model/service/ISnServiceControl.h"
#include "model/service/SnEngineServiceState.h"
#include "model/console/SnRefreshCycle.h"
#include "platform/Process.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <vector>

class CMainFrame;
class CSnNode;

class CQMonApp final : public QObject, private CQvcBase {
    Q_OBJECT
public:
    struct Options {
        // Makes the configuration component; empty for the SQLite component.  Tests use it
        // to play a database that fails on purpose.
        CSnCfg::ComponentFactory componentFactory;
        // Never enter a modal loop: message boxes, dialogs and menus are answered by the
        // UI seam's script (tests and headless runs).
        bool scriptedUi = false;
        // Show the main window (maximised) at start-up.
        bool showWindow = true;
        // The refresh cycle's clocks (tick count in milliseconds, seconds since 1970) and
        // the activity view's; empty for the system's.  Tests drive them by hand.
        CSnRefreshCycle::TickSource cycleTicks;
        CSnRefreshCycle::SecondsSource cycleSeconds;
        // Watch the engine's service from the first tick on, and how long the watcher
        // waits before its first period begins.
        bool watchService = true;
        std::chrono::milliseconds watchStartDelay{1000};
        // Makes the service control of the watcher and of each Service dialog; empty for
        // the product's.  Tests script the service this way.
        ServiceControlFactory serviceControl;
        // Starts the programs that show files; null for the system's launcher.
        platform::IProcessLauncher* launcher = nullptr;
    };
    using CommandState = CCommandState;

    static constexpr const char* kTitle = "Quorvane Sentrelle Manager";
    // The product name that messages about the Engine service fill in.
    static constexpr const char* kProductName = "Quorvane Sentrelle";

    CQMonApp();
    explicit CQMonApp(Options options);
    ~CQMonApp() override;
    CQMonApp(const CQMonApp&) = delete;
    CQMonApp& operator=(const CQMonApp&) = delete;

    // The start-up sequence; false when the program must end without a main window.
    bool InitInstance();
    // Closes the main window, frees every node and closes the store.
    void ExitInstance();

    // --- what the views and commands consult ----------------------------------------------
    const Options& GetOptions() const { return m_options; }
    CSnCfg* Store() const { return m_store.get(); }
    CSnNode* Root() const { return m_root; }
    // The holder through which the store's tree operations replace the root.
    CSnNode*& RootHolder() { return m_root; }
    CMainFrame* Frame() const { return m_frame.get(); }
    CUiSeam& Ui() { return m_ui; }
    CDragState& Drag() { return m_drag; }

    // A root node with identifier 1 exists (a failed load leaves one with 0).
    bool Loaded() const;
    bool Readable() const { return m_readable; }
    bool Writable() const { return m_writable; }
    // The "Read Only" command switches the flag for the rest of the run.
    void SetWritable(bool writable) { m_writable = writable; }
    bool ActivityCapture() const { return m_activityCapture; }
    void SetActivityCapture(bool on) { m_activityCapture = on; }
    bool ServiceStopped() const { return m_serviceState.IsStopped(); }
    const CSnEngineServiceState& ServiceState() const { return m_serviceState; }
    // The number of checks on the check clipboard; 0 unless every copied identifier
    // names a node of the current tree.
    int CopiedCount() const;

    // --- commands -------------------------------------------------------------------------
    // Runs the registered handler of `id`; a command without one does nothing.
    void OnCommand(int id);
    // The command's rule over the current snapshot; disabled without a handler.
    CommandState QueryCommand(int id) const;
    CommandState QueryCommand(int id, const CCommandSnapshot& snapshot) const;
    // What the rules look at: the store, the views' selection and focus, the bars.
    CCommandSnapshot CommandSnapshot() const;
    CCommandRegistry& Commands() { return m_commands; }
    // The dialogs the property sheet opens, filled by the folders that hold them.
    CCheckDialogRegistry& CheckDialogs() { return m_checkDialogs; }

    // --- shared operations ------------------------------------------------------------------
    // The error text of a code (with a full stop appended when it has none) in an error box.
    void ShowErrorCode(long code);
    // The store frees the node tree and loads every node again; 0 or the load's code.
    long ReloadAllNodes();
    // After a failed save: reload everything and rebuild the tree, so that the screen
    // shows what the database holds.
    void ReloadAndRebuild();

    // The Engine service watcher's reports (commands 196 and 197).
    void OnServiceRunning();
    void OnServiceStopped();
    // "Show Log File", and a text file in the text viewer: 0 or -1 after a message.
    int ShowLogFile();
    int ViewInTextViewer(const CQvcString& file);

private:
    long OpenStore();
    long RecoverFromTemplate();
    void ProbeAccess();
    platform::IProcessLauncher& Launcher() const;
    void ShowError(const CQvcString& text);

    Options m_options;
    CUiSeam m_ui;
    CDragState m_drag;
    std::unique_ptr<CSnCfg> m_store;
    CSnNode* m_root = nullptr;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_readable = true;
    bool m_writable = true;
    bool m_activityCapture = false;
    CServiceStateUi m_serviceUi{*this};
    CSnEngineServiceState m_serviceState{m_serviceUi};
    CCommandRegistry m_commands;
    CCheckDialogRegistry m_checkDialogs;
    // The identifiers on the clipboard, read once per clipboard change: asking another
    // program for its clipboard on every menu update could stall the window.
    mutable std::vector<long> m_clipboardIds;
    mutable bool m_clipboardRead = false;
};
