#pragma once
// CDialogTypeSftp: "SFTP Check" (type 310): the host, the port, the account, logging on
// with its password or with a private key file, the time-out, accepting any host key, and
// what is checked: logging on, a file's existence, or a pattern in the file that should or
// should not match.  OK runs CheckSftpFields and writes through SftpSettings.
#include "manager/checks/types/DialogCheck.h"

struct SftpSettings;

class CDialogTypeSftp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSftp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& PortField() { return *m_rows.port; }
    QLineEdit& TimeoutField() { return *m_rows.timeout; }
    const LoginRows& Login() const { return m_login; }
    QButtonGroup& LogonChoice() { return *m_logonChoice; }
    QLineEdit& KeyFileField() { return *m_keyFile; }
    QCheckBox& AnyHostKeyBox() { return *m_anyHostKey; }
    QButtonGroup& FileChoice() { return *m_fileChoice; }
    QLineEdit& FileField() { return *m_file; }
    QCheckBox& PatternBox() { return *m_patternBox; }
    QLineEdit& PatternField() { return *m_pattern; }
    QButtonGroup& MatchChoice() { return *m_matchChoice; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const SftpSettings& settings);

    EndpointRows m_rows;
    LoginRows m_login;
    QButtonGroup* m_logonChoice = nullptr;
    QLineEdit* m_keyFile = nullptr;
    QCheckBox* m_anyHostKey = nullptr;
    QButtonGroup* m_fileChoice = nullptr;
    QLineEdit* m_file = nullptr;
    QCheckBox* m_patternBox = nullptr;
    QLineEdit* m_pattern = nullptr;
    QButtonGroup* m_matchChoice = nullptr;
};
