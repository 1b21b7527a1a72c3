#pragma once
// CDialogTypeSsh: "SSH - Linux/Unix Shell Script" (type 43): the host and port, the
// account with its password or private key file, the command run and its time-out, the
// host-key and standard-error options, and the local script copied to the host before the
// run (it must lie in the Engine's SSH script directory), through SshSettings.
#include "manager/checks/types/DialogCheck.h"

struct SshSettings;

class CDialogTypeSsh final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSsh(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const SshSettings& settings);

    QLineEdit* m_port = nullptr;
    LoginRows m_login;
    QLineEdit* m_keyFile = nullptr;
    QLineEdit* m_command = nullptr;
    QLineEdit* m_timeout = nullptr;
    QLineEdit* m_localScript = nullptr;
};
