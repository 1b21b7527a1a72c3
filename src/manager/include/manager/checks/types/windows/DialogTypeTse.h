#pragma once
// CDialogTypeTse: "Microsoft Terminal Server Check" (type 120): the computer, the three session maxima and
// which of them apply, and the credentials, through TerminalServerSettings.
#include "manager/checks/types/DialogCheck.h"

class QLineEdit;
struct TerminalServerSettings;

class CDialogTypeTse final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeTse(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const TerminalServerSettings& settings);

    QLineEdit* m_active = nullptr;
    QLineEdit* m_inactive = nullptr;
    QLineEdit* m_total = nullptr;
};
