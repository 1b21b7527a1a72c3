#include "manager/mainframe/ViewList.h"

#include "library/ErrorReport.h"
#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "manager/mainframe/ContextMenu.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/StateImages.h"
#include "model/checks/CheckListTexts.h"
#include "model/checks/CheckTypes.h"
#include "model/console/ManagerPreferences.h"
#include "model/tree/NodeStatus.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"
#include "platform/System.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int kDefaultWidths[CViewList::kColumns] = {200, 70, 0, 0, 100, 83, 70, 140, 54, 210, 70, 200};
// Only the configuration columns keep their widths across sessions.
constexpr int kSavedColumns = 7;
constexpr int kNewRowImage = 19;
// The average character width, in pixels, of the font the stored widths were made for.
constexpr double kUnitCharWidth = 5.0;

CQvcString WidthKey(int column) {
    CQvcString key;
    return key.Format("column%02d", column);
}

CQvcString RowName(const CSnNode& node) { return CQvcString(" ") + node.Cfg.Name; }

} // namespace

CViewList::CViewList(CQMonApp& app, const CStateImages& images, QWidget* parent)
    : QTreeView(parent), CQvcBase("CViewList"), m_app(app), m_images(images), m_model(images),
      m_clock([] { return platform::SecondsSince1970(); }) {
    setObjectName("checkList");
    setModel(&m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setTextElideMode(Qt::ElideRight);
    setIconSize(QSize(16, 16));

    QHeaderView* head = header();
    head->setSectionsMovable(true); // columns can be reordered by dragging their headers
    head->setSectionsClickable(true);
    head->setSortIndicatorShown(true);
    head->setHighlightSections(false);
    head->setStretchLastSection(true);
    head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    head->setMinimumSectionSize(24);
    head->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(head, &QHeaderView::sectionClicked, this, &CViewList::OnColumnClick);
    connect(head, &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowColumnChooser(header()->viewport()->mapToGlobal(pos)); });

    m_unitScale = std::max(1.0, QFontMetrics(font()).averageCharWidth() / kUnitCharWidth);
    for (int c = 0; c < kColumns; ++c) {
        const long width = prefs::ReadLong("Manager", WidthKey(c).c_str(), kDefaultWidths[c]);
        if (width > 0) {
            setColumnWidth(c, ToPixels(width));
            setColumnHidden(c, false);
        } else {
            setColumnHidden(c, true);
        }
    }
    MarkSortColumn();
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit ContentChanged(); });
}

CViewList::~CViewList() {
    for (int c = 0; c < kSavedColumns; ++c)
        prefs::WriteLong("Manager", WidthKey(c).c_str(), ColumnWidth(c));
}

void CViewList::SetClock(Clock clock) {
    m_clock = clock ? std::move(clock) : Clock([] { return platform::SecondsSince1970(); });
}

int CViewList::DefaultWidth(int column) { return column >= 0 && column < kColumns ? kDefaultWidths[column] : 0; }

// --- rows ------------------------------------------------------------------------------

void CViewList::ClearAll() {
    m_model.Clear();
    emit ContentChanged();
}

void CViewList::ShowFolder(CSnNode* folder, long reselect) {
    if (folder == nullptr) {
        m_app.Ui().Message("Unable to list entries (invalid Folder)", CUiSeam::Icon::Error);
        return;
    }
    RefreshDateTimeSettings();
    // One walk counts the nodes first, so that the rows are allocated once.
    std::size_t nodes = 1;
    WalkTree(folder->ChildNode(), [&nodes](CSnNode*, int) {
        ++nodes;
        return WalkStep::Continue;
    });
    m_model.BeginFill(nodes);
    Walk(folder);
    m_model.EndFill();
    m_model.Sort(m_sortColumn, m_ascending);

    if (reselect < 0)
        m_reselectId = 0;
    else if (reselect > 0)
        m_reselectId = reselect;
    Reselect();
    emit ContentChanged();
}

void CViewList::Walk(CSnNode* folder) {
    if (!folder->IsFolder())
        ListCheck(folder, "");
    // Checks directly in the shown folder show ".", those below ".\Sub", and so on:
    // paths[depth] is the path of the nodes at that depth.
    std::vector<CQvcString> paths{CQvcString(".")};
    WalkTree(folder->ChildNode(), [&](CSnNode* n, int depth) {
        paths.resize(static_cast<std::size_t>(depth) + 1);
        if (!n->IsFolder())
            ListCheck(n, paths.back());
        if (n->ChildNode() != nullptr)
            paths.push_back(paths.back() + "\\" + n->Cfg.Name);
        return WalkStep::Continue;
    });
}

