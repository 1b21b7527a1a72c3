#pragma once
// CDialogTypeSmpp: "SMPP Check" (type 340): the SMS centre and its port, and either a
// plain connection or a bind with system type, system ID and password, through
// SmppSettings.
#include "manager/checks/types/DialogCheck.h"

struct SmppSettings;

class CDialogTypeSmpp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSmpp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const SmppSettings& settings);

    QLineEdit* m_port = nullptr;
    QLineEdit* m_systemType = nullptr;
    LoginRows m_login;
};
