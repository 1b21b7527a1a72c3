#include "manager/ViewLog.h"

#include <QHeaderView>

CViewLog::CViewLog(CQMonApp& app, QWidget* parent) : QTreeWidget(parent), m_app(app) {
    setObjectName("activityView");
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("Activity View")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(true);
}

void CViewLog::Refresh() { static_cast<void>(m_app); }