void CViewList::ListCheck(CSnNode* node, const CQvcString& path) {
    node->Manager.FolderPath = path;
    node->Manager.ViewText = "Test";
    InsertRow(node);
}

void CViewList::InsertRow(CSnNode* node) {
    if (node == nullptr) {
        m_app.Ui().Message("Unable to add NULL object", CUiSeam::Icon::Error);
        return;
    }
    CCheckListModel::RowTexts texts;
    texts[0] = RowName(*node);
    texts[1] = CheckTypeText(node->Cfg.Function);
    texts[2] = node->Cfg.Function.ParamServer;
    texts[3] = CQvcString(static_cast<long>(node->Cfg.ID));
    texts[4] = FrequencyText(*node, m_dateTime);
    texts[5] = node->Manager.FolderPath;
    texts[6] = StatusText(*node, 0);
    texts[8] = node->Result.Data;
    texts[9] = node->Result.Response;
    texts[10] = DurationText(node->Result.Duration);
    texts[11] = node->Result.Comment;
    m_model.AppendRow(node, texts, kNewRowImage);
}

int CViewList::RowImage(const CSnNode& node, std::int64_t now) {
    if (node.Cfg.Function.Type == kTypeNone)
        return 23;
    if (node.Cfg.OnHold)
        return 16;
    const bool fresh = node.Result.Processing != 0 || node.Result.LastUpdate == now;
    switch (node.Result.Status) {
    case kStatusSuccess:
        return fresh ? 8 : 7;
    case kStatusError:
        return fresh ? 14 : 13;
    case kStatusFailure:
        return fresh ? 12 : 11;
    case kStatusMaintenance:
        return 15;
    case kStatusErrorByDependee:
        return fresh ? 22 : 21;
    case kStatusFailureByDependee:
        return fresh ? 18 : 17;
    case kStatusUncertain:
        return fresh ? 10 : 9;
    default:
        return fresh ? 20 : 19;
    }
}

void CViewList::RefreshDateTimeSettings() {
    CSnCfg* store = m_app.Store();
    if (store == nullptr)
        return;
    const long counter = store->Link() != nullptr ? store->Link()->ReadGlobalSettingsCounter() : 0;
    if (m_dateTimeLoaded && !m_globalSettings.HasChanged(counter))
        return;
    CSnDateTimeSettings settings;
    if (settings.Read(*store) == 0) {
        m_dateTime = settings;
        ++m_dateTimeGeneration; // every row's time text is made again
    }
    m_dateTimeLoaded = true;
    m_globalSettings.Record(counter);
}

void CViewList::Refresh() {
    const std::int64_t now = m_clock();
    RefreshDateTimeSettings();
    bool anyChanged = false;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        CSnNode* node = m_model.Node(row);
        if (node == nullptr) {
            m_app.Ui().Message("Error while refreshing list view: NULL object detected", CUiSeam::Icon::Error);
            continue;
        }
        // The image and the result columns are made from these alone: a row whose
        // inputs did not change keeps them without formatting or comparing again.
        const CSnNodeResult& result = node->Result;
        CCheckListModel::TextInputs inputs{result.Source,     node->Cfg.Function.Type, node->Cfg.OnHold,
                                           result.Status,     result.Processing,       result.LastUpdate,
                                           result.Duration,   m_dateTimeGeneration,    result.LastUpdate == now,
                                           true};
        CCheckListModel::TextInputs& made = m_model.Inputs(row);
        const bool changed = made != inputs;
        if (changed || !ShowsName(row, node->Cfg.Name))
            m_model.UpdateFirstCell(row, RowName(*node), RowImage(*node, now));
        if (!changed)
            continue;
        anyChanged = true;
        m_model.UpdateCell(row, 6, StatusText(*node, now));
        m_model.UpdateCell(row, 7, LastUpdateText(*node, m_dateTime));
        m_model.UpdateCell(row, 8, result.Data);
        m_model.UpdateCell(row, 9, result.Response);
        m_model.UpdateCell(row, 10, DurationText(result.Duration));
        m_model.UpdateCell(row, 11, result.Comment);
        made = inputs;
    }
    // Only the result columns change in a refresh: a sort on them must be redone when
    // a row's result changed.
    if (anyChanged && m_sortColumn >= 6)
        m_model.Sort(m_sortColumn, m_ascending);
    emit ContentChanged();
}

