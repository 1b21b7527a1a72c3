#pragma once
// CCheckListModel: the rows of the check list as a thin item model.  Each row points at a
// check node that the store owns and holds the twelve texts and the state image that
// the list shows for it.  The view decides what the texts are; the model stores them
// under one rule: a cell is written only when its text changes (byte comparison), so
// that a refresh that finds nothing new repaints nothing.  CellWrites counts the writes.
// A row keeps its twelve texts in one heap block, so that a list of many checks costs
// little more than the texts themselves.
#include "library/QvcString.h"

#include <QAbstractTableModel>

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CSnNode;
class CStateImages;

class CCheckListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 12;
    using RowTexts = std::array<CQvcString, kColumns>;
    // What the view made a row's result texts and image from, kept with the row so that
    // a refresh writes them only when one of these changed.  `fresh` is whether the
    // result's time was "now" then; `formats` the generation of the date and time formats.
    struct TextInputs {
        std::uint64_t source = 0; // the result line's fingerprint (CSnNodeResult::Source)
        std::int32_t type = 0, onHold = 0, status = 0, processing = 0, lastUpdate = 0, duration = 0;
        std::uint32_t formats = 0;
        bool fresh = false;
        bool made = false; // false until the view made the texts once
        bool operator==(const TextInputs&) const = default;
    };

    explicit CCheckListModel(const CStateImages& images, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The header text of a column ("Display Name", ...); "" outside 0 to 11.
    static const char* HeaderText(int column);

    void Clear();
    // Replaces every row with the rows appended between the two calls, announced to the
    // view as one reset instead of one insertion per row; `rows` is room reserved for them.
    void BeginFill(std::size_t rows);
    void EndFill();
    void AppendRow(CSnNode* node, const RowTexts& texts, int image);

    CSnNode* Node(int row) const;
    // "" for a cell that does not exist.  Valid until the row's texts are next written.
    std::string_view Text(int row, int column) const;
    int Image(int row) const;
    int FindRow(const CSnNode* node) const;
    // The inputs the view last made the row's texts from (a row without them for a row
    // that does not exist).
    TextInputs& Inputs(int row);

    // The cell-update rule.  A text cell is written when its text differs from the one
    // it holds; the first cell and the image are written together when the text differs,
    // the cell is empty or the image differs.  True when something was written.
    bool UpdateCell(int row, int column, const CQvcString& text);
    bool UpdateFirstCell(int row, const CQvcString& text, int image);
    // Every cell written by the update rule since the model was made.
    std::uint64_t CellWrites() const { return m_cellWrites; }

    // Reorders the rows with the list's comparison (CheckListSort.h); selections and
    // other persistent indexes follow their rows.
    void Sort(int column, bool ascending);

private:
    using Texts = std::array<std::string_view, kColumns>;
    struct Row {
        CSnNode* node = nullptr;
        // The twelve end offsets, each `endWidth` bytes wide, then the texts back to back;
        // null while every text is empty.
        std::unique_ptr<char[]> texts;
        TextInputs inputs;
        int image = 0;
        std::uint8_t endWidth = 0; // 1, 2, 4 or 8: the fewest bytes that hold the total length

        std::string_view Text(int column) const;
        // Packs the texts into a new block; they may point into the current one.
        void SetTexts(const Texts& all);
        // Writes one text: over the old one in place when both have the same length,
        // else by packing the row's texts again.
        void SetText(int column, std::string_view text);
    };

    const CStateImages& m_images;
    std::vector<Row> m_rows;
    TextInputs m_noInputs;
    std::uint64_t m_cellWrites = 0;
    bool m_filling = false;
};
