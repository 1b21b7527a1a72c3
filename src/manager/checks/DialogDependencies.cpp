#include "manager/checks/DialogDependencies.h"

#include "library/Messages.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/CheckDialogRegistry.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"
#include "model/tree/SnDependencyCalculator.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kIdRole = Qt::UserRole;

QString Q(const CQvcString& text) { return QString::fromStdString(text.Str()); }

QIcon NodeIcon(bool folder) { return QIcon(folder ? ":/states/state02.svg" : ":/states/state00.svg"); }

// The heading above a node's "depends on" list (51504, or 61485 for a folder) and above
// its "is depended on by" list (51505), with the node's name.
QString Heading(unsigned message, const CQvcString& name) {
    return Q(CQvcString().FormatGrow(MessageText(message), name.c_str()));
}
QString DependsOnHeading(const SnDependencyEntry& node) {
    return Heading(node.Folder ? 61485 : 51504, node.Name);
}

// A list of nodes in columns: name, ID, folder.
void SetUpList(QTreeWidget& list, const char* objectName) {
    list.setObjectName(objectName);
    list.setColumnCount(3);
    list.setHeaderLabels({"Name", "ID", "Folder"});
    list.setRootIsDecorated(false);
    list.setUniformRowHeights(true);
    list.setAllColumnsShowFocus(true);
    list.header()->setStretchLastSection(true);
    list.setMinimumWidth(380);
}

void Fill(QTreeWidget& list, const SnDependencyEntries& entries) {
    list.clear();
    for (const SnDependencyEntry& e : entries) {
        auto* item = new QTreeWidgetItem(&list, {Q(e.Name), QString::number(e.Id), Q(e.Path)});
        item->setIcon(0, NodeIcon(e.Folder));
        item->setData(0, kIdRole, e.Id);
    }
    // Wide enough for usual names even while the list is empty.
    for (const auto& [column, least] : {std::pair{0, 180}, std::pair{1, 60}}) {
        list.resizeColumnToContents(column);
        list.setColumnWidth(column, std::max(least, list.columnWidth(column)));
    }
}

std::int32_t IdOf(const QTreeWidgetItem* item) { return item ? item->data(0, kIdRole).toInt() : 0; }

} // namespace

// --- choosing nodes -----------------------------------------------------------------------

CDialogChooseNodes::CDialogChooseNodes(CSnNode* root, std::int32_t excluded, QWidget* parent)
    : QDialog(parent), m_buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel) {
    setObjectName("chooseNodesDialog");
    setWindowTitle("Add Dependencies");
    m_tree.setHeaderLabels({"Folders and checks", "ID"});
    m_tree.setSelectionMode(QAbstractItemView::ExtendedSelection);
    // parents[depth] is the item the nodes at that depth go under.
    std::vector<QTreeWidgetItem*> parents{m_tree.invisibleRootItem()};
    WalkTree(root, [&](CSnNode* n, int depth) {
        parents.resize(static_cast<std::size_t>(depth) + 1);
        auto* item = new QTreeWidgetItem(parents.back(), {Q(n->Cfg.Name), QString::number(n->Id())});
        item->setIcon(0, NodeIcon(n->IsFolder()));
        item->setData(0, kIdRole, n->Id());
        if (n->Id() == excluded)
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable & ~Qt::ItemIsEnabled);
        // The root would stand for the whole configuration, the check itself included.
        if (depth == 0)
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
        if (n->ChildNode() != nullptr)
            parents.push_back(item);
        return WalkStep::Continue;
    });
    m_tree.expandAll();
    m_tree.resizeColumnToContents(0);
    m_tree.setMinimumSize(360, 320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Choose the checks and folders this check depends on:"));
    layout->addWidget(&m_tree);
    layout->addWidget(&m_buttons);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->flags() & Qt::ItemIsSelectable)
            accept();
    });
}

