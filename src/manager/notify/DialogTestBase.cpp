#include "manager/notify/DialogTestBase.h"

#include "manager/app/QMonApp.h"
#include "manager/app/UiSeam.h"
#include "model/link/SnIPC.h"
#include "model/notify/NotifyPageRules.h"
#include "model/notify/SnMsnNotificationRequest.h"
#include "model/notify/SnNetworkNotificationRequest.h"
#include "model/notify/SnPagerNotificationRequest.h"
#include "model/notify/SnSmsNotificationRequest.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"
#include "model/service/ISnServiceControl.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace {

QString Q(const CQvcString& text) { return QString::fromStdString(text.Str()); }
CQvcString C(const QString& text) { return CQvcString(text.toStdString()); }

} // namespace

CDialogTestBase::CDialogTestBase(CQMonApp& app, TestDialogKind kind, const char* title, QWidget* parent)
    : QDialog(parent), m_app(app), m_kind(kind) {
    setWindowTitle(title);
    CSnIPC* link = app.Store() != nullptr ? app.Store()->Link() : nullptr;
    const CQvcString root = link != nullptr ? link->RootDirectory() : CQvcString();
    const CQvcString directory = link != nullptr ? link->NotificationDirectory() : CQvcString();
    m_exchange = std::make_unique<CNotificationTestExchange>(kind, root, directory,
                                                             [] { return std::chrono::steady_clock::now(); });
    m_values = LoadTestValues(kind, m_exchange->DefaultLogFile());
    m_summary.setReadOnly(true);
    m_summary.setMaximumHeight(110);
    m_status.setWordWrap(true);
    m_result.setWordWrap(true);
    m_result.setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(&m_send, &QPushButton::clicked, this, &CDialogTestBase::OnSend);
    connect(&m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_timer, &QTimer::timeout, this, &CDialogTestBase::OnTick);
}

CDialogTestBase::~CDialogTestBase() = default; // the exchange deletes the request's files

