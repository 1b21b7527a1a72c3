#pragma once
// CDialogTypeRadius: "RADIUS Check" (type 300): the server, its UDP port, the shared
// secret, the time-out and the user authenticated, through RadiusSettings.
#include "manager/checks/types/DialogCheck.h"

struct RadiusSettings;

class CDialogTypeRadius final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeRadius(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const RadiusSettings& settings);

    QLineEdit* m_port = nullptr;
    QLineEdit* m_secret = nullptr;
    QLineEdit* m_timeout = nullptr;
    LoginRows m_login;
};
