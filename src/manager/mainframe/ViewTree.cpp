#include "manager/mainframe/ViewTree.h"

#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "manager/mainframe/ContextMenu.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/StateImages.h"
#include "manager/mainframe/ViewList.h"
#include "manager/app/WaitCursor.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"
#include "platform/System.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The user name is asked of the system once per process.
const std::string& UserNameOnce() {
    static const std::string name = platform::UserName();
    return name;
}

bool ByLabel(const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    return QString::compare(a->text(0), b->text(0), Qt::CaseInsensitive) < 0;
}

} // namespace

CViewTree::CViewTree(CQMonApp& app, const CStateImages& images, QWidget* parent)
    : QTreeWidget(parent), CQvcBase("CViewTree"), m_app(app), m_images(images) {
    setObjectName("folderTree");
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAutoExpandDelay(700);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
}

// --- building --------------------------------------------------------------------------

void CViewTree::Clear() {
    const bool rebuilding = m_rebuilding;
    m_rebuilding = true;
    m_highlighted = nullptr;
    clear();
    m_paths.clear();
    // The items a drag refers to are gone.
    m_app.Drag().draggedItem = nullptr;
    m_app.Drag().dropTarget = nullptr;
    m_rebuilding = rebuilding;
}

void CViewTree::Rebuild() {
    CWaitCursor wait;
    m_rebuilding = true;
    Clear();
    if (m_list != nullptr)
        m_list->ClearAll();

    InsertSubtree(m_app.Root(), nullptr);
    if (m_paths.count(m_selectedId) == 0)
        m_selectedId = CSnCfg::kRootId;
    SelectFolder(m_selectedId);
    m_rebuilding = false;

    if (m_list != nullptr)
        m_list->ShowFolder(CSnCfg::FindNode(m_app.Root(), m_selectedId), 0);
}

void CViewTree::InsertSubtree(CSnNode* node, QTreeWidgetItem* parent) {
    if (node == nullptr) {
        m_app.Ui().Message("Cannot insert empty entry in this tree view", CUiSeam::Icon::Error);
        return;
    }
    // The node and its chain of next siblings, each folder with its own subtree; a check
    // in the chain gets no item, and the folders after it still do.
    std::vector<QTreeWidgetItem*> above{parent}; // [depth]: the item the node at depth goes under
    std::vector<QTreeWidgetItem*> filled{parent};
    WalkTree(node, [&](CSnNode* n, int depth) {
        above.resize(static_cast<std::size_t>(depth) + 1);
        QTreeWidgetItem* item = InsertNode(n, above.back());
        if (item == nullptr)
            return WalkStep::Skip;
        m_paths.emplace(n->Id(), item);
        if (n->ChildNode() != nullptr) {
            above.push_back(item);
            filled.push_back(item);
        }
        return WalkStep::Continue;
    });
    for (QTreeWidgetItem* item : filled)
        SortChildren(item);
}

QTreeWidgetItem* CViewTree::InsertNode(CSnNode* node, QTreeWidgetItem* parent) {
    if (node == nullptr) {
        m_app.Ui().Message("Cannot add an empty (null) entry", CUiSeam::Icon::Error);
        return nullptr;
    }
    if (!node->IsFolder())
        return nullptr;
    int image = 2, selected = 3;
    if (parent == nullptr)
        image = selected = 1;
    else if (node->Manager.HasDependants)
        image = 4, selected = 5;

    auto item = std::make_unique<QTreeWidgetItem>();
    item->setText(0, Label(*node));
    item->setIcon(0, m_images.Pair(image, selected));
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selected);
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    QTreeWidgetItem* raw = item.get();
    if (parent != nullptr)
        parent->addChild(item.release());
    else
        addTopLevelItem(item.release());
    return raw;
}

QString CViewTree::Label(const CSnNode& node) const {
    QString label = QString::fromUtf8(node.Cfg.Name.c_str());
    if (node.Id() == CSnCfg::kRootId && !m_app.Writable()) {
        const std::string& user = UserNameOnce();
        if (user.empty())
            label += " (Logged on user has Read-Only permissions to the configuration)";
        else
            label += QString(" (User '%1' has Read-Only permissions to the configuration)")
                         .arg(QString::fromUtf8(user.c_str()));
    }
    return label;
}

void CViewTree::SortChildren(QTreeWidgetItem* parent) {
    std::vector<QTreeWidgetItem*> children;
    const int count = parent != nullptr ? parent->childCount() : topLevelItemCount();
    for (int i = 0; i < count; ++i)
        children.push_back(parent != nullptr ? parent->child(i) : topLevelItem(i));
    // Re-inserting items would lose their expanded state, so only a level that is out of
    // order is rearranged.
    if (std::is_sorted(children.begin(), children.end(), ByLabel))
        return;
    std::stable_sort(children.begin(), children.end(), ByLabel);
    for (QTreeWidgetItem* child : children) {
        if (parent != nullptr) {
            parent->removeChild(child);
            parent->addChild(child);
        } else {
            addTopLevelItem(takeTopLevelItem(indexOfTopLevelItem(child)));
        }
    }
}

