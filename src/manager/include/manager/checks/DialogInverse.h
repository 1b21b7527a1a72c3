#pragma once
// CDialogInverse: "Inverse Success/Error Result" with its one box.
#include <QCheckBox>
#include <QDialog>

class CDialogInverse final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogInverse(bool inverse, QWidget* parent = nullptr);
    QCheckBox& Box() { return m_box; }

private:
    QCheckBox m_box{"&Inverse result"};
};
