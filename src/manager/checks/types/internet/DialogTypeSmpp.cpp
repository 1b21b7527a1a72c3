#include "manager/checks/types/internet/DialogTypeSmpp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

CDialogTypeSmpp::CDialogTypeSmpp(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSmpp, ctx, "SMPP Check") {
    setObjectName("smppDialog");
    m_port = AddEndpointRows("&Host:").port;
    m_systemType = &AddTextRow("System &Type:");
    m_systemType->setObjectName("systemType");
    QButtonGroup& mode =
        AddOptionChoice(0, {{"Check &availability only", '0'}, {"&Log on using your account:", '1'}});
    mode.button('0')->setObjectName("availabilityOnly");
    mode.button('1')->setObjectName("logOn");
    m_login = AddLoginRows("System &ID:", "Pass&word:");
    for (QWidget* field : std::initializer_list<QWidget*>{m_systemType, m_login.account, m_login.password}) {
        field->setEnabled(false); // until the box is set
        connect(mode.button('1'), &QAbstractButton::toggled, field, &QWidget::setEnabled);
    }
    AddSampleLink();
    Show(SmppSettings::Read(Initial()));
    Finish();
}

void CDialogTypeSmpp::Show(const SmppSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_port, s.Port);
    m_systemType->setText(QString::fromStdString(s.SystemType));
    m_login.Show(s.SystemId, s.Password);
    ShowOptions(s);
}

bool CDialogTypeSmpp::Collect(CSnNodeCfgFunction& out) {
    SmppSettings s = ReadOptions<SmppSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.Port = static_cast<int>(Number(*m_port));
    s.SystemType = m_systemType->text().trimmed().toStdString();
    s.SystemId = m_login.Account();
    s.Password = m_login.Password();
    if (!PassesAt(CheckSmppFields(s, HostLimits()), {HostField(), m_port}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeSmpp::FillSample() {
    SmppSettings s;
    s.Host = "127.0.0.1";
    s.SystemId = "smppclient1";
    Show(s);
}
