#include "manager/mainframe/CheckListModel.h"

#include "manager/mainframe/CheckListSort.h"
#include "manager/mainframe/StateImages.h"

#include <unordered_map>

namespace {

constexpr const char* kHeaders[CCheckListModel::kColumns] = {
    "Display Name", "Type", "Host", "ID", "Check Frequency", "Folder",
    "Result", "Last Monitored", "Data", "Last Response", "Last Duration", "Comments",
};

const std::string kNoText;

bool Valid(const QModelIndex& index, int rows) {
    return index.isValid() && index.row() >= 0 && index.row() < rows && index.column() >= 0 &&
           index.column() < CCheckListModel::kColumns;
}

} // namespace

CCheckListModel::CCheckListModel(const CStateImages& images, QObject* parent)
    : QAbstractTableModel(parent), m_images(images) {}

const char* CCheckListModel::HeaderText(int column) {
    return column >= 0 && column < kColumns ? kHeaders[column] : "";
}

int CCheckListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CCheckListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant CCheckListModel::data(const QModelIndex& index, int role) const {
    if (!Valid(index, rowCount()))
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const std::string& text = row.text[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    case Qt::ToolTipRole:
        // The long texts are often cut by their columns.
        if (index.column() == 8 || index.column() == 9 || index.column() == 11)
            if (!text.empty())
                return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        return {};
    case Qt::DecorationRole:
        if (index.column() == 0)
            return m_images.Icon(row.image);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant CCheckListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(kHeaders[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags CCheckListModel::flags(const QModelIndex& index) const {
    if (!Valid(index, rowCount()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

void CCheckListModel::Clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void CCheckListModel::BeginFill(std::size_t rows) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows);
    m_filling = true;
}

void CCheckListModel::EndFill() {
    m_filling = false;
    endResetModel();
}

void CCheckListModel::AppendRow(CSnNode* node, const RowTexts& texts, int image) {
    const int at = rowCount();
    if (!m_filling)
        beginInsertRows({}, at, at);
    Row row;
    row.node = node;
    for (int c = 0; c < kColumns; ++c)
        row.text[static_cast<std::size_t>(c)] = texts[static_cast<std::size_t>(c)].Str();
    row.image = image;
    m_rows.push_back(std::move(row));
    m_cellWrites += kColumns;
    if (!m_filling)
        endInsertRows();
}

CSnNode* CCheckListModel::Node(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].node : nullptr;
}

void CCheckListModel::SetNode(int row, CSnNode* node) {
    if (row >= 0 && row < rowCount())
        m_rows[static_cast<std::size_t>(row)].node = node;
}

const std::string& CCheckListModel::Text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return kNoText;
    return m_rows[static_cast<std::size_t>(row)].text[static_cast<std::size_t>(column)];
}

int CCheckListModel::Image(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].image : -1;
}

int CCheckListModel::FindRow(const CSnNode* node) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].node == node)
            return static_cast<int>(i);
    return -1;
}

CCheckListModel::TextInputs& CCheckListModel::Inputs(int row) {
    if (row < 0 || row >= rowCount()) {
        m_noInputs = {};
        return m_noInputs;
    }
    return m_rows[static_cast<std::size_t>(row)].inputs;
}

bool CCheckListModel::UpdateCell(int row, int column, const CQvcString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return false;
    std::string& cell = m_rows[static_cast<std::size_t>(row)].text[static_cast<std::size_t>(column)];
    if (cell == text.Str())
        return false;
    cell = text.Str();
    ++m_cellWrites;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::ToolTipRole});
    return true;
}

bool CCheckListModel::UpdateFirstCell(int row, const CQvcString& text, int image) {
    if (row < 0 || row >= rowCount())
        return false;
    Row& r = m_rows[static_cast<std::size_t>(row)];
    if (r.text[0] == text.Str() && !r.text[0].empty() && r.image == image)
        return false;
    r.text[0] = text.Str();
    r.image = image;
    ++m_cellWrites;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::DecorationRole});
    return true;
}

void CCheckListModel::Sort(int column, bool ascending) {
    if (m_rows.size() < 2)
        return;
    std::vector<CSnNode*> order;
    order.reserve(m_rows.size());
    std::unordered_map<const CSnNode*, int> oldRow;
    oldRow.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        order.push_back(m_rows[i].node);
        oldRow.emplace(m_rows[i].node, static_cast<int>(i));
    }
    // Every row points at a node of its own, so the sorted nodes name the new order.
    if (oldRow.size() != m_rows.size())
        return;
    SortCheckRows(order, column, ascending);

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOfOld(m_rows.size(), -1);
    std::vector<int> oldRowOfNew(m_rows.size(), -1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int from = oldRow.at(order[i]);
        newRowOfOld[static_cast<std::size_t>(from)] = static_cast<int>(i);
        oldRowOfNew[i] = from;
    }
    // The rows move in place, one cycle of the permutation after the other: a second
    // array of every row would double the list's memory for a moment.
    for (std::size_t start = 0; start < m_rows.size(); ++start) {
        if (oldRowOfNew[start] < 0 || oldRowOfNew[start] == static_cast<int>(start))
            continue;
        Row held = std::move(m_rows[start]);
        for (std::size_t at = start;;) {
            const auto from = static_cast<std::size_t>(oldRowOfNew[at]);
            oldRowOfNew[at] = -1;
            if (from == start) {
                m_rows[at] = std::move(held);
                break;
            }
            m_rows[at] = std::move(m_rows[from]);
            at = from;
        }
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before)
        after.push_back(index(newRowOfOld[static_cast<std::size_t>(idx.row())], idx.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
