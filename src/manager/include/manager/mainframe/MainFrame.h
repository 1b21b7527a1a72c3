#pragma once
// CMainFrame: the Manager's main window.  It lays out the three panes (folder tree and
// check list side by side above the activity view), owns the state images that the tree
// and the list share, carries the menu bar, the toolbar and the status bar, applies the
// visual style, and runs the window's one timer.
//
// The timer: every tick (period MfTimerMsecs) runs one step of the refresh cycle
// (CSnRefreshCycle, which holds the timing rules): access probe, configuration reload on a
// new "NM", results on a new "Results", view updates.  The first tick starts the engine
// service's watcher (CThreadCheckService); its reports arrive through a GUI-thread sink
// as the commands 196 and 197.  Closing stops the watcher, waiting for it at most about
// two seconds.
#include "library/QvcBase.h"
#include "manager/mainframe/StateImages.h"
#include "manager/mainframe/ViewList.h"
#include "manager/mainframe/ViewLog.h"
#include "manager/mainframe/ViewTree.h"
#include "model/console/SnRefreshCycle.h"

#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QTimer>

#include <map>
#include <memory>

class CFrameRefreshHost;
class CGuiPostSink;
class CQMonApp;
class CThreadCheckService;
class QAction;
class QToolBar;

class CMainFrame final : public QMainWindow, private CQvcBase {
    Q_OBJECT
public:
    explicit CMainFrame(CQMonApp& app);
    ~CMainFrame() override;

    // --- panes --------------------------------------------------------------------------
    CViewTree* Tree() { return &m_tree; }
    CViewList* List() { return &m_list; }
    CViewLog* Log() { return &m_log; }
    QSplitter* OuterSplitter() { return &m_outer; }
    QSplitter* InnerSplitter() { return &m_inner; }
    const CStateImages& Images() const { return m_images; }

    // --- commands -----------------------------------------------------------------------
    // The action that carries a command identifier; null for an unknown one.
    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return m_toolbar; }
    // Sets every action's enabled and ticked state from CQMonApp::QueryCommand, and the
    // status bar's panes.
    void UpdateCommandStates();

    // --- visual style ---------------------------------------------------------------------
    int Look() const { return m_look; }
    // Applies a look (0 and out-of-range values give the default look 2) and writes it to
    // the AppLook preference.
    void SetLook(int look);

    // --- refresh cycle ---------------------------------------------------------------------
    QTimer& Timer() { return m_timer; }
    CSnRefreshCycle& Cycle() { return *m_cycle; }
    void SuspendCycle() { m_cycle->Suspend(); }
    void ResumeCycle() { m_cycle->Resume(); }
    bool CycleEnabled() const { return m_cycle->IsCycleEnabled(); }
    // Runs a tick as soon as the event loop is free (several posts make one tick).
    void PostTimerTick();
    // One timer tick of the refresh cycle.
    void OnTimerTick();
    // Refresh (F5): announces a configuration change to the Managers and runs a tick at
    // once, so that everything is reloaded even when nothing changed.
    void OnRefreshCommand();
    // Rebuilds the tree and selects the remembered folder again.
    void RebuildTree();

    // --- engine service watch ------------------------------------------------------------------
    // Starts the watcher for the store's Engine computer (the first tick does this unless
    // the application's options switch the watch off).
    void StartServiceWatch();
    // The watcher; null before the first tick.
    CThreadCheckService* ServiceWatcher() { return m_watcher.get(); }
    CGuiPostSink& PostSink() { return *m_sink; }
    // True once the window was closed (by the user or by the cycle).
    bool Closed() const { return m_closed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The first time the window is shown, the first tick (the one that loads the tree)
    // runs at once instead of after the timer's period.
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreatePanes();
    void AddToMenu(QMenu* menu, std::initializer_list<int> ids);
    void UpdateStatusPanes();
    void PlaceSplitters();

    CQMonApp& m_app;
    CStateImages m_images;
    std::map<int, std::unique_ptr<QAction>> m_actions;
    QActionGroup m_lookGroup;
    QToolBar* m_toolbar = nullptr;
    // Containers before their contents: members are destroyed in reverse order, so each
    // pane leaves its splitter before the splitter goes.
    QSplitter m_outer;
    QSplitter m_inner;
    CViewTree m_tree;
    CViewList m_list;
    CViewLog m_log;
    QLabel m_message;
    QLabel m_checkCount;
    QLabel m_access;
    QTimer m_timer;
    int m_look = 2;
    bool m_tickPosted = false;
    bool m_shownOnce = false;
    bool m_closed = false;
    // Until the user moves a splitter, the panes keep their first proportions.
    bool m_splitMoved = false;
    std::unique_ptr<CFrameRefreshHost> m_host;
    std::unique_ptr<CSnRefreshCycle> m_cycle;
    std::unique_ptr<CGuiPostSink> m_sink;
    std::unique_ptr<CThreadCheckService> m_watcher;
};

// Keeps the frame's refresh cycle suspended for its lifetime, so that a timer tick cannot
// reload the node tree under a dialog or a command that works on the nodes.
class CSuspendedCycle {
public:
    explicit CSuspendedCycle(CMainFrame& frame) : m_frame(frame) { m_frame.SuspendCycle(); }
    ~CSuspendedCycle() { m_frame.ResumeCycle(); }
    CSuspendedCycle(const CSuspendedCycle&) = delete;
    CSuspendedCycle& operator=(const CSuspendedCycle&) = delete;

private:
    CMainFrame& m_frame;
};
