#pragma once
// CViewList: the check list, the right pane of the main window.  One row per check that
// lies in the folder selected in the tree or in any folder below it, twelve columns of
// configuration and last-result data, a state image per row, a sort on any column, a
// column chooser on the header and the check context menu.  Rows point at check nodes
// that the store owns; the list never frees them.  The refresh cycle calls Refresh to
// bring the images and the result columns up to date without rebuilding the rows.
#include "library/QvcBase.h"
#include "manager/mainframe/CheckListModel.h"
#include "model/link/SnChangeDetector.h"
#include "model/settings/SnDateTimeSettings.h"

#include <QTreeView>

#include <cstdint>
#include <functional>
#include <vector>

class CQMonApp;
class CSnNode;
class CStateImages;
class QMenu;

class CViewList final : public QTreeView, private CQvcBase {
    Q_OBJECT
public:
    // Seconds since 1970: what "now" is for the fresh images and the "Processing" text.
    using Clock = std::function<std::int64_t()>;

    static constexpr int kColumns = CCheckListModel::kColumns;
    // The width of a column shown again from the column menus.
    static constexpr int kShownWidth = 150;
    // The mime type of checks dragged from the list.
    static constexpr const char* kDragMime = "application/x-sentrelle-checks";

    CViewList(CQMonApp& app, const CStateImages& images, QWidget* parent = nullptr);
    // Writes the widths of columns 0 to 6 back to the preferences.
    ~CViewList() override;

    // Rebuilds the rows for the folder and its subfolders, sorts them and selects the
    // reselect row again: a negative `reselect` clears the reselect ID, a positive one
    // becomes it, 0 keeps it.
    void ShowFolder(CSnNode* folder, long reselect);
    // Images and columns 6 to 11 of every row, writing only cells whose text changed.
    void Refresh();
    // Finds the row of the reselect ID (from the last row up) and scrolls to it; it is
    // selected when the list has the focus, only made current otherwise.
    void Reselect();
    // Selects every row, brings the list to the front and gives it the focus.
    void SelectAllRows();
    void ClearAll();

    int RowCount() const;
    int SelectedCount() const;
    // The selected rows' nodes in row order (rows without a node are left out).
    std::vector<CSnNode*> SelectedNodes() const;
    std::vector<int> SelectedRows() const;
    long ReselectId() const { return m_reselectId; }
    // Set while the list has the keyboard focus.
    bool HasFocusFlag() const { return m_hasFocus; }

    // Column widths are kept in layout units: the widths the product has always stored,
    // made for a font whose average character is 5 pixels wide.  The list turns them into
    // pixels for its own font, so that the stored defaults fit their texts in any font.
    // 0 for a hidden column.
    int ColumnWidth(int column) const;
    // Shows a column with kShownWidth or hides it.
    void ShowColumn(int column, bool show);
    // View > Columns: shows a hidden column, hides a shown one.
    void ToggleColumn(int column);
    static int DefaultWidth(int column);

    // A click on a column header: the same column flips the order, another one sorts
    // ascending.  The arrow marks the sort column.
    void OnColumnClick(int column);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_ascending; }

    // The header's column menu and the list's context menu, shown through the UI seam.
    void ShowColumnChooser(const QPoint& globalPos);
    void ShowContextMenu(const QPoint& globalPos);

    // Starts a drag of the selected rows (only on a writable configuration).
    bool BeginDrag();

    // The state image of a row: type, hold, then status, with the fresh variants.
    static int RowImage(const CSnNode& node, std::int64_t now);

    CCheckListModel& Model() { return m_model; }
    void SetClock(Clock clock);

signals:
    // The rows or their selection changed (the frame updates its commands and status).
    void ContentChanged();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    // Lists every check below `folder` (or `folder` itself when it is a check).
    void Walk(CSnNode* folder);
    void ListCheck(CSnNode* node, const CQvcString& path);
    void InsertRow(CSnNode* node);
    void RefreshDateTimeSettings();
    bool ShowsName(int row, const CQvcString& name) const;
    void MarkSortColumn();
    QPixmap DragImage() const;
    int ToPixels(long units) const;

    CQMonApp& m_app;
    const CStateImages& m_images;
    CCheckListModel m_model;
    Clock m_clock;
    double m_unitScale = 1.0; // pixels per layout unit
    int m_sortColumn = 0;
    bool m_ascending = true;
    long m_reselectId = 0;
    bool m_hasFocus = false;
    CSnDateTimeSettings m_dateTime;
    bool m_dateTimeLoaded = false;
    std::uint32_t m_dateTimeGeneration = 0;
    CSnChangeDetector m_globalSettings;
};
