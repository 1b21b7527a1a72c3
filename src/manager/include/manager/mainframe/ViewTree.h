#pragma once
// CViewTree: the folder tree, the left pane of the main window.  It shows folders only,
// each level in alphabetical order, remembers the selected folder and lets the check
// list show it, offers the folder context menu, moves a folder dragged onto another and
// takes checks dragged from the list.  Items point at folder nodes that the store owns;
// the whole tree is thrown away and rebuilt whenever the node tree may have changed.
#include "library/QvcBase.h"

#include <QTreeWidget>

#include <unordered_map>

class CQMonApp;
class CSnNode;
class CStateImages;
class CViewList;
class QMenu;

class CViewTree final : public QTreeWidget, private CQvcBase {
    Q_OBJECT
public:
    // Item data: the folder node, and the indexes of its normal and selected images.
    static constexpr int kNodeRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1;
    static constexpr int kSelectedImageRole = Qt::UserRole + 2;
    // The mime type of a folder dragged inside the tree.
    static constexpr const char* kDragMime = "application/x-sentrelle-folder";

    CViewTree(CQMonApp& app, const CStateImages& images, QWidget* parent = nullptr);

    // The check list that shows the selected folder.
    void SetList(CViewList* list) { m_list = list; }

    // Clears and refills the tree from the store's root, selects the remembered folder
    // (the root when it is gone) and lets the list show it.
    void Rebuild();
    // Removes every item (before the store frees the nodes the items point at).
    void Clear();
    // Expands the path to the folder and selects it; an ID that is not in the tree falls
    // back to the root, and nothing happens when the root is missing too.
    void SelectFolder(long id);

    QTreeWidgetItem* FindItem(long id) const;
    static CSnNode* FolderOfItem(const QTreeWidgetItem* item);
    CSnNode* FolderById(long id) const;
    long SelectedFolderId() const { return m_selectedId; }
    // Set while the tree has the keyboard focus.
    bool HasFocusFlag() const { return m_hasFocus; }

    // The folder context menu for the current item, shown through the UI seam.
    void ShowContextMenu(const QPoint& globalPos);

    // Dragging.  BeginDrag records a folder drag (only on a writable configuration);
    // DragOver highlights the folder under the cursor as the drop target; Drop ends the
    // drag of either view there: checks from the list move into the target folder, a
    // folder from the tree moves below it.
    bool BeginDrag(QTreeWidgetItem* item);
    void DragOver(QTreeWidgetItem* item);
    void Drop();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void InsertSubtree(CSnNode* node, QTreeWidgetItem* parent);
    QTreeWidgetItem* InsertNode(CSnNode* node, QTreeWidgetItem* parent);
    void SortChildren(QTreeWidgetItem* parent);
    QString Label(const CSnNode& node) const;
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void SetDropHighlight(QTreeWidgetItem* item);
    void MoveChecks(QTreeWidgetItem* target);
    void MoveFolder(QTreeWidgetItem* dragged, QTreeWidgetItem* target);

    CQMonApp& m_app;
    const CStateImages& m_images;
    CViewList* m_list = nullptr;
    std::unordered_map<long, QTreeWidgetItem*> m_paths;
    long m_selectedId = 1;
    bool m_hasFocus = false;
    bool m_rebuilding = false;
    QTreeWidgetItem* m_highlighted = nullptr;
};
