#include "manager/checks/DialogInverse.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CDialogInverse::CDialogInverse(bool inverse, QWidget* parent) : QDialog(parent) {
    setObjectName("inverseDialog");
    setWindowTitle("Inverse Success/Error Result");
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel("With an inverse result, a check that fails is reported as a success, and a check that "
                            "succeeds is reported as an error.");
    note->setWordWrap(true);
    layout->addWidget(note);
    m_box.setChecked(inverse);
    layout->addWidget(&m_box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}
