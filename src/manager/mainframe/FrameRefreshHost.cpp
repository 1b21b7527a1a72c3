#include "manager/mainframe/FrameRefreshHost.h"

#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"

#include <QApplication>
#include <QMetaObject>

CFrameRefreshHost::CFrameRefreshHost(CQMonApp& app, CMainFrame& frame)
    : CSnStoreRefreshHost(*app.Store(), app.RootHolder()), m_app(app), m_frame(frame) {}

long CFrameRefreshHost::ReloadAllNodes() { return m_app.ReloadAllNodes(); }

void CFrameRefreshHost::RebuildTree() { m_frame.RebuildTree(); }

void CFrameRefreshHost::RefreshList() {
    m_frame.List()->Refresh();
    m_frame.UpdateCommandStates();
}

int CFrameRefreshHost::ListRowCount() { return m_frame.List()->RowCount(); }

bool CFrameRefreshHost::ActivityCaptureOn() { return m_app.ActivityCapture(); }

void CFrameRefreshHost::RefreshActivity() { m_frame.Log()->Refresh(); }

void CFrameRefreshHost::StartServiceWatch() { m_frame.StartServiceWatch(); }

void CFrameRefreshHost::SetWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CFrameRefreshHost::StopTimer() { m_frame.Timer().stop(); }

void CFrameRefreshHost::PostImmediateTick() { m_frame.PostTimerTick(); }

void CFrameRefreshHost::ShowErrorAndClose(const CQvcString& text) {
    m_app.Ui().Message(text, CUiSeam::Icon::Error);
    CMainFrame* frame = &m_frame;
    QMetaObject::invokeMethod(frame, [frame] { frame->close(); }, Qt::QueuedConnection);
}
