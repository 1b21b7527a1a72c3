#pragma once
// CViewLog: the activity view, the bottom pane of the main window.  It lists the newest
// lines of the Engine's activity log, newest first, at most 200 rows, each as the event's
// time in the configuration's date and time formats, " - " and the event's text.  The
// refresh cycle calls Refresh when it updates the views while activity capture is on;
// CSnActivityTracker decides which lines are new (restart marks included), and the view
// mirrors it.  A right-click offers "Capture Activity Log info", ticked while capture is
// on.
#include "library/QvcBase.h"
#include "model/console/SnActivityTracker.h"

#include <QTreeWidget>

class CQMonApp;

class CViewLog final : public QTreeWidget, private CQvcBase {
    Q_OBJECT
public:
    CViewLog(CQMonApp& app, QWidget* parent = nullptr);

    // Adds the activity that is newer than what the view shows.
    void Refresh();
    // Shows the whole log again in the configuration's current date and time formats.
    void Reformat();
    // The rows as shown, top first.
    QStringList RowTexts() const;
    const CSnActivityTracker& Tracker() const { return m_tracker; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    CQMonApp& m_app;
    CSnActivityTracker m_tracker;
};
