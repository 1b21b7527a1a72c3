#include "manager/checks/PropSheetServer.h"

#include "manager/app/UiSeam.h"
#include "manager/checks/PropPageServerActions.h"
#include "manager/checks/PropPageServerAdvanced.h"
#include "manager/checks/PropPageServerNotifications.h"
#include "manager/checks/PropPageServerProps.h"
#include "model/tree/SnNode.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kOffset = 100; // the sheet sits this far up and left of the parent's centre

CUiSeam::Icon IconOf(const sheetrules::Refusal& refusal) {
    return refusal.ErrorIcon ? CUiSeam::Icon::Error : CUiSeam::Icon::Warning;
}

} // namespace

CPropSheetServer::CPropSheetServer(CSnNode& node, const Setup& setup, QWidget* parent)
    : QDialog(parent), m_node(node), m_setup(setup), m_work(std::make_unique<CSnNode>(node)),
      m_buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel) {
    setObjectName("checkPropertySheet");
    m_mode = node.Cfg.ScanFrequency.Mode;
    // The pages in their fixed order; the General page may change the mode, which the
    // others read when they are shown.
    m_general = new CPropPageServerProps(*this);
    m_notifications = new CPropPageServerNotifications(*this);
    m_actions = new CPropPageServerActions(*this);
    m_advanced = new CPropPageServerAdvanced(*this);
    m_tabs.addTab(m_general, "General Properties");
    m_tabs.addTab(m_notifications, "Notification Properties");
    m_tabs.addTab(m_actions, "Action Properties");
    m_tabs.addTab(m_advanced, "Advanced Properties");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_tabs);
    layout->addWidget(&m_buttons);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &CPropSheetServer::accept);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_tabs, &QTabWidget::currentChanged, this, &CPropSheetServer::OnTabChanged);
    adjustSize();
    if (parent != nullptr) {
        QRect frame = geometry();
        frame.moveCenter(parent->geometry().center());
        move(frame.topLeft() - QPoint(kOffset, kOffset));
    }
}

CPropSheetServer::~CPropSheetServer() = default;

CheckDialogContext CPropSheetServer::DialogContext() const {
    CheckDialogContext ctx{m_setup.seam, m_setup.cfg, m_setup.hosts != nullptr, false};
    if (m_setup.hosts != nullptr) {
        CServerList typed;
        ctx.manyHosts = typed.Parse(m_work->Cfg.Function.ParamServer) > 1;
    }
    return ctx;
}

void CPropSheetServer::SetMode(int mode) { m_mode = mode; }

void CPropSheetServer::UpdateTitle(const QString& displayName, bool hasType) {
    setWindowTitle(QString::fromStdString(
        sheetrules::SheetTitle(CQvcString(displayName.toStdString()), hasType).Str()));
}

int CPropSheetServer::Run() {
    m_confirmed = false;
    // A type given in advance opens its dialog as soon as the sheet exists.
    m_general->OpenPendingTypeDialog();
    const int result = m_setup.seam.ExecDialog(*this);
    return result == CUiSeam::kAccepted && m_confirmed ? CUiSeam::kAccepted : CUiSeam::kRejected;
}

bool CPropSheetServer::PageAccepts(int index) {
    auto* page = qobject_cast<CPropPage*>(m_tabs.widget(index));
    const sheetrules::Refusal refusal = page ? page->Check() : sheetrules::Refusal{};
    if (!refusal.Refused())
        return true;
    m_setup.seam.Message(refusal.Text, IconOf(refusal));
    return false;
}

void CPropSheetServer::OnTabChanged(int index) {
    if (m_switching)
        return;
    // Leaving a page checks its fields; a refusal keeps it shown.
    if (!PageAccepts(m_shownTab)) {
        m_switching = true;
        m_tabs.setCurrentIndex(m_shownTab);
        m_switching = false;
        return;
    }
    m_shownTab = index;
    if (auto* page = qobject_cast<CPropPage*>(m_tabs.widget(index)))
        page->OnActivate();
}

void CPropSheetServer::accept() {
    // The shown page first, then the others in order; the first refusal shows its page.
    std::vector<int> order{m_tabs.currentIndex()};
    for (int i = 0; i < m_tabs.count(); ++i)
        if (i != m_tabs.currentIndex())
            order.push_back(i);
    for (const int index : order) {
        if (!PageAccepts(index)) {
            m_switching = true;
            m_tabs.setCurrentIndex(index);
            m_shownTab = index;
            m_switching = false;
            return;
        }
    }
    for (int i = 0; i < m_tabs.count(); ++i)
        qobject_cast<CPropPage*>(m_tabs.widget(i))->Confirm();
    m_confirmed = true;
    QDialog::accept();
}
