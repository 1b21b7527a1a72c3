#pragma once
// CViewLog: the activity view, the bottom pane of the main window.  For now it is the
// empty pane with its "Activity View" column; reading the Engine's activity log into it
// (newest first, at most 200 rows, restart marks, capture on and off) comes with the
// refresh cycle, which calls Refresh when it updates the views.
#include <QTreeWidget>

class CQMonApp;

class CViewLog final : public QTreeWidget {
    Q_OBJECT
public:
    CViewLog(CQMonApp& app, QWidget* parent = nullptr);

    // Adds the activity that is newer than what the view shows.  Nothing yet.
    void Refresh();

private:
    CQMonApp& m_app;
};