bool CDialogChooseNodes::Choose(std::int32_t id) {
    for (QTreeWidgetItemIterator it(&m_tree, QTreeWidgetItemIterator::Selectable); *it; ++it)
        if (IdOf(*it) == id) {
            (*it)->setSelected(true);
            return true;
        }
    return false;
}

std::vector<std::int32_t> CDialogChooseNodes::Chosen() const {
    std::vector<std::int32_t> ids;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&m_tree), QTreeWidgetItemIterator::Selected); *it; ++it)
        ids.push_back(IdOf(*it));
    return ids;
}

// --- one node -------------------------------------------------------------------------------

CDialogDependencies::CDialogDependencies(CSnCfg& store, CSnNode* root, const CSnNode& node, CUiSeam* editSeam,
                                         QWidget* parent)
    : QDialog(parent), m_store(store), m_root(root), m_node(node), m_seam(editSeam),
      m_buttons(editSeam ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Close) {
    setObjectName("dependenciesDialog");
    const CQvcString name = node.Cfg.Name.IsEmpty() ? CQvcString("New Check") : node.Cfg.Name;
    setWindowTitle("Dependencies - " + Q(name));
    for (const std::int32_t id : CSnDependencyCalculator::DependencyIds(node.Cfg.Action.Dependencies))
        if (id > 0 && std::find(m_ids.begin(), m_ids.end(), id) == m_ids.end())
            m_ids.push_back(id);
    SetUpList(m_dependsOn, "dependsOn");
    SetUpList(m_dependedOnBy, "dependedOnBy");
    m_dependsOn.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_dependsOnLabel.setText(Heading(node.IsFolder() ? 61485 : 51504, name));
    m_dependedOnByLabel.setText(Heading(51505, name));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_dependsOnLabel);
    auto* row = new QHBoxLayout;
    row->addWidget(&m_dependsOn, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(&m_add);
    buttons->addWidget(&m_remove);
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addWidget(&m_dependedOnByLabel);
    layout->addWidget(&m_dependedOnBy);
    layout->addWidget(&m_buttons);
    // Only a check's own sheet changes what it depends on.
    m_add.setVisible(m_seam != nullptr);
    m_remove.setVisible(m_seam != nullptr);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_add, &QPushButton::clicked, this, &CDialogDependencies::AddNodes);
    connect(&m_remove, &QPushButton::clicked, this, &CDialogDependencies::RemoveSelected);
    connect(&m_dependsOn, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_remove.setEnabled(!m_dependsOn.selectedItems().isEmpty()); });
    Refill();
    resize(520, 440);
}

void CDialogDependencies::Refill() {
    if (m_edited)
        m_node.Cfg.Action.Dependencies = Dependencies();
    const CSnDependencyView view(m_store, m_root, &m_node);
    Fill(m_dependsOn, view.DependsOn(m_node.Id()));
    Fill(m_dependedOnBy, view.DependedOnBy(m_node.Id()));
    m_remove.setEnabled(false);
}

void CDialogDependencies::AddNodes() {
    CDialogChooseNodes chooser(m_root, m_node.Id(), this);
    if (m_seam->ExecDialog(chooser) != CUiSeam::kAccepted)
        return;
    for (const std::int32_t id : chooser.Chosen())
        if (std::find(m_ids.begin(), m_ids.end(), id) == m_ids.end()) {
            m_ids.push_back(id);
            m_edited = true;
        }
    Refill();
}

void CDialogDependencies::RemoveSelected() {
    for (const QTreeWidgetItem* item : m_dependsOn.selectedItems()) {
        m_ids.erase(std::remove(m_ids.begin(), m_ids.end(), IdOf(item)), m_ids.end());
        m_edited = true;
    }
    Refill();
}

// --- the whole configuration ------------------------------------------------------------------

