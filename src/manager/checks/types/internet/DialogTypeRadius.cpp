#include "manager/checks/types/internet/DialogTypeRadius.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypeRadius::CDialogTypeRadius(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeRadius, ctx, "RADIUS Check") {
    setObjectName("radiusDialog");
    AddHostRow("RADIUS &Host:");
    m_port = &AddNumberRow("RADIUS UDP &Port:");
    m_port->setObjectName("port");
    m_secret = &AddTextRow("&Secret:");
    m_secret->setObjectName("secret");
    m_secret->setEchoMode(QLineEdit::Password);
    m_timeout = &AddNumberRow("&Timeout:", "milliseconds");
    m_timeout->setObjectName("timeout");
    m_login = AddLoginRows("&User:", "Pass&word:");
    AddSampleLink();
    Show(RadiusSettings::Read(Initial()));
    Finish();
}

void CDialogTypeRadius::Show(const RadiusSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_port, s.Port);
    m_secret->setText(QString::fromStdString(s.Secret));
    SetNumber(*m_timeout, s.TimeoutMs);
    m_login.Show(s.User, s.Password);
}

bool CDialogTypeRadius::Collect(CSnNodeCfgFunction& out) {
    RadiusSettings s;
    s.Host = HostField()->text().trimmed().toStdString();
    s.Port = static_cast<int>(Number(*m_port));
    s.Secret = m_secret->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_timeout));
    s.User = m_login.Account();
    s.Password = m_login.Password();
    if (!PassesAt(CheckRadiusFields(s, HostLimits()), {HostField(), m_port, m_timeout}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeRadius::FillSample() {
    RadiusSettings s;
    s.Host = "127.0.0.1";
    s.Secret = "testing123";
    s.User = "monitor";
    Show(s);
}
