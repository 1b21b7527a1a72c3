#include "manager/checks/FolderComboBox.h"

#include "model/checks/CheckSheetRules.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractItemView>
#include <QFile>
#include <QIcon>
#include <QStyledItemDelegate>

namespace {

// A category header shows its category's image; an index without an image of its own
// shows the plain folder (image 1).
QIcon CategoryImage(int index) {
    const QString path = QString(":/categories/category%1.svg").arg(index);
    return QIcon(QFile::exists(path) ? path : QString(":/categories/category1.svg"));
}
constexpr int kIndentPixels = 30;

// Draws the types of a category indented under its header in the open list; the closed
// chooser shows the plain name.
class CIndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        const bool header = index.data(Qt::UserRole).toString().startsWith('[');
        if (index.data(CFolderComboBox::kLevelRole).toInt() > 0 && !header)
            indented.rect.adjust(kIndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

} // namespace

CFolderComboBox::CFolderComboBox(QWidget* parent) : QComboBox(parent) {
    setObjectName("checkWhat");
    setMaxVisibleItems(24);
    setItemDelegate(new CIndentDelegate(this));
    for (const CCheckTypeChooserItem& item : CheckTypeChooserItems()) {
        const QString text = QString::fromStdString(item.Text.Str());
        const bool isHeader = item.Text.StartsWith("[");
        if (isHeader)
            addItem(CategoryImage(item.Image), text);
        else
            addItem(text);
        setItemData(count() - 1, item.Image, kImageRole);
        setItemData(count() - 1, item.Level, kLevelRole);
        setItemData(count() - 1, text, Qt::UserRole); // the text the sheet resolves
    }
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (itemData(index, Qt::UserRole).toString().startsWith('['))
            setCurrentIndex(0);
    });
}

CQvcString CFolderComboBox::Text() const {
    CQvcString text(currentData(Qt::UserRole).toString().toStdString());
    return text.Trim();
}

void CFolderComboBox::SelectText(const CQvcString& text) {
    const int index = findData(QString::fromStdString(text.Str()), Qt::UserRole);
    setCurrentIndex(index < 0 ? 0 : index);
}

bool CFolderComboBox::IsNoType(const CQvcString& text) {
    return text == sheetrules::kSelectText || text.StartsWith("[") || text.IsEmpty();
}
