#pragma once
// CDialogTypeOdbc: "ODBC Connectivity Check" (type 110): the data source name and the
// account logged on with, through OdbcSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypeOdbc final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeOdbc(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLineEdit* m_dsn = nullptr;
    LoginRows m_login;
};
