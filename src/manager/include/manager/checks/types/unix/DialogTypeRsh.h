#pragma once
// CDialogTypeRsh: "RSH - Linux/Unix Shell Script" (type 35): the remote host, the user
// name, the command, its time-out and what output on standard error means, through
// RshSettings (the port is kept as stored).
#include "manager/checks/types/DialogCheck.h"

struct RshSettings;

class CDialogTypeRsh final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeRsh(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const RshSettings& settings);

    QLineEdit* m_user = nullptr;
    QLineEdit* m_command = nullptr;
    QLineEdit* m_timeout = nullptr;
};
