#pragma once
// CContextMenu: a popup menu whose items carry command identifiers, as the views' context
// menus are built: each item is enabled and ticked by its command's rule over the snapshot
// the menu was made with (CQMonApp::QueryCommand), and the chosen item's identifier is
// what the view hands on.
#include "model/console/CommandRules.h"

#include <QMenu>

class CQMonApp;

class CContextMenu final : public QMenu {
    Q_OBJECT
public:
    CContextMenu(const QString& title, QWidget* parent, const CQMonApp& app, const CCommandSnapshot& snapshot);

    QAction* Add(int id, const char* text);
    // The five "New ..." items that the folder menu and the empty-list menu share.
    void AddNewCommands();

private:
    const CQMonApp& m_app;
    CCommandSnapshot m_snapshot;
};
