#pragma once
// CDialogTypeSMTP: "SMTP Check" (type 32): the host, the port, the pattern the server's
// response must include, "Secure Mail Server" and "Server requires authentication", whose
// account and password are edited in CDialogSmtpAuthentication.  OK runs CheckSmtpFields
// and writes through SmtpSettings ("xx" and the two options in ParamByteCodes, the
// password scrambled).
#include "manager/checks/types/DialogCheck.h"

#include <string>

struct SmtpSettings;

// "SMTP Authentication": the account and the password (masked) the check logs on with.
class CDialogSmtpAuthentication final : public QDialog {
    Q_OBJECT
public:
    CDialogSmtpAuthentication(QWidget* parent, const std::string& login, const std::string& password);

    QLineEdit& AccountField() { return *m_account; }
    QLineEdit& PasswordField() { return *m_password; }

private:
    QLineEdit* m_account = nullptr;
    QLineEdit* m_password = nullptr;
};

class CDialogTypeSMTP final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSMTP(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& PortField() { return *m_rows.port; }
    QLineEdit& PatternField() { return *m_pattern; }
    QCheckBox& SecureBox() { return *m_secure; }
    QCheckBox& AuthenticationBox() { return *m_authenticate; }
    QPushButton& AuthenticationButton() { return *m_authButton; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const SmtpSettings& settings);
    void EditAuthentication();

    EndpointRows m_rows;
    QLineEdit* m_pattern = nullptr;
    QCheckBox* m_secure = nullptr;
    QCheckBox* m_authenticate = nullptr;
    QPushButton* m_authButton = nullptr;
    std::string m_login;
    std::string m_password;
};
