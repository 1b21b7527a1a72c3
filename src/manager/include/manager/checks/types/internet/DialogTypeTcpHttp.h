#pragma once
// CDialogTypeTcpHttp: "HTTP/HTTPs Check" (type 33): the URL (its host part goes to
// ParamServer, the rest to Param1), availability only or a page content match, the
// accepted status codes, the time-out in seconds, website authentication, the proxy
// server with its authentication, redirects and certificates.  OK runs CheckHttpFields
// and writes through HttpSettings, which stores both passwords scrambled.
#include "manager/checks/types/DialogCheck.h"

struct HttpSettings;

class CDialogTypeTcpHttp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeTcpHttp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& UrlField() { return *m_url; }
    QButtonGroup& ContentChoice() { return *m_contentChoice; }
    QLineEdit& ContentField() { return *m_content; }
    QLineEdit& StatusField() { return *m_status; }
    QLineEdit& TimeoutField() { return *m_timeout; }
    QCheckBox& WebLoginBox() { return *m_webLoginBox; }
    const LoginRows& WebLogin() const { return m_webLogin; }
    QCheckBox& ProxyBox() { return *m_proxyBox; }
    QLineEdit& ProxyField() { return *m_proxy; }
    QCheckBox& ProxyLoginBox() { return *m_proxyLoginBox; }
    const LoginRows& ProxyLogin() const { return m_proxyLogin; }
    QCheckBox& RedirectsBox() { return *m_redirects; }
    QCheckBox& AnyCertificateBox() { return *m_anyCertificate; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const HttpSettings& settings);

    QLineEdit* m_url = nullptr;
    QButtonGroup* m_contentChoice = nullptr;
    QLineEdit* m_content = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_timeout = nullptr;
    QCheckBox* m_webLoginBox = nullptr;
    LoginRows m_webLogin;
    QCheckBox* m_proxyBox = nullptr;
    QLineEdit* m_proxy = nullptr;
    QCheckBox* m_proxyLoginBox = nullptr;
    LoginRows m_proxyLogin;
    QCheckBox* m_redirects = nullptr;
    QCheckBox* m_anyCertificate = nullptr;
};
