#pragma once
// CContextMenu: a popup menu whose items carry command identifiers, as the views' context
// menus are built: each item is enabled by its rule when the menu is made, and the chosen
// item's identifier is what the view hands on.
#include <QMenu>

class CContextMenu final : public QMenu {
    Q_OBJECT
public:
    CContextMenu(const QString& title, QWidget* parent);

    QAction* Add(int id, const char* text, bool enabled);
    // The five "New ..." items that the folder menu and the empty-list menu share.
    void AddNewCommands(bool enabled);
};
