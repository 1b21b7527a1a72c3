#include "manager/checks/types/databases/DialogTypeOdbc.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypeOdbc::CDialogTypeOdbc(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeOdbc, ctx, "ODBC Connectivity Check") {
    setObjectName("odbcDialog");
    m_dsn = &AddTextRow("ODBC &DSN Name:");
    m_dsn->setObjectName("dsn");
    m_login = AddLoginRows("&Username/Login:", "&Password:");
    const OdbcSettings s = OdbcSettings::Read(Initial());
    m_dsn->setText(QString::fromStdString(s.Dsn));
    m_login.Show(s.Login, s.Password);
    Finish();
}

bool CDialogTypeOdbc::Collect(CSnNodeCfgFunction& out) {
    const OdbcSettings s{m_dsn->text().trimmed().toStdString(), m_login.Account(), m_login.Password()};
    if (!PassesAt(CheckOdbcFields(s), {m_dsn}))
        return false;
    s.Write(out);
    return true;
}
