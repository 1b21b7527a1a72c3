#include "manager/checks/types/internet/DialogTypeSmtp2Pop3.h"

#include "manager/app/UiSeam.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CDialogSmtpServer::CDialogSmtpServer(QWidget* parent, const Smtp2Pop3Settings& s) : QDialog(parent) {
    setWindowTitle("SMTP Server");
    auto* form = new QFormLayout(this);
    m_server = new QLineEdit(QString::fromStdString(s.SmtpServer), this);
    m_server->setMinimumWidth(240);
    m_server->setPlaceholderText("host or host:port");
    m_secure = new QCheckBox("&Secure Mail Server", this);
    m_secure->setChecked(s.SmtpSecure);
    m_authentication = new QCheckBox("Server re&quires authentication", this);
    m_authentication->setChecked(s.SmtpAuthentication);
    m_account = new QLineEdit(QString::fromStdString(s.SmtpLogin), this);
    m_password = new QLineEdit(QString::fromStdString(s.SmtpPassword), this);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow("SMTP &server:", m_server);
    form->addRow(m_secure);
    form->addRow(m_authentication);
    form->addRow("&Account:", m_account);
    form->addRow("&Password:", m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void CDialogSmtpServer::Collect(Smtp2Pop3Settings& s) const {
    s.SmtpServer = m_server->text().trimmed().toStdString();
    s.SmtpSecure = m_secure->isChecked();
    s.SmtpAuthentication = m_authentication->isChecked();
    s.SmtpLogin = m_account->text().trimmed().toStdString();
    s.SmtpPassword = m_password->text().toStdString();
}

CDialogTypeSmtp2Pop3::CDialogTypeSmtp2Pop3(QWidget* parent, CSnNode& w, std::int32_t,
                                           const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSmtpToPop3, ctx, "SMTP to POP3 Check") {
    setObjectName("smtp2pop3Dialog");
    BeginGroup("Test message");
    m_recipient = &AddTextRow("&Recipient:");
    m_subject = &AddTextRow("S&ubject:");
    m_smtpServer = new QLabel(this);
    m_smtpButton = new QPushButton("&Configure SMTP Server", this);
    auto* smtpRow = new QHBoxLayout;
    smtpRow->addWidget(m_smtpServer, 1);
    smtpRow->addWidget(m_smtpButton);
    Form().addRow("SMTP server:", smtpRow);
    connect(m_smtpButton, &QPushButton::clicked, this, &CDialogTypeSmtp2Pop3::ConfigureSmtpServer);
    EndGroup();
    BeginGroup("POP3 mailbox");
    m_pop3Server = &AddTextRow("POP3 ser&ver:");
    m_pop3Port = &AddNumberRow("P&ort:");
    m_pop3Secure = &AddOption("S&ecure", 0);
    m_pop3Login = AddLoginRows();
    m_delete = &AddOption("&Delete the test messages found in the mailbox", 1);
    EndGroup();
    m_checkMinutes = &AddNumberRow("Send a test message e&very:", "minutes");
    m_mailCount = &AddNumberRow("Look at the &newest:", "e-mails");
    m_errorMinutes = &AddNumberRow("Report an error &after:", "minutes without the message");
    AddSampleLink();
    Show(Smtp2Pop3Settings::Read(Initial()));
    Finish();
}

void CDialogTypeSmtp2Pop3::Show(const Smtp2Pop3Settings& s) {
    m_smtp = s;
    m_recipient->setText(QString::fromStdString(s.Recipient));
    m_subject->setText(QString::fromStdString(s.Subject));
    m_pop3Server->setText(QString::fromStdString(s.Pop3Server));
    SetNumber(*m_pop3Port, s.Pop3Port);
    m_pop3Login.Show(s.Pop3Login, s.Pop3Password);
    SetNumber(*m_checkMinutes, s.CheckMinutes);
    SetNumber(*m_mailCount, s.MailCount);
    SetNumber(*m_errorMinutes, s.ErrorMinutes);
    ShowOptions(s);
    ShowSmtpServer();
}

void CDialogTypeSmtp2Pop3::ShowSmtpServer() {
    m_smtpServer->setText(m_smtp.SmtpServer.empty() ? QString("(not configured)")
                                                    : QString::fromStdString(m_smtp.SmtpServer));
}

void CDialogTypeSmtp2Pop3::ConfigureSmtpServer() {
    CDialogSmtpServer editor(this, m_smtp);
    if (Context().seam.ExecDialog(editor) != CUiSeam::kAccepted)
        return;
    editor.Collect(m_smtp);
    ShowSmtpServer();
}

bool CDialogTypeSmtp2Pop3::Collect(CSnNodeCfgFunction& out) {
    Smtp2Pop3Settings s = ReadOptions<Smtp2Pop3Settings>(out);
    s.Recipient = m_recipient->text().trimmed().toStdString();
    s.Subject = m_subject->text().toStdString();
    s.SmtpServer = m_smtp.SmtpServer;
    s.SmtpSecure = m_smtp.SmtpSecure;
    s.SmtpAuthentication = m_smtp.SmtpAuthentication;
    s.SmtpLogin = m_smtp.SmtpLogin;
    s.SmtpPassword = m_smtp.SmtpPassword;
    s.Pop3Server = m_pop3Server->text().trimmed().toStdString();
    s.Pop3Port = static_cast<int>(Number(*m_pop3Port));
    s.Pop3Login = m_pop3Login.Account();
    s.Pop3Password = m_pop3Login.Password();
    s.CheckMinutes = static_cast<int>(Number(*m_checkMinutes));
    s.MailCount = static_cast<int>(Number(*m_mailCount));
    s.ErrorMinutes = static_cast<int>(Number(*m_errorMinutes));
    if (!PassesAt(CheckSmtp2Pop3Fields(s),
                  {m_recipient, m_subject, m_smtpButton, m_pop3Server, m_pop3Port, m_pop3Login.account,
                   m_checkMinutes, m_errorMinutes, m_mailCount}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeSmtp2Pop3::FillSample() {
    Smtp2Pop3Settings sample;
    sample.Recipient = "probe@localhost";
    sample.SmtpServer = "127.0.0.1:25";
    sample.SmtpAuthentication = false;
    sample.Pop3Server = "127.0.0.1";
    sample.Pop3Login = "probe";
    Show(sample);
}