void CDialogTestBase::Finish(const CQvcString& summary, bool message, bool logFile) {
    m_summary.setPlainText(Q(summary).replace('\r', '\n'));
    m_recipient.setText(Q(m_values.Recipient));
    m_message.setPlainText(Q(m_values.Message).replace("\r\n", "\n"));
    m_message.setMaximumHeight(80);
    m_logFile.setText(Q(m_values.LogFile));
    m_form.insertRow(0, "Settings:", &m_summary);
    m_form.insertRow(1, "&Recipient:", &m_recipient);
    if (message)
        m_form.addRow("&Message:", &m_message);
    else
        m_message.hide();
    m_hasLogFile = logFile;
    if (logFile)
        m_form.addRow("&Log file:", &m_logFile);
    else
        m_logFile.hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(&m_form);
    layout->addWidget(&m_status);
    layout->addWidget(&m_result);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(&m_send, QDialogButtonBox::AcceptRole);
    buttons->addButton(&m_close, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    // Tab goes down the rows from the recipient, which has the focus first; the summary
    // is only read.
    m_summary.setFocusPolicy(Qt::ClickFocus);
    QWidget* previous = &m_recipient;
    for (int row = 2; row < m_form.rowCount(); ++row) {
        if (QLayoutItem* item = m_form.itemAt(row, QFormLayout::FieldRole); item && item->widget()) {
            setTabOrder(previous, item->widget());
            previous = item->widget();
        }
    }
    setTabOrder(previous, &m_send);
    setTabOrder(&m_send, &m_close);
    m_recipient.setFocus();
    resize(460, sizeHint().height());
}

CQvcString CDialogTestBase::MessageText() const {
    return C(m_message.toPlainText().replace("\n", "\r\n"));
}

bool CDialogTestBase::Prepare() {
    CSnCfg* store = m_app.Store();
    const std::unique_ptr<ISnServiceControl> control = MakeServiceControl(m_app.GetOptions().serviceControl);
    std::optional<bool> running;
    long state = -1;
    if (control && control->QueryServiceState(store != nullptr ? store->EngineName() : CQvcString(),
                                              ISnServiceControl::kEngineServiceName, state) == 0)
        running = state == ISnServiceControl::kStateRunning;
    for (;;) {
        switch (m_exchange->Open(running)) {
        case CNotificationTestExchange::Opening::ServiceStopped:
            m_app.Ui().Message(CNotificationTestExchange::ServiceStoppedText(), CUiSeam::Icon::Error);
            return false;
        case CNotificationTestExchange::Opening::AskToClearQueue:
            if (m_app.Ui().Message(m_exchange->PendingQuestion(), CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) !=
                CUiSeam::kYes)
                return false;
            m_exchange->ClearQueue();
            continue;
        case CNotificationTestExchange::Opening::Proceed:
            m_timer.start(1000);
            return true;
        }
    }
}

void CDialogTestBase::OnSend() {
    using Result = CNotificationTestExchange::SendResult;
    const CQvcString recipient = C(m_recipient.text());
    const CQvcString logFile = LogFileText();
    const Result result = m_exchange->Send(BuildRequest(), recipient, logFile);
    switch (result) {
    case Result::LogFileOutsideRoot:
        m_app.Ui().Message(m_exchange->RefusalText(result), CUiSeam::Icon::Error);
        m_logFile.setText(Q(m_exchange->DefaultLogFile()));
        return;
    case Result::NoRecipient:
        m_app.Ui().Message(m_exchange->RefusalText(result), CUiSeam::Icon::Error);
        m_recipient.setFocus();
        return;
    case Result::Reset:
        m_status.clear();
        return;
    case Result::Sent:
        break;
    }
    m_result.clear();
    m_values.Recipient = recipient;
    m_values.Message = MessageText();
    m_values.LogFile = logFile;
    StoreTestValues(m_kind, m_values);
    OnTick();
}

void CDialogTestBase::OnTick() {
    const CNotificationTestExchange::TickView view = m_exchange->Tick();
    if (!view.Active)
        return;
    m_send.setEnabled(view.OkEnabled);
    if (!view.Status.IsEmpty())
        m_status.setText(Q(view.Status));
    if (!view.Result.IsEmpty()) {
        m_status.clear();
        m_result.setText(Q(view.Result).replace("\r\n", "\n").replace('\r', '\n'));
        m_send.setEnabled(true);
    }
}

// ---- E-mail ---------------------------------------------------------------------------

CDialogTestEmail::CDialogTestEmail(CQMonApp& app, const CSnSmtpSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::Email, "Test E-mail Notification", parent), m_settings(settings) {
    m_subject.setText(Q(m_values.Subject));
    Form().addRow("&Subject:", &m_subject);
    CQvcString summary;
    summary.Format("Mail server: %s:%d", settings.Server1.c_str(), settings.Port1);
    summary += CQvcString("\rSecure Mail Server: ") + (settings.Secure1 ? "Yes" : "No");
    summary += CQvcString("\rAuthentication required: ") + (settings.AuthRequired1 ? "Yes" : "No");
    if (settings.AuthRequired1)
        summary += CQvcString("\rLogon: ") + settings.Login1 + "\rPassword: ********";
    summary += CQvcString("\rSender name: ") + settings.SenderName1;
    summary += CQvcString("\rSender e-mail: ") + settings.SenderAddress1;
    // The character set by the name the E-mail page shows; an unlisted one by its number.
    CQvcString charSet(static_cast<int>(settings.CharSet));
    for (const auto& cs : notifyrules::kMailCharSets)
        if (cs.Code == settings.CharSet)
            charSet = cs.Name;
    summary += CQvcString("\rCharacter set: ") + charSet;
    Finish(summary, true, true);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestEmail::BuildRequest() const {
    auto request = std::make_unique<CSnSmtpNotificationRequest>();
    const CSnSmtpSettings& s = m_settings;
    request->MailServer1 = s.Server1;
    request->MailSecure1 = s.Secure1 ? 1 : 0;
    request->MailServerPort1 = s.Port1;
    request->MailServerLogin1 = s.AuthRequired1 ? s.Login1 : CQvcString();
    request->MailServerPassword1 = s.AuthRequired1 ? CQvcString::Unscramble(s.Password1.Str()) : CQvcString();
    request->SenderName1 = s.SenderName1;
    request->SenderAddress1 = s.SenderAddress1;
    request->MailServer2 = s.Server2;
    request->MailSecure2 = s.Secure2 ? 1 : 0;
    request->MailServerPort2 = s.Port2;
    request->MailServerLogin2 = s.AuthRequired2 ? s.Login2 : CQvcString();
    request->MailServerPassword2 = s.AuthRequired2 ? CQvcString::Unscramble(s.Password2.Str()) : CQvcString();
    request->SenderName2 = s.SenderName2;
    request->SenderAddress2 = s.SenderAddress2;
    request->RecipientAddressList = C(RecipientText());
    request->Subject = C(m_subject.text());
    request->CharSet = s.CharSet;
    request->Message = MessageText();
    request->RTF = s.Rtf ? 1 : 0;
    request->LogFile = LogFileText();
    return request;
}

// ---- SNMP trap ------------------------------------------------------------------------

CDialogTestSnmpTrap::CDialogTestSnmpTrap(CQMonApp& app, const CSnSnmpTrapsSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::SnmpTrap, "Test SNMP Trap", parent), m_settings(settings) {
    if (!settings.Agent.IsEmpty())
        m_values.Recipient = settings.Agent + ":" + CQvcString(static_cast<int>(settings.Port));
    // The trap goes to one agent, typed where the other channels take their recipients.
    Recipient().setPlaceholderText("agent (receiver) as host:port");
    Form().addRow("&Value:", &m_value);
    CQvcString summary;
    summary.Format("Community: %s\rOID: %s\rSNMP version: %d\rGeneric trap: %d", settings.Community.c_str(),
                   settings.Oid.c_str(), static_cast<int>(settings.ProtocolVersion),
                   static_cast<int>(settings.GenericTrap));
    Finish(summary, false, false);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestSnmpTrap::BuildRequest() const {
    auto request = std::make_unique<CSnSnmpNotificationRequest>();
    request->Agent = C(RecipientText());
    request->Community = m_settings.Community;
    request->OID = m_settings.Oid;
    request->OIDValue = C(m_value.text());
    // The value goes as text, as in the traps of the alerts: the record's stored type
    // (an integer by default) would refuse the dialog's own default value.
    request->OIDType = 8;
    request->ProtocolVersion = m_settings.ProtocolVersion;
    request->GenericTrap = m_settings.GenericTrap;
    request->LogFile = m_settings.LogFile;
    return request;
}

// ---- SMS ------------------------------------------------------------------------------

CDialogTestSms::CDialogTestSms(CQMonApp& app, const CSnSmsSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::Sms, "Test SMS Notification", parent), m_settings(settings) {
    static const char* const protocols[] = {"GSM device", "HTTP provider", "Messaging server"};
    const int protocol = settings.Protocol >= 0 && settings.Protocol <= 2 ? settings.Protocol : 0;
    CQvcString summary = CQvcString("Protocol: ") + protocols[protocol];
    summary += protocol == 1 ? CQvcString("\rProvider URL: ") + settings.HttpProviderUrl
                             : CQvcString("\rDevice: ") + settings.GsmDevice;
    Finish(summary, true, true);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestSms::BuildRequest() const {
    auto request = std::make_unique<CSnSmsNotificationRequest>();
    const CSnSmsSettings& s = m_settings;
    request->RecipientAddressList = C(RecipientText());
    request->Message = MessageText();
    request->LogFile = LogFileText();
    request->SmsProtocol = s.Protocol;
    request->GsmHasPinCode = s.GsmHasPinCode ? 1 : 0;
    request->GsmPinCode = s.GsmPinCode;
    request->GsmDevice = s.GsmDevice;
    request->GsmDeviceSpeed = s.GsmDeviceSpeed;
    request->GsmDeviceFlowControl = s.GsmDeviceFlowControl;
    request->GsmInitString = s.GsmInitString;
    request->HttpProviderUrl = s.HttpProviderUrl;
    request->HttpProviderSuccessResponse = s.HttpSuccessResponse;
    request->HttpSender = s.HttpSender;
    request->HttpAdvWebAccount = s.HttpWebAccount;
    request->HttpAdvWebPassword = CQvcString::Unscramble(s.HttpWebPassword.Str());
    request->HttpAdvProxyServer = s.HttpProxyServer;
    request->HttpAdvProxyAccount = s.HttpProxyAccount;
    request->HttpAdvProxyPassword = CQvcString::Unscramble(s.HttpProxyPassword.Str());
    request->SmsServerChannel = s.ServerChannel;
    return request;
}

// ---- Pagers ---------------------------------------------------------------------------

namespace {

std::unique_ptr<CSnNotificationRequest> PagerRequest(const CSnPagerSettings& s, std::int32_t protocol,
                                                     const CQvcString& recipient, const CQvcString& message,
                                                     const CQvcString& logFile) {
    auto request = std::make_unique<CSnPagerNotificationRequest>();
    request->RecipientAddressList = recipient;
    request->LogFile = logFile;
    request->PagerProtocol = protocol;
    request->SnppServer = s.SnppServer;
    request->SnppPort = s.SnppPort;
    request->SnppPassword = CQvcString::Unscramble(s.SnppPassword.Str());
    request->SnppTimeOut = s.SnppTimeOut;
    request->Message = message;
    request->DtmfDevice = s.DtmfDevice;
    request->DtmfDeviceSpeed = s.DtmfDeviceSpeed;
    request->DtmfDeviceFlowControl = s.DtmfDeviceFlowControl;
    request->DtmfDeviceInitString = s.DtmfDeviceInitString;
    request->DtmfDialPulse = s.DtmfDialPulse ? 1 : 0;
    request->DtmfRedialsLeft = s.DtmfRedials;
    return request;
}

} // namespace

CDialogTestPagerSnpp::CDialogTestPagerSnpp(CQMonApp& app, const CSnPagerSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::PagerSnpp, "Test Pager (SNPP)", parent), m_settings(settings) {
    CQvcString summary;
    summary.Format("SNPP server: %s:%d\rTime-out: %d s", settings.SnppServer.c_str(), settings.SnppPort,
                   settings.SnppTimeOut);
    Finish(summary, true, true);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestPagerSnpp::BuildRequest() const {
    return PagerRequest(m_settings, 0, C(RecipientText()), MessageText(), LogFileText());
}

CDialogTestPagerDtmf1::CDialogTestPagerDtmf1(CQMonApp& app, const CSnPagerSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::PagerDtmf, "Test Pager (DTMF)", parent), m_settings(settings) {
    CQvcString summary;
    summary.Format("Device: %s\rSpeed: %d\rRedials: %d", settings.DtmfDevice.c_str(), settings.DtmfDeviceSpeed,
                   settings.DtmfRedials);
    Finish(summary, false, true);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestPagerDtmf1::BuildRequest() const {
    return PagerRequest(m_settings, 1, C(RecipientText()), CQvcString(), LogFileText());
}

// ---- Instant messenger and network pop-up ---------------------------------------------

CDialogTestMsn::CDialogTestMsn(CQMonApp& app, const CSnMsnSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::Msn, "Test MSN Notification", parent), m_settings(settings) {
    CQvcString summary;
    summary.Format("Server: %s:%d\rAccount: %s\rDisplay name: %s", settings.Server.c_str(), settings.Port,
                   settings.Account.c_str(), settings.DisplayName.c_str());
    Finish(summary, true, true);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestMsn::BuildRequest() const {
    auto request = std::make_unique<CSnMsnNotificationRequest>();
    request->RecipientAddressList = C(RecipientText());
    request->Message = MessageText();
    request->LogFile = LogFileText();
    request->MsnServer = m_settings.Server;
    request->MsnServerPort = m_settings.Port;
    request->MsnAccount = m_settings.Account;
    request->MsnPassword = m_settings.Password;
    request->MsnDisplayName = m_settings.DisplayName;
    return request;
}

CDialogTestNetSend::CDialogTestNetSend(CQMonApp& app, const CSnNoSettings& settings, QWidget* parent)
    : CDialogTestBase(app, TestDialogKind::NetSend, "Test Network Popup", parent), m_settings(settings) {
    Finish("A pop-up message to a computer or user of the network.", true, false);
}

std::unique_ptr<CSnNotificationRequest> CDialogTestNetSend::BuildRequest() const {
    auto request = std::make_unique<CSnNetworkNotificationRequest>();
    request->RecipientAddress = C(RecipientText());
    request->Message = MessageText();
    return request;
}
