#pragma once
// CDialogTypePOP3: "POP3 Check" (type 31): the host, the port, "Secure", the account and
// its password.  OK runs CheckPop3Fields and writes through Pop3Settings.
#include "manager/checks/types/DialogCheck.h"

struct Pop3Settings;

class CDialogTypePOP3 final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypePOP3(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& PortField() { return *m_rows.port; }
    QCheckBox& SecureBox() { return *m_secure; }
    const LoginRows& Login() const { return m_login; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const Pop3Settings& settings);

    EndpointRows m_rows;
    QCheckBox* m_secure = nullptr;
    LoginRows m_login;
};
