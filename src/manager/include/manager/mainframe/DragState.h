#pragma once
// CDragState: the drag between the folder tree and the check list, kept by the
// application so that a drag begun in one view can be dropped on the other.
class QTreeWidgetItem;
class QWidget;

struct CDragState {
    enum class Source { None, Tree, List };

    bool dragging = false;
    Source source = Source::None;
    QTreeWidgetItem* draggedItem = nullptr; // the folder dragged from the tree
    QTreeWidgetItem* dropTarget = nullptr;  // the last folder highlighted during this drag
    int draggedRow = -1;                    // the list row under the cursor at the start
    int listDropIndex = -1;

    void Reset() { *this = CDragState(); }
};
