#include "manager/mainframe/CheckListModel.h"

#include "manager/mainframe/CheckListSort.h"
#include "manager/mainframe/StateImages.h"

#include <cstring>
#include <unordered_map>

namespace {

constexpr const char* kHeaders[CCheckListModel::kColumns] = {
    "Display Name", "Type", "Host", "ID", "Check Frequency", "Folder",
    "Result", "Last Monitored", "Data", "Last Response", "Last Duration", "Comments",
};

// Not a default string_view: its null data would make a null QString of an empty cell.
constexpr std::string_view kNoText = "";

// The fewest bytes that hold every end offset of texts of `total` bytes.
std::uint8_t EndWidth(std::size_t total) {
    if (total <= 0xFFu)
        return 1;
    if (total <= 0xFFFFu)
        return 2;
    if (total <= 0xFFFFFFFFu)
        return 4;
    return 8;
}

template <typename T> std::size_t Load(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return static_cast<std::size_t>(value);
}

template <typename T> void Store(char* at, std::size_t value) {
    const auto narrow = static_cast<T>(value);
    std::memcpy(at, &narrow, sizeof narrow);
}

// The end offset `i` of a block whose offsets are `width` bytes wide.
std::size_t ReadEnd(const char* block, std::size_t width, std::size_t i) {
    const char* at = block + i * width;
    switch (width) {
    case 1:
        return Load<std::uint8_t>(at);
    case 2:
        return Load<std::uint16_t>(at);
    case 4:
        return Load<std::uint32_t>(at);
    default:
        return Load<std::uint64_t>(at);
    }
}

void WriteEnd(char* block, std::size_t width, std::size_t i, std::size_t end) {
    char* at = block + i * width;
    switch (width) {
    case 1:
        return Store<std::uint8_t>(at, end);
    case 2:
        return Store<std::uint16_t>(at, end);
    case 4:
        return Store<std::uint32_t>(at, end);
    default:
        return Store<std::uint64_t>(at, end);
    }
}

bool Valid(const QModelIndex& index, int rows) {
    return index.isValid() && index.row() >= 0 && index.row() < rows && index.column() >= 0 &&
           index.column() < CCheckListModel::kColumns;
}

} // namespace

std::string_view CCheckListModel::Row::Text(int column) const {
    if (!texts)
        return kNoText;
    const auto c = static_cast<std::size_t>(column);
    const std::size_t begin = c == 0 ? 0 : ReadEnd(texts.get(), endWidth, c - 1);
    const std::size_t end = ReadEnd(texts.get(), endWidth, c);
    return {texts.get() + kColumns * endWidth + begin, end - begin};
}

void CCheckListModel::Row::SetTexts(const Texts& all) {
    std::size_t total = 0;
    for (const std::string_view text : all)
        total += text.size();
    if (total == 0) {
        texts.reset();
        endWidth = 0;
        return;
    }
    const std::uint8_t width = EndWidth(total);
    auto block = std::make_unique_for_overwrite<char[]>(kColumns * width + total);
    char* const out = block.get() + kColumns * width;
    std::size_t end = 0;
    for (std::size_t c = 0; c < kColumns; ++c) {
        if (!all[c].empty())
            std::memcpy(out + end, all[c].data(), all[c].size());
        end += all[c].size();
        WriteEnd(block.get(), width, c, end);
    }
    texts = std::move(block);
    endWidth = width;
}

void CCheckListModel::Row::SetText(int column, std::string_view text) {
    const std::string_view old = Text(column);
    if (texts && old.size() == text.size()) {
        // The same bytes of the block that `old` views, reached through the owning pointer.
        std::memcpy(texts.get() + (old.data() - texts.get()), text.data(), text.size());
        return;
    }
    Texts all;
    for (int c = 0; c < kColumns; ++c)
        all[static_cast<std::size_t>(c)] = c == column ? text : Text(c);
    SetTexts(all);
}

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
    const std::string_view text = row.Text(index.column());
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
    Texts all;
    for (std::size_t c = 0; c < kColumns; ++c)
        all[c] = texts[c].Str();
    row.SetTexts(all);
    row.image = image;
    m_rows.push_back(std::move(row));
    m_cellWrites += kColumns;
    if (!m_filling)
        endInsertRows();
}

CSnNode* CCheckListModel::Node(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].node : nullptr;
}

std::string_view CCheckListModel::Text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return kNoText;
    return m_rows[static_cast<std::size_t>(row)].Text(column);
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
    Row& r = m_rows[static_cast<std::size_t>(row)];
    if (r.Text(column) == text.Str())
        return false;
    r.SetText(column, text.Str());
    ++m_cellWrites;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::ToolTipRole});
    return true;
}

bool CCheckListModel::UpdateFirstCell(int row, const CQvcString& text, int image) {
    if (row < 0 || row >= rowCount())
        return false;
    Row& r = m_rows[static_cast<std::size_t>(row)];
    const std::string_view shown = r.Text(0);
    if (shown == text.Str() && !shown.empty() && r.image == image)
        return false;
    if (shown != text.Str())
        r.SetText(0, text.Str());
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
