#pragma once
// Row pieces shared by the Windows-family dialogs: a decimal number field and the size-unit
// combo of the File and Directory dialogs; it brings the widgets their rows use.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <string>

namespace windowsrows {

// A number that may have decimals and a sign (a negative value is refused on OK with the
// dialog's own message rather than made impossible to type).
inline QLineEdit* DecimalField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,12}([.,][0-9]{0,3})?"), field));
    field->setMaximumWidth(90);
    return field;
}

// "KB", "MB", "GB", each carrying its number of bytes.
inline QComboBox* SizeUnitCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->addItem("KB", 1024LL);
    combo->addItem("MB", 1024LL * 1024);
    combo->addItem("GB", 1024LL * 1024 * 1024);
    return combo;
}

// The size limit's field and its unit in one row, named "size" and "unit".
inline QHBoxLayout* SizeRow(QWidget* parent, QLineEdit*& size, QComboBox*& unit) {
    size = DecimalField(parent);
    size->setObjectName("size");
    unit = SizeUnitCombo(parent);
    unit->setObjectName("unit");
    auto* row = new QHBoxLayout;
    row->addWidget(size);
    row->addWidget(unit);
    row->addStretch(1);
    return row;
}

inline void ShowSizeUnit(QComboBox& combo, long long bytes) {
    combo.setCurrentIndex(std::max(0, combo.findData(bytes)));
}

inline long long SizeUnitOf(const QComboBox& combo) {
    return combo.currentData().toLongLong();
}

inline std::string Text(const QLineEdit& field) {
    return field.text().trimmed().toStdString();
}

} // namespace windowsrows