bool CViewList::ShowsName(int row, const CQvcString& name) const {
    // The first cell is the name after one space (RowName), compared without building it.
    const std::string_view shown = m_model.Text(row, 0);
    return shown.size() == name.Str().size() + 1 && shown.front() == ' ' &&
           shown.compare(1, std::string::npos, name.Str()) == 0;
}

void CViewList::Reselect() {
    if (m_reselectId == 0)
        return;
    for (int row = m_model.rowCount() - 1; row >= 0; --row) {
        const CSnNode* node = m_model.Node(row);
        if (node == nullptr || node->Cfg.ID != m_reselectId)
            continue;
        const QModelIndex at = m_model.index(row, 0);
        scrollTo(at);
        if (m_hasFocus)
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        else
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        return;
    }
    m_reselectId = 0;
}

void CViewList::SelectAllRows() {
    selectAll();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

int CViewList::RowCount() const { return m_model.rowCount(); }

int CViewList::SelectedCount() const { return static_cast<int>(selectionModel()->selectedRows().size()); }

std::vector<int> CViewList::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<CSnNode*> CViewList::SelectedNodes() const {
    std::vector<CSnNode*> nodes;
    for (const int row : SelectedRows())
        if (CSnNode* node = m_model.Node(row))
            nodes.push_back(node);
    return nodes;
}

// --- columns ---------------------------------------------------------------------------

int CViewList::ToPixels(long units) const { return static_cast<int>(std::lround(units * m_unitScale)); }

int CViewList::ColumnWidth(int column) const {
    if (column < 0 || column >= kColumns || isColumnHidden(column))
        return 0;
    return std::max(1, static_cast<int>(std::lround(columnWidth(column) / m_unitScale)));
}

void CViewList::ShowColumn(int column, bool show) {
    if (column < 0 || column >= kColumns)
        return;
    if (show) {
        setColumnHidden(column, false);
        setColumnWidth(column, ToPixels(kShownWidth));
    } else {
        setColumnHidden(column, true);
    }
    emit ContentChanged();
}

void CViewList::ToggleColumn(int column) { ShowColumn(column, ColumnWidth(column) < 1); }

void CViewList::OnColumnClick(int column) {
    if (column < 0 || column >= kColumns)
        return;
    if (column == m_sortColumn) {
        m_ascending = !m_ascending;
    } else {
        m_sortColumn = column;
        m_ascending = true;
    }
    MarkSortColumn();
    m_model.Sort(m_sortColumn, m_ascending);
}

void CViewList::MarkSortColumn() {
    header()->setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CViewList::ShowColumnChooser(const QPoint& globalPos) {
    QMenu menu(this);
    menu.setTitle("Columns");
    for (int c = 0; c < kColumns; ++c) {
        QAction* action = menu.addAction(QString::fromUtf8(CCheckListModel::HeaderText(c)));
        action->setData(c + 1);
        action->setCheckable(true);
        action->setChecked(ColumnWidth(c) != 0);
    }
    const QAction* chosen = m_app.Ui().PopupMenu(menu, globalPos);
    if (chosen == nullptr)
        return;
    const int column = chosen->data().toInt() - 1;
    ShowColumn(column, ColumnWidth(column) == 0);
}

// --- context menu ----------------------------------------------------------------------

void CViewList::ShowContextMenu(const QPoint& globalPos) {
    const std::vector<int> rows = SelectedRows();
    CCommandSnapshot snapshot = ForCheckMenu(m_app.CommandSnapshot());
    // The hold tick walks the selected rows; a row without a node is reported.
    if (snapshot.loaded)
        for (const int row : rows)
            if (m_model.Node(row) == nullptr) {
                m_app.Ui().Message(MessageText(51490), CUiSeam::Icon::Error);
                snapshot.allSelectedOnHold = false;
                break;
            }

    CContextMenu menu(rows.empty() ? "Folder contents" : "Checks", this, m_app, snapshot);
    if (!rows.empty()) {
        menu.Add(cmd::kMonitorSelectedNow, "Monitor &Selected Check(s) now");
        menu.addSeparator();
        menu.Add(cmd::kHold, "&Hold");
        menu.Add(cmd::kClearFailure, "&Clear Failure");
        menu.addSeparator();
        menu.Add(cmd::kCopy, "&Copy\tCtrl+C");
        menu.Add(cmd::kPasteProperties, "&Paste Properties...");
        menu.addSeparator();
        menu.Add(cmd::kDelete, "&Delete");
        menu.Add(cmd::kRename, "&Rename");
        menu.addSeparator();
        menu.Add(cmd::kHistoryAvailability, "Sho&w History (Availability)...");
        menu.Add(cmd::kHistoryDetail, "&Show History (Detail)...");
        menu.Add(cmd::kShowGraph, "Sho&w Graph...");
        menu.addSeparator();
        menu.Add(cmd::kProperties, "&Properties");
    } else {
        menu.AddNewCommands();
        menu.addSeparator();
        menu.Add(cmd::kMonitorFolderNow, "Monitor &All Check(s) in this Folder now");
        menu.addSeparator();
        menu.Add(cmd::kPasteChecks, "&Paste Check(s)...\tCtrl+V");
        menu.Add(cmd::kPasteProperties, "Paste Prop&erties...");
        menu.addSeparator();
        menu.Add(cmd::kSelectAll, "Select A&ll\tCtrl+A");
    }

    if (const QAction* chosen = m_app.Ui().PopupMenu(menu, globalPos))
        m_app.OnCommand(chosen->data().toInt());
}

// --- events ----------------------------------------------------------------------------

void CViewList::focusInEvent(QFocusEvent* event) {
    m_hasFocus = true;
    QTreeView::focusInEvent(event);
    emit ContentChanged();
}

void CViewList::focusOutEvent(QFocusEvent* event) {
    // A popup menu or the menu bar borrows the focus for a moment: the commands chosen
    // there still act on the list.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::MenuBarFocusReason)
        m_hasFocus = false;
    QTreeView::focusOutEvent(event);
}

void CViewList::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex at = indexAt(viewport()->mapFromGlobal(event->globalPos()));
        if (!at.isValid())
            clearSelection();
    }
    ShowContextMenu(event->globalPos());
}

