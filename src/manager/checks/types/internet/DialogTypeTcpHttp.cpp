#include "manager/checks/types/internet/DialogTypeTcpHttp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>

CDialogTypeTcpHttp::CDialogTypeTcpHttp(QWidget* parent, CSnNode& w, std::int32_t,
                                       const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeHttp, ctx, "HTTP/HTTPs Check") {
    setObjectName("httpDialog");
    m_url = &AddTextRow("&URL: http(s)://");
    m_url->setObjectName("url");
    m_url->setMinimumWidth(340);
    m_contentChoice =
        &AddOptionChoice(2, {{"Check &availability only", '0'}, {"Check page &content match:", '1'}});
    m_content = &AddTextRow({});
    m_status = &AddTextRow("Accepted &status codes:");
    m_status->setPlaceholderText("200-399");
    m_timeout = &AddNumberRow("&Time-out after:", "seconds");
    m_redirects = &AddOption("&Follow redirects", 7, '1');
    m_anyCertificate = &AddOption("Accept any server c&ertificate", 8);
    BeginGroup("Website authentication");
    m_webLoginBox = &AddOption("&Website requires authentication", 4);
    m_webLogin = AddLoginRows();
    EndGroup();
    BeginGroup("Proxy server");
    m_proxyBox = &AddOption("Use &proxy server:", 5);
    m_proxy = &AddTextRow("Proxy (host:port):");
    m_proxyLoginBox = &AddOption("Pro&xy requires authentication", 6);
    m_proxyLogin = AddLoginRows("Pro&xy account:", "Proxy pass&word:");
    EndGroup();
    AddSampleLink();
    Show(HttpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeTcpHttp::Show(const HttpSettings& s) {
    m_url->setText(QString::fromStdString(TypedUrl(s)));
    m_content->setText(QString::fromStdString(s.Content));
    m_status->setText(QString::fromStdString(s.StatusRule));
    SetNumber(*m_timeout, s.TimeoutSecs);
    m_webLogin.Show(s.Login, s.Password);
    m_proxy->setText(QString::fromStdString(s.Proxy));
    m_proxyLogin.Show(s.ProxyAccount, s.ProxyPassword);
    ShowOptions(s);
}

bool CDialogTypeTcpHttp::Collect(CSnNodeCfgFunction& out) {
    // The typed URL goes through the reader of the stored record, which splits it into
    // scheme, host and path; a URL without a scheme is http.
    SetOptionCode(out.ParamByteCodes.Edit(), 0, '0');
    out.ParamServer = m_url->text().trimmed().toStdString();
    out.Param1 = "";
    HttpSettings s = ReadOptions<HttpSettings>(out);
    s.Content = m_content->text().toStdString();
    s.StatusRule = m_status->text().trimmed().toStdString();
    s.TimeoutSecs = static_cast<int>(Number(*m_timeout));
    s.Login = m_webLogin.Account();
    s.Password = m_webLogin.Password();
    s.Proxy = m_proxy->text().trimmed().toStdString();
    s.ProxyAccount = m_proxyLogin.Account();
    s.ProxyPassword = m_proxyLogin.Password();
    if (!PassesAt(CheckHttpFields(s, HostLimits()), {m_url, m_timeout}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeTcpHttp::FillSample() {
    Show(HttpSampleData());
}
