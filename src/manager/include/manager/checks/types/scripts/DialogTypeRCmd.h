#pragma once
// CDialogTypeRCmd: "Remote Command Check" (type 280): the computer, the command, its time-out, what output
// on standard error means, and the credentials the engine logs on with, through
// RemoteCommandSettings.
#include "manager/checks/types/DialogCheck.h"

class QLineEdit;
struct RemoteCommandSettings;

class CDialogTypeRCmd final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeRCmd(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const RemoteCommandSettings& settings);

    QLineEdit* m_command = nullptr;
    QLineEdit* m_timeout = nullptr;
};
