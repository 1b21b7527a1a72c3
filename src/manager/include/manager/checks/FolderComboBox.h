#pragma once
// CFolderComboBox: the "Check What" chooser.  "<select>" first, then per category a
// "[category]" header with the folder image and the category's types indented under it.
// Choosing a header puts the chooser back on "<select>".
#include "library/QvcString.h"

#include <QComboBox>

class CFolderComboBox final : public QComboBox {
    Q_OBJECT
public:
    // Item data roles: the image index and the level of the catalogue's chooser item.
    static constexpr int kImageRole = Qt::UserRole + 1;
    static constexpr int kLevelRole = Qt::UserRole + 2;

    explicit CFolderComboBox(QWidget* parent = nullptr);

    // The shown text trimmed, as the sheet resolves it.
    CQvcString Text() const;
    // Shows the first item with exactly this text; "<select>" when there is none.
    void SelectText(const CQvcString& text);
    // Whether the text is "<select>" or a "[category]" header.
    static bool IsNoType(const CQvcString& text);
};