void CViewList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() &&
        m_app.Writable())
        m_app.OnCommand(cmd::kProperties);
}

void CViewList::mousePressEvent(QMouseEvent* event) {
    if (m_app.Drag().dragging && m_app.Drag().source == CDragState::Source::List)
        m_app.Drag().Reset(); // a drag that never ended is abandoned
    QTreeView::mousePressEvent(event);
    for (const int row : SelectedRows()) {
        if (const CSnNode* node = m_model.Node(row)) {
            m_reselectId = node->Cfg.ID;
            break;
        }
    }
}

// --- dragging --------------------------------------------------------------------------

bool CViewList::BeginDrag() {
    if (!m_app.Writable() || SelectedCount() == 0)
        return false;
    CDragState& drag = m_app.Drag();
    drag.Reset();
    drag.dragging = true;
    drag.source = CDragState::Source::List;
    drag.draggedRow = currentIndex().isValid() ? currentIndex().row() : -1;
    drag.listDropIndex = -1;
    drag.dropTarget = nullptr;
    return true;
}

QPixmap CViewList::DragImage() const {
    const std::vector<CSnNode*> nodes = SelectedNodes();
    const QFontMetrics metrics(font());
    const int lines = static_cast<int>(std::min<std::size_t>(nodes.size(), 4));
    const int lineHeight = std::max(metrics.height(), 18) + 2;
    QPixmap image(260, lineHeight * (lines + (nodes.size() > 4 ? 1 : 0)) + 4);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setOpacity(0.85);
    painter.setPen(palette().color(QPalette::Text));
    int y = 2;
    const std::int64_t now = m_clock();
    for (int i = 0; i < lines; ++i) {
        const CSnNode& node = *nodes[static_cast<std::size_t>(i)];
        m_images.Icon(RowImage(node, now)).paint(&painter, 2, y + (lineHeight - 16) / 2, 16, 16);
        painter.drawText(QRect(22, y, 236, lineHeight), Qt::AlignVCenter | Qt::AlignLeft,
                         metrics.elidedText(QString::fromUtf8(node.Cfg.Name.c_str()), Qt::ElideRight, 236));
        y += lineHeight;
    }
    if (nodes.size() > 4)
        painter.drawText(QRect(22, y, 236, lineHeight), Qt::AlignVCenter | Qt::AlignLeft,
                         QString("and %1 more").arg(nodes.size() - 4));
    return image;
}

void CViewList::startDrag(Qt::DropActions supportedActions) {
    static_cast<void>(supportedActions);
    if (!BeginDrag())
        return;
    QDrag drag(this);
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kDragMime, QByteArray::number(SelectedCount()));
    drag.setMimeData(mime.release());
    drag.setPixmap(DragImage());
    drag.setHotSpot(QPoint(-12, -8));
    drag.exec(Qt::MoveAction);
    // A drop on the tree ends the drag there; anywhere else it just ends.
    if (m_app.Drag().dragging && m_app.Drag().source == CDragState::Source::List)
        m_app.Drag().Reset();
}
