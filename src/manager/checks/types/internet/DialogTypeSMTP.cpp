#include "manager/checks/types/internet/DialogTypeSMTP.h"

#include "manager/app/UiSeam.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

CDialogSmtpAuthentication::CDialogSmtpAuthentication(QWidget* parent, const std::string& login,
                                                     const std::string& password)
    : QDialog(parent) {
    setWindowTitle("SMTP Authentication");
    auto* form = new QFormLayout(this);
    m_account = new QLineEdit(QString::fromStdString(login), this);
    m_account->setMinimumWidth(220);
    m_password = new QLineEdit(QString::fromStdString(password), this);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow("&Account:", m_account);
    form->addRow("&Password:", m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

CDialogTypeSMTP::CDialogTypeSMTP(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSmtp, ctx, "SMTP Check") {
    setObjectName("smtpDialog");
    m_rows = AddEndpointRows("&Host:");
    m_pattern = &AddTextRow("&Response should include the following pattern:");
    m_secure = &AddOption("&Secure Mail Server", 2);
    m_authenticate = &AddOption("Server re&quires authentication", 3);
    m_authButton = new QPushButton("&Authentication Settings...", this);
    auto* row = new QHBoxLayout;
    row->addSpacing(24);
    row->addWidget(m_authButton);
    row->addStretch(1);
    Form().addRow(row);
    connect(m_authenticate, &QCheckBox::toggled, m_authButton, &QWidget::setEnabled);
    connect(m_authButton, &QPushButton::clicked, this, &CDialogTypeSMTP::EditAuthentication);
    AddSampleLink();
    Show(SmtpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeSMTP::Show(const SmtpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_rows.port, s.Port);
    m_pattern->setText(QString::fromStdString(s.Pattern));
    m_login = s.Login;
    m_password = s.Password;
    ShowOptions(s);
    m_authButton->setEnabled(m_authenticate->isChecked());
}

void CDialogTypeSMTP::EditAuthentication() {
    CDialogSmtpAuthentication editor(this, m_login, m_password);
    if (Context().seam.ExecDialog(editor) != CUiSeam::kAccepted)
        return;
    m_login = editor.AccountField().text().trimmed().toStdString();
    m_password = editor.PasswordField().text().toStdString();
}

bool CDialogTypeSMTP::Collect(CSnNodeCfgFunction& out) {
    SmtpSettings s = ReadOptions<SmtpSettings>(out);
    s.Host = HostField()->text().toStdString();
    s.Port = static_cast<int>(Number(*m_rows.port));
    s.Pattern = m_pattern->text().toStdString();
    s.Login = m_login;
    s.Password = m_password;
    if (!PassesAt(CheckSmtpFields(s, HostLimits()), {HostField(), m_rows.port, m_authButton, m_pattern}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeSMTP::FillSample() {
    SmtpSettings sample;
    sample.Host = "127.0.0.1";
    sample.Authenticate = false;
    Show(sample);
}
