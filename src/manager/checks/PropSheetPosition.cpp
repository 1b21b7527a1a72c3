#include "manager/checks/PropSheetPosition.h"

#include "manager/app/UiSeam.h"

#include <QVBoxLayout>

namespace {
constexpr int kOffset = 100; // the sheet sits this far up and left of the parent's centre
} // namespace

CPropSheetPosition::CPropSheetPosition(const QString& title, CUiSeam& seam, QWidget* parent)
    : QDialog(parent), m_seam(seam), m_buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel) {
    setObjectName("positionedPropertySheet");
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_tabs);
    layout->addWidget(&m_buttons);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &CPropSheetPosition::accept);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CPropSheetPosition::AddPage(Page* page, const QString& label) {
    m_pages.push_back(page);
    m_tabs.addTab(page, label);
}

int CPropSheetPosition::Run() {
    adjustSize();
    if (const QWidget* owner = parentWidget()) {
        QRect frame = geometry();
        frame.moveCenter(owner->geometry().center());
        move(frame.topLeft() - QPoint(kOffset, kOffset));
    }
    m_confirmed = false;
    const int result = m_seam.ExecDialog(*this);
    return result == CUiSeam::kAccepted && m_confirmed ? CUiSeam::kAccepted : CUiSeam::kRejected;
}

void CPropSheetPosition::accept() {
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        const sheetrules::Refusal refusal = m_pages[i]->Check();
        if (refusal.Refused()) {
            m_tabs.setCurrentIndex(static_cast<int>(i));
            m_seam.Message(refusal.Text, refusal.ErrorIcon ? CUiSeam::Icon::Error : CUiSeam::Icon::Warning);
            return;
        }
    }
    for (Page* page : m_pages)
        page->Confirm();
    m_confirmed = true;
    QDialog::accept();
}
