#include "manager/service/DialogService.h"

#include "library/Messages.h"
#include "manager/app/UiSeam.h"
#include "manager/app/WaitCursor.h"
#include "model/service/ServiceDialogRules.h"

#include <QApplication>
#include <QScreen>

namespace {

constexpr int kTimerMsecs = 1000;
// Where the dialog opens: centred, then this far left and up.
constexpr int kOpeningShift = 100;

QString Text(const CQvcString& text) { return QString::fromUtf8(text.c_str()); }

void ReadOnly(QLineEdit& field, const char* name) {
    field.setObjectName(name);
    field.setReadOnly(true);
    field.setFocusPolicy(Qt::NoFocus);
}

} // namespace

CDialogService::CDialogService(CUiSeam& ui, const CQvcString& computer, QWidget* parent,
                               std::unique_ptr<ISnServiceControl> control)
    : QDialog(parent), CQvcBase("CDialogService"), m_ui(ui),
      m_control(control ? std::move(control) : MakeServiceControl({})), m_start("&Start"), m_stop("S&top"),
      m_restart("&Restart"), m_close("Close") {
    setObjectName("serviceDialog");
    setWindowTitle("Service");
    ReadOnly(m_computer, "serviceComputer");
    ReadOnly(m_service, "serviceName");
    ReadOnly(m_state, "serviceState");
    ReadOnly(m_account, "serviceAccount");
    ReadOnly(m_password, "servicePassword");
    m_computer.setText(Text(computer));
    m_password.setEchoMode(QLineEdit::Normal);
    m_start.setObjectName("serviceStart");
    m_stop.setObjectName("serviceStop");
    m_restart.setObjectName("serviceRestart");
    m_help.setObjectName("serviceHelp");
    m_help.setOpenExternalLinks(true);
    m_help.setText(QString("<a href=\"%1\">Which account should the service use?</a>").arg(kHelpAddress));

    // One grid: the five fields with their labels, the help link, the buttons.
    const char* captions[] = {"Computer:", "Service:", "State:", "Log on as:", "Password:"};
    QLineEdit* fields[] = {&m_computer, &m_service, &m_state, &m_account, &m_password};
    for (int row = 0; row < 5; ++row) {
        m_labels[row].setText(captions[row]);
        m_grid.addWidget(&m_labels[row], row, 0);
        m_grid.addWidget(fields[row], row, 1, 1, 4);
    }
    m_grid.addWidget(&m_help, 5, 0, 1, 5);
    m_grid.addWidget(&m_start, 6, 0);
    m_grid.addWidget(&m_stop, 6, 1);
    m_grid.addWidget(&m_restart, 6, 2);
    m_grid.addWidget(&m_close, 6, 4);
    m_grid.setColumnStretch(3, 1);
    setLayout(&m_grid);

    connect(&m_start, &QPushButton::clicked, this, [this] { OnStart(); });
    connect(&m_stop, &QPushButton::clicked, this, [this] { OnStop(); });
    connect(&m_restart, &QPushButton::clicked, this, [this] { OnRestart(); });
    connect(&m_close, &QPushButton::clicked, this, &QDialog::reject);
    m_timer.setObjectName("serviceTimer");
    m_timer.setInterval(kTimerMsecs);
    connect(&m_timer, &QTimer::timeout, this, &CDialogService::OnTimerTick);
}

void CDialogService::Open() {
    adjustSize();
    const QWidget* owner = parentWidget();
    const QRect area = owner != nullptr ? owner->frameGeometry()
                                        : (screen() != nullptr ? screen()->availableGeometry() : QRect());
    if (area.isValid()) {
        QRect frame = frameGeometry();
        frame.moveCenter(area.center());
        move(frame.topLeft() - QPoint(kOpeningShift, kOpeningShift));
    }
    m_service.setText(ISnServiceControl::kEngineServiceDisplayName);
    m_state.setText("...");
    SetButtons(false, false, false);
    m_timer.start();
    if (m_startWhenOpened)
        QTimer::singleShot(0, this, [this] { OnStart(); });
}

void CDialogService::SetButtons(bool start, bool stop, bool restart) {
    m_start.setEnabled(start);
    m_stop.setEnabled(stop);
    m_restart.setEnabled(restart);
}

void CDialogService::OnTimerTick() {
    long state = -1;
    CQvcString account;
    m_control->QueryServiceState(CQvcString(m_computer.text().toUtf8().constData()),
                                ISnServiceControl::kEngineServiceName, state, &account);
    if (!account.IsEmpty()) {
        const ServiceLogonView logon = ServiceLogonViewFor(account);
        m_account.setText(Text(logon.account));
        m_password.setText(Text(logon.password));
    }
    const ServiceStateView view = ServiceStateViewFor(static_cast<int>(state));
    m_state.setText(Text(MessageText(view.messageId)));
    SetButtons(view.start, view.stop, view.restart);
}

long CDialogService::StartOrStop(bool start) {
    const CQvcString computer(m_computer.text().toUtf8().constData());
    CWaitCursor wait;
    SetButtons(false, false, false);
    m_state.setText(Text(MessageText(start ? 51574 : 51576)));
    m_state.repaint();
    const long code = m_control->StartOrStop(computer, ISnServiceControl::kEngineServiceName, start);
    Trace(kTraceFile, "%s of the service: %ld\n", start ? "start" : "stop", code);
    if (code != 0)
        m_ui.Message(MessageText(ServiceControlMessageId(code)), CUiSeam::Icon::Error);
    return code;
}

long CDialogService::OnStart() { return StartOrStop(true); }

long CDialogService::OnStop() { return StartOrStop(false); }

long CDialogService::OnRestart() {
    const long code = OnStop();
    if (code != 0)
        return code;
    return OnStart();
}
