#pragma once
// CDialogTypeSmtp2Pop3: "SMTP to POP3 Check" (type 240): the recipient and subject of the
// test message, the SMTP server it is sent through (edited in CDialogSmtpServer), the
// POP3 mailbox it is looked for in, and the minutes and message count of the check.  OK
// runs CheckSmtp2Pop3Fields and writes through Smtp2Pop3Settings.
#include "manager/checks/types/DialogCheck.h"
#include "model/checks/CheckSettings.h"

// "SMTP Server": the server the test message goes through, TLS, and its account when it
// requires authentication.
class CDialogSmtpServer final : public QDialog {
    Q_OBJECT
public:
    CDialogSmtpServer(QWidget* parent, const Smtp2Pop3Settings& settings);
    // The SMTP fields of `settings` from the controls.
    void Collect(Smtp2Pop3Settings& settings) const;

    QLineEdit& ServerField() { return *m_server; }
    QCheckBox& SecureBox() { return *m_secure; }
    QCheckBox& AuthenticationBox() { return *m_authentication; }
    QLineEdit& AccountField() { return *m_account; }
    QLineEdit& PasswordField() { return *m_password; }

private:
    QLineEdit* m_server = nullptr;
    QCheckBox* m_secure = nullptr;
    QCheckBox* m_authentication = nullptr;
    QLineEdit* m_account = nullptr;
    QLineEdit* m_password = nullptr;
};

class CDialogTypeSmtp2Pop3 final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSmtp2Pop3(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& RecipientField() { return *m_recipient; }
    QLineEdit& SubjectField() { return *m_subject; }
    QPushButton& SmtpButton() { return *m_smtpButton; }
    QLineEdit& Pop3ServerField() { return *m_pop3Server; }
    QLineEdit& Pop3PortField() { return *m_pop3Port; }
    QCheckBox& Pop3SecureBox() { return *m_pop3Secure; }
    const LoginRows& Pop3Login() const { return m_pop3Login; }
    QCheckBox& DeleteBox() { return *m_delete; }
    QLineEdit& CheckMinutesField() { return *m_checkMinutes; }
    QLineEdit& MailCountField() { return *m_mailCount; }
    QLineEdit& ErrorMinutesField() { return *m_errorMinutes; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const Smtp2Pop3Settings& settings);
    void ShowSmtpServer();
    void ConfigureSmtpServer();

    Smtp2Pop3Settings m_smtp; // the SMTP fields as CDialogSmtpServer left them
    QLineEdit* m_recipient = nullptr;
    QLineEdit* m_subject = nullptr;
    QLabel* m_smtpServer = nullptr;
    QPushButton* m_smtpButton = nullptr;
    QLineEdit* m_pop3Server = nullptr;
    QLineEdit* m_pop3Port = nullptr;
    QCheckBox* m_pop3Secure = nullptr;
    LoginRows m_pop3Login;
    QCheckBox* m_delete = nullptr;
    QLineEdit* m_checkMinutes = nullptr;
    QLineEdit* m_mailCount = nullptr;
    QLineEdit* m_errorMinutes = nullptr;
};
