#include "manager/app/ScreenshotRun.h"

#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"
#include "model/tree/SnNode.h"

#include <QCoreApplication>
#include <QPixmap>

#include <cstdio>

namespace {
constexpr int kPollMs = 250;
// Ticks to wait after the first result, so that every check has a chance to report.
constexpr int kSettlePolls = 12;
} // namespace

CScreenshotRun::CScreenshotRun(CQMonApp& app, QString path, int seconds)
    : m_app(app), m_path(std::move(path)), m_seconds(seconds) {
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &CScreenshotRun::Poll);
}

void CScreenshotRun::Start() { m_timer.start(); }

bool CScreenshotRun::ResultsShown(CQMonApp& app) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr)
        return false;
    CCheckListModel& model = frame->List()->Model();
    for (int row = 0; row < model.rowCount(); ++row)
        if (const CSnNode* node = model.Node(row))
            if (node->Result.Status != 0 && !model.Text(row, 7).empty())
                return true;
    return false;
}

bool CScreenshotRun::Save(CQMonApp& app, const QString& path) {
    CMainFrame* frame = app.Frame();
    return frame != nullptr && frame->grab().save(path, "PNG");
}

void CScreenshotRun::Poll() {
    m_waited += kPollMs;
    if (m_settle < 0 && ResultsShown(m_app))
        m_settle = kSettlePolls;
    if (m_settle > 0) {
        --m_settle;
        return;
    }
    if (m_settle < 0 && m_waited < m_seconds * 1000)
        return;
    m_timer.stop();
    if (m_settle < 0)
        std::fprintf(stderr, "sentrelle-manager: no results after %d s; saving the window as it is\n", m_seconds);
    const bool saved = Save(m_app, m_path);
    if (!saved)
        std::fprintf(stderr, "sentrelle-manager: cannot save '%s'\n", m_path.toLocal8Bit().constData());
    QCoreApplication::exit(saved ? 0 : 1);
}
