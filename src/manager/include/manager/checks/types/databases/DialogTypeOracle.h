#pragma once
// CDialogTypeOracle: "Oracle Connectivity Check" (type 112): the server's TNS name, whether
// the check only asks the listener (TnsPing) or logs on to the database, and the account
// it logs on with, through OracleSettings.
#include "manager/checks/types/DialogCheck.h"

class QRadioButton;

class CDialogTypeOracle final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeOracle(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLineEdit* m_server = nullptr;
    QRadioButton* m_tnsPing = nullptr;
    QRadioButton* m_logOn = nullptr;
    LoginRows m_login;
};
