#pragma once
// CFrameRefreshHost: what the refresh cycle asks of the Manager's main window.  The store
// and engine-link half comes from CSnStoreRefreshHost; this class adds the views (tree,
// list, activity view), the wait cursor, the timer and closing, all on the GUI thread.
#include "model/console/SnStoreRefreshHost.h"

class CMainFrame;
class CQMonApp;

class CFrameRefreshHost final : public CSnStoreRefreshHost {
public:
    CFrameRefreshHost(CQMonApp& app, CMainFrame& frame);

    // The application's reload, which empties the views before the nodes go.
    long ReloadAllNodes() override;

    void RebuildTree() override;
    void RefreshList() override;
    int ListRowCount() override;
    bool ActivityCaptureOn() override;
    void RefreshActivity() override;

    void StartServiceWatch() override;
    void SetWaitCursor(bool on) override;
    void StopTimer() override;
    void PostImmediateTick() override;
    // The message, then a queued close of the frame: the window goes once the cycle that
    // decided it has returned.
    void ShowErrorAndClose(const CQvcString& text) override;

private:
    CQMonApp& m_app;
    CMainFrame& m_frame;
};
