#include "manager/checks/types/internet/DialogTypePOP3.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypePOP3::CDialogTypePOP3(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypePop3, ctx, "POP3 Check") {
    setObjectName("pop3Dialog");
    m_rows = AddEndpointRows("&Host:");
    m_secure = &AddOption("&Secure", 2);
    m_login = AddLoginRows();
    AddSampleLink();
    Show(Pop3Settings::Read(Initial()));
    Finish();
}

void CDialogTypePOP3::Show(const Pop3Settings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_rows.port, s.Port);
    m_login.Show(s.Login, s.Password);
    ShowOptions(s);
}

bool CDialogTypePOP3::Collect(CSnNodeCfgFunction& out) {
    Pop3Settings s = ReadOptions<Pop3Settings>(out);
    s.Host = HostField()->text().toStdString();
    s.Port = static_cast<int>(Number(*m_rows.port));
    s.Login = m_login.Account();
    s.Password = m_login.Password();
    if (!PassesAt(CheckPop3Fields(s, HostLimits()), {HostField(), m_rows.port}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypePOP3::FillSample() {
    Pop3Settings sample;
    sample.Host = "127.0.0.1";
    Show(sample);
}