CDialogAllDependencies::CDialogAllDependencies(CSnCfg& store, CSnNode* root, QWidget* parent)
    : QDialog(parent), m_view(store, root), m_buttons(QDialogButtonBox::Close) {
    setObjectName("allDependenciesDialog");
    setWindowTitle("Dependencies");
    SetUpList(m_nodes, "involved");
    SetUpList(m_dependsOn, "dependsOn");
    SetUpList(m_dependedOnBy, "dependedOnBy");
    Fill(m_nodes, m_view.Involved());
    m_dependsOnLabel.setWordWrap(true);
    m_dependedOnByLabel.setWordWrap(true);

    auto* left = new QWidget;
    auto* leftRows = new QVBoxLayout(left);
    leftRows->setContentsMargins(0, 0, 0, 0);
    leftRows->addWidget(new QLabel("Folders and checks that take part in a dependency:"));
    leftRows->addWidget(&m_nodes);
    auto* right = new QWidget;
    auto* rightRows = new QVBoxLayout(right);
    rightRows->setContentsMargins(0, 0, 0, 0);
    rightRows->addWidget(&m_dependsOnLabel);
    rightRows->addWidget(&m_dependsOn);
    rightRows->addWidget(&m_dependedOnByLabel);
    rightRows->addWidget(&m_dependedOnBy);
    auto* panes = new QSplitter(Qt::Horizontal);
    panes->addWidget(left);
    panes->addWidget(right);
    panes->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panes);
    layout->addWidget(&m_buttons);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_nodes, &QTreeWidget::currentItemChanged, this, [this] { ShowSelected(); });
    for (QTreeWidget* list : {&m_dependsOn, &m_dependedOnBy})
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { SelectNode(IdOf(item)); });
    if (m_nodes.topLevelItemCount() > 0)
        m_nodes.setCurrentItem(m_nodes.topLevelItem(0));
    else
        m_dependsOnLabel.setText("No check depends on another check or folder.");
    m_dependedOnBy.setVisible(m_nodes.topLevelItemCount() > 0);
    m_dependsOn.setVisible(m_nodes.topLevelItemCount() > 0);
    resize(900, 480);
}

bool CDialogAllDependencies::SelectNode(std::int32_t id) {
    for (int i = 0; i < m_nodes.topLevelItemCount(); ++i)
        if (IdOf(m_nodes.topLevelItem(i)) == id) {
            m_nodes.setCurrentItem(m_nodes.topLevelItem(i));
            return true;
        }
    return false;
}

void CDialogAllDependencies::ShowSelected() {
    const SnDependencyEntry* node = m_view.Find(IdOf(m_nodes.currentItem()));
    if (node == nullptr)
        return;
    m_dependsOnLabel.setText(DependsOnHeading(*node));
    m_dependedOnByLabel.setText(Heading(51505, node->Name));
    Fill(m_dependsOn, m_view.DependsOn(node->Id));
    Fill(m_dependedOnBy, m_view.DependedOnBy(node->Id));
}

// --- wiring ------------------------------------------------------------------------------------

void RegisterDependencyDialogs(CQMonApp& app, CCheckDialogRegistry& dialogs, CCommandRegistry& commands) {
    dialogs.dependencies = [&app](QWidget* parent, CSnNode& node, const CheckDialogContext& ctx) {
        if (app.Store() == nullptr)
            return false;
        CDialogDependencies dialog(*app.Store(), app.Root(), node, node.IsFolder() ? nullptr : &ctx.seam, parent);
        if (ctx.seam.ExecDialog(dialog) != CUiSeam::kAccepted || !dialog.Edited() ||
            dialog.Dependencies() == node.Cfg.Action.Dependencies)
            return false;
        node.Cfg.Action.Dependencies = dialog.Dependencies();
        return true;
    };
    commands.Add(cmd::kDependencies, [&app](int) {
        if (app.Store() == nullptr || !app.Loaded())
            return;
        CDialogAllDependencies dialog(*app.Store(), app.Root(), app.Frame());
        app.Ui().ExecDialog(dialog);
    });
}
