#include "manager/app/DialogOkChecked.h"

#include "manager/app/UiSeam.h"
#include "model/console/CheckedNotice.h"

#include <QStyle>

CDialogOkChecked::CDialogOkChecked(const QString& title, const QString& message, QWidget* parent)
    : QDialog(parent), m_message(message), m_dontShow("&Don't show this message next time"),
      m_buttons(QDialogButtonBox::Ok) {
    setObjectName("okCheckedDialog");
    setWindowTitle(title);
    m_message.setWordWrap(true);
    m_icon.setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    m_dontShow.setObjectName("dontShowAgain");
    m_grid.addWidget(&m_icon, 0, 0, Qt::AlignTop);
    m_grid.addWidget(&m_message, 0, 1);
    m_grid.addWidget(&m_dontShow, 1, 1);
    m_grid.addWidget(&m_buttons, 2, 0, 1, 2);
    m_grid.setColumnStretch(1, 1);
    setLayout(&m_grid);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

bool CDialogOkChecked::Run(CUiSeam& ui, QWidget* parent, const QString& title, const QString& message,
                           const char* valueName) {
    return RunCheckedNotice(valueName, [&](bool& dontShowAgain) {
        CDialogOkChecked dialog(title, message, parent);
        dialog.SetDontShowAgain(dontShowAgain);
        const bool ok = ui.ExecDialog(dialog) == CUiSeam::kAccepted;
        dontShowAgain = dialog.DontShowAgain();
        return ok;
    });
}
