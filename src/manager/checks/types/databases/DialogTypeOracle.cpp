#include "manager/checks/types/databases/DialogTypeOracle.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>

CDialogTypeOracle::CDialogTypeOracle(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeOracle, ctx, "Oracle Connectivity Check") {
    setObjectName("oracleDialog");
    m_server = &AddTextRow("&Server (TNS Name):");
    m_server->setObjectName("server");
    m_tnsPing = new QRadioButton("&TnsPing", this);
    m_tnsPing->setObjectName("tnsPing");
    m_logOn = new QRadioButton("&Logon to the database", this);
    m_logOn->setObjectName("logOn");
    auto* choice = new QButtonGroup(this);
    choice->addButton(m_tnsPing);
    choice->addButton(m_logOn);
    Form().addRow(m_tnsPing);
    Form().addRow(m_logOn);
    m_login = AddLoginRows("&Account:", "&Password:");
    // The account only serves the log-on.
    for (QLineEdit* field : {m_login.account, m_login.password}) {
        field->setEnabled(false);
        connect(m_logOn, &QRadioButton::toggled, field, &QWidget::setEnabled);
    }
    const OracleSettings s = OracleSettings::Read(Initial());
    m_server->setText(QString::fromStdString(s.Server));
    (s.LogOn ? m_logOn : m_tnsPing)->setChecked(true);
    m_login.Show(s.Login, s.Password);
    Finish();
}

bool CDialogTypeOracle::Collect(CSnNodeCfgFunction& out) {
    const OracleSettings s{m_server->text().trimmed().toStdString(), m_logOn->isChecked(), m_login.Account(),
                           m_login.Password()};
    if (!PassesAt(CheckOracleFields(s, HostLimits()), {m_server}))
        return false;
    s.Write(out);
    return true;
}