// --- selection -------------------------------------------------------------------------

QTreeWidgetItem* CViewTree::FindItem(long id) const {
    const auto it = m_paths.find(id);
    return it != m_paths.end() ? it->second : nullptr;
}

CSnNode* CViewTree::FolderOfItem(const QTreeWidgetItem* item) {
    if (item == nullptr)
        return nullptr;
    return reinterpret_cast<CSnNode*>(item->data(0, kNodeRole).value<quintptr>());
}

CSnNode* CViewTree::FolderById(long id) const { return FolderOfItem(FindItem(id)); }

void CViewTree::SelectFolder(long id) {
    if (m_paths.count(id) == 0)
        id = CSnCfg::kRootId;
    if (m_paths.count(id) == 0)
        return;
    m_selectedId = id;
    for (const long step : CSnCfg::FolderPath(m_app.Root(), id)) {
        QTreeWidgetItem* item = FindItem(step);
        if (item == nullptr)
            continue;
        item->setExpanded(true);
        SortChildren(item);
        if (step == id) {
            setCurrentItem(item);
            scrollToItem(item);
        }
    }
}

void CViewTree::OnCurrentItemChanged(QTreeWidgetItem* current) {
    if (m_rebuilding || current == nullptr)
        return;
    CSnNode* folder = FolderOfItem(current);
    if (folder == nullptr)
        return;
    m_selectedId = folder->Id();
    if (m_list != nullptr) {
        m_list->ShowFolder(folder, 0);
        m_list->Refresh();
    }
    if (CMainFrame* frame = m_app.Frame())
        frame->PostTimerTick();
}

// --- context menu ----------------------------------------------------------------------

void CViewTree::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos())))
            setCurrentItem(item); // the list switches to that folder before the menu opens
    }
    ShowContextMenu(event->globalPos());
}

void CViewTree::ShowContextMenu(const QPoint& globalPos) {
    CContextMenu menu("Folder", this, m_app, ForFolderMenu(m_app.CommandSnapshot()));
    menu.AddNewCommands();
    menu.addSeparator();
    menu.Add(cmd::kMonitorSelectedNow, "Monitor &Selected Check(s) now");
    menu.Add(cmd::kMonitorFolderNow, "Monitor &All Check(s) in this Folder now");
    menu.addSeparator();
    menu.Add(cmd::kSelectAll, "Select A&ll\tCtrl+A");
    menu.addSeparator();
    menu.Add(cmd::kDelete, "&Delete");
    menu.Add(cmd::kRename, "&Rename");
    menu.addSeparator();
    menu.Add(cmd::kPasteChecks, "&Paste Checks...\tCtrl+V");
    menu.Add(cmd::kPasteProperties, "&Paste Properties...");
    menu.addSeparator();
    menu.Add(cmd::kCreateGraph, "Sho&w Graph...");
    menu.addSeparator();
    menu.Add(cmd::kProperties, "P&roperties");

    if (const QAction* chosen = m_app.Ui().PopupMenu(menu, globalPos))
        m_app.OnCommand(chosen->data().toInt());
}

// --- focus and mouse ---------------------------------------------------------------------

void CViewTree::focusInEvent(QFocusEvent* event) {
    m_hasFocus = true;
    QTreeWidget::focusInEvent(event);
}

void CViewTree::focusOutEvent(QFocusEvent* event) {
    // Popup menus and the menu bar borrow the focus: their commands still act on the tree.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::MenuBarFocusReason)
        m_hasFocus = false;
    QTreeWidget::focusOutEvent(event);
}

void CViewTree::mousePressEvent(QMouseEvent* event) {
    if (m_app.Drag().dragging) {
        // A drag that never ended is abandoned.
        m_app.Drag().Reset();
        SetDropHighlight(nullptr);
    }
    QTreeWidget::mousePressEvent(event);
}

// --- dragging --------------------------------------------------------------------------

bool CViewTree::BeginDrag(QTreeWidgetItem* item) {
    if (!m_app.Writable() || item == nullptr)
        return false;
    CDragState& drag = m_app.Drag();
    drag.Reset();
    drag.dragging = true;
    drag.source = CDragState::Source::Tree;
    drag.draggedItem = item;
    drag.dropTarget = nullptr;
    return true;
}

void CViewTree::DragOver(QTreeWidgetItem* item) {
    CDragState& drag = m_app.Drag();
    if (!drag.dragging || item == nullptr)
        return;
    SetDropHighlight(item);
    drag.dropTarget = item;
}

void CViewTree::SetDropHighlight(QTreeWidgetItem* item) {
    if (m_highlighted == item)
        return;
    if (m_highlighted != nullptr)
        m_highlighted->setData(0, Qt::BackgroundRole, QVariant());
    m_highlighted = item;
    if (item != nullptr) {
        QColor colour = palette().color(QPalette::Highlight);
        colour.setAlpha(70);
        item->setData(0, Qt::BackgroundRole, colour);
    }
}

