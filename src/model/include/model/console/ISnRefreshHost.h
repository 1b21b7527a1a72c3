#pragma once
// ISnRefreshHost: everything the refresh cycle (CSnRefreshCycle) asks of the window that
// runs it.  The cycle decides when to probe, reload and refresh; the host does it.  The
// main frame implements the view and window parts; CSnStoreRefreshHost supplies the
// store and engine-link parts, so that a frame only adds its views.
#include "library/QvcString.h"

class ISnRefreshHost {
public:
    virtual ~ISnRefreshHost() = default;

    // --- store and engine link -----------------------------------------------------
    // The engine link's access probe (true when access is confirmed).
    virtual bool ProbeAccess(bool writable, const CQvcString& computerName) = 0;
    // The change counter "NM" and the results counter "Results" (0 when missing).
    virtual long ReadConfigCounter() = 0;
    virtual long ReadResultsCounter() = 0;
    // A new "NM" only (the Refresh command).
    virtual void SignalManagersChanged() = 0;
    // Frees the node tree and loads every node again: 0 or the store's code.
    virtual long ReloadAllNodes() = 0;
    // Fills the result fields of every node from the result file.
    virtual void LoadResults() = 0;

    // --- views ----------------------------------------------------------------------
    // Rebuilds the folder tree and selects the remembered folder again.
    virtual void RebuildTree() = 0;
    virtual void RefreshList() = 0;
    virtual int ListRowCount() = 0;
    // The application's activity-capture flag, and the activity view's refresh.
    virtual bool ActivityCaptureOn() = 0;
    virtual void RefreshActivity() = 0;

    // --- the frame ------------------------------------------------------------------
    // Starts the watcher of the engine's service (first tick only).
    virtual void StartServiceWatch() = 0;
    virtual void SetWaitCursor(bool on) = 0;
    // Stops the timer for good (after a fatal failure).
    virtual void StopTimer() = 0;
    // Runs one more cycle as soon as the window's event loop gets to it (never from
    // inside the caller).
    virtual void PostImmediateTick() = 0;
    // Shows `text` in a message box with the error icon and then asks the frame to close
    // (the Manager ends).
    virtual void ShowErrorAndClose(const CQvcString& text) = 0;
};
