#include "manager/mainframe/ViewLog.h"

#include "model/console/CommandIds.h"
#include "manager/mainframe/ContextMenu.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"
#include "model/store/SnCfg.h"

#include <QContextMenuEvent>
#include <QHeaderView>

#include <algorithm>
#include <memory>

namespace {

constexpr int kMinColumnWidth = 1200;

} // namespace

CViewLog::CViewLog(CQMonApp& app, QWidget* parent)
    : QTreeWidget(parent), CQvcBase("CViewLog"), m_app(app),
      m_tracker(
          [&app](CSnDateTimeSettings& settings) {
              if (CSnCfg* store = app.Store())
                  settings.Read(*store);
          },
          app.GetOptions().cycleSeconds) {
    setObjectName("activityView");
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("Activity View")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(true);
}

void CViewLog::showEvent(QShowEvent* event) {
    QTreeWidget::showEvent(event);
    setColumnWidth(0, std::max(kMinColumnWidth, viewport()->width()));
}

void CViewLog::Refresh() {
    CSnCfg* store = m_app.Store();
    if (store == nullptr || store->Link() == nullptr)
        return;
    CQvcSectionString log;
    store->Link()->ReadActivityLog(log);
    const CSnActivityTracker::Update update = m_tracker.Refresh(log);
    // Each added row goes above the ones before it: the last added ends on top.
    for (const CQvcString& text : update.added) {
        auto item = std::make_unique<QTreeWidgetItem>(QStringList{QString::fromUtf8(text.c_str())});
        insertTopLevelItem(0, item.release());
    }
    for (std::size_t i = 0; i < update.removed && topLevelItemCount() > 0; ++i) {
        std::unique_ptr<QTreeWidgetItem> gone(takeTopLevelItem(topLevelItemCount() - 1));
    }
    if (!update.added.empty())
        Trace(kTraceFile, "activity view: %zu rows added, %zu removed\n", update.added.size(), update.removed);
}

void CViewLog::Reformat() {
    m_tracker.Restart();
    clear();
    Refresh();
}

QStringList CViewLog::RowTexts() const {
    QStringList rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        rows << topLevelItem(i)->text(0);
    return rows;
}

void CViewLog::contextMenuEvent(QContextMenuEvent* event) {
    CContextMenu menu("Activity", this, m_app, m_app.CommandSnapshot());
    menu.Add(cmd::kCaptureActivity, "&Capture Activity Log info");
    if (QAction* chosen = m_app.Ui().PopupMenu(menu, event->globalPos())) {
        m_app.OnCommand(chosen->data().toInt());
        if (m_app.Frame() != nullptr)
            m_app.Frame()->UpdateCommandStates();
    }
    event->accept();
}