void CViewTree::Drop() {
    CDragState& drag = m_app.Drag();
    if (!drag.dragging)
        return;
    const CDragState ended = drag;
    drag.Reset();
    SetDropHighlight(nullptr);
    if (ended.source == CDragState::Source::List)
        MoveChecks(ended.dropTarget);
    else if (ended.source == CDragState::Source::Tree)
        MoveFolder(ended.draggedItem, ended.dropTarget);
}

void CViewTree::MoveChecks(QTreeWidgetItem* target) {
    CSnNode* folder = FolderOfItem(target);
    if (folder == nullptr || m_list == nullptr)
        return;
    const std::vector<int> rows = m_list->SelectedRows();
    if (rows.empty())
        return;
    CSnCfg* store = m_app.Store();
    // Many checks dropped on their own folder are linked again at its end; a few are left.
    const bool force = rows.size() >= 21;
    std::vector<CSnNode*> checks;
    for (const int row : rows) {
        CSnNode* check = m_list->Model().Node(row);
        if (check == nullptr) {
            m_app.Ui().Message(MessageText(51490), CUiSeam::Icon::Error);
            continue;
        }
        checks.push_back(check);
    }
    if (checks.empty())
        return;
    // The moves are applied to the stored tree, keeping other writers' changes; when the
    // stored tree held such changes, the view reloads it.
    const long targetId = folder->Id();
    const CSnCfg::TreeEdit edit = store->MoveChecks(m_app.Root(), folder, checks, force);
    if (edit.Code) {
        m_app.ShowErrorCode(edit.Code);
        m_app.ReloadAndRebuild();
        return;
    }
    if (edit.Stale)
        m_app.ReloadAndRebuild();
    else if (!edit.Changed)
        return;
    CSnNode* shown = CSnCfg::FindNode(m_app.Root(), targetId);
    if (shown == nullptr)
        return;
    SelectFolder(targetId);
    m_list->ShowFolder(shown, 0);
    m_list->Refresh();
}

void CViewTree::MoveFolder(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
    if (dragged == nullptr || target == nullptr || dragged == target)
        return;
    CSnNode* folder = FolderOfItem(dragged);
    CSnNode* destination = FolderOfItem(target);
    if (folder == nullptr || destination == nullptr)
        return;
    if (CSnCfg::IsDescendant(folder, destination)) {
        m_app.Ui().Message(MessageText(51491), CUiSeam::Icon::Error);
        return;
    }
    CSnCfg* store = m_app.Store();
    const CSnCfg::TreeEdit edit = store->MoveFolderTo(m_app.Root(), destination, folder);
    if (edit.Code) {
        m_app.ShowErrorCode(edit.Code);
        m_app.ReloadAndRebuild();
        return;
    }
    if (edit.Stale) {
        m_app.ReloadAndRebuild();
        return;
    }
    if (!edit.Changed)
        return;
    m_selectedId = folder->Id();
    Rebuild();
    // The nodes kept their results: the rebuilt rows can show them at once.
    if (m_list != nullptr)
        m_list->Refresh();
}

void CViewTree::startDrag(Qt::DropActions supportedActions) {
    static_cast<void>(supportedActions);
    QTreeWidgetItem* item = currentItem();
    if (!BeginDrag(item))
        return;
    QDrag drag(this);
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kDragMime, QByteArray::number(static_cast<qlonglong>(FolderOfItem(item)->Id())));
    drag.setMimeData(mime.release());

    const QFontMetrics metrics(font());
    const QString label = metrics.elidedText(item->text(0), Qt::ElideRight, 220);
    QPixmap image(24 + metrics.horizontalAdvance(label) + 4, std::max(metrics.height(), 16) + 4);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setOpacity(0.85);
        m_images.Icon(item->data(0, kImageRole).toInt()).paint(&painter, 2, (image.height() - 16) / 2, 16, 16);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(22, 0, image.width() - 22, image.height()), Qt::AlignVCenter | Qt::AlignLeft,
                         label);
    }
    drag.setPixmap(image);
    drag.setHotSpot(QPoint(0, 0));
    drag.exec(Qt::MoveAction);
    if (m_app.Drag().dragging && m_app.Drag().source == CDragState::Source::Tree) {
        m_app.Drag().Reset();
        SetDropHighlight(nullptr);
    }
}

void CViewTree::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (m_app.Drag().dragging && mime != nullptr &&
        (mime->hasFormat(kDragMime) || mime->hasFormat(CViewList::kDragMime)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CViewTree::dragMoveEvent(QDragMoveEvent* event) {
    // The base class opens a folder the cursor rests on and scrolls near the edges; the
    // decision to accept is ours.
    QTreeWidget::dragMoveEvent(event);
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item == nullptr || !m_app.Drag().dragging) {
        event->ignore();
        return;
    }
    DragOver(item);
    event->acceptProposedAction();
}

void CViewTree::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropHighlight(nullptr);
    QTreeWidget::dragLeaveEvent(event);
}

void CViewTree::dropEvent(QDropEvent* event) {
    DragOver(itemAt(event->position().toPoint()));
    event->acceptProposedAction();
    Drop();
}
