#include "manager/checks/DialogUncertain.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>

CDialogUncertain::CDialogUncertain(const CSnNodeCfgUncertain& value, QWidget* parent) : QDialog(parent) {
    setObjectName("uncertainDialog");
    setWindowTitle("Uncertain results");
    auto* grid = new QGridLayout(this);
    auto* outer = new QButtonGroup(this);
    outer->addButton(&m_global);
    outer->addButton(&m_own);
    auto* inner = new QButtonGroup(this);
    for (QRadioButton* b : {&m_uncertain, &m_error, &m_success})
        inner->addButton(b);
    grid->addWidget(&m_global, 0, 0, 1, 2);
    grid->addWidget(&m_own, 1, 0, 1, 2);
    grid->addWidget(&m_uncertain, 2, 1);
    grid->addWidget(&m_error, 3, 1);
    grid->addWidget(&m_success, 4, 1);
    grid->setColumnMinimumWidth(0, 20);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    grid->addWidget(buttons, 5, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    (value.UseGlobal ? m_global : m_own).setChecked(true);
    (value.AsError ? m_error : value.AsSuccess ? m_success : m_uncertain).setChecked(true);
    connect(&m_own, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    UpdateEnabling();
}

void CDialogUncertain::UpdateEnabling() {
    for (QRadioButton* b : {&m_uncertain, &m_error, &m_success})
        b->setEnabled(m_own.isChecked());
}

CSnNodeCfgUncertain CDialogUncertain::Value() const {
    CSnNodeCfgUncertain v;
    v.UseGlobal = m_global.isChecked() ? 1 : 0;
    v.AsError = !v.UseGlobal && m_error.isChecked() ? 1 : 0;
    v.AsSuccess = !v.UseGlobal && m_success.isChecked() ? 1 : 0;
    return v;
}
