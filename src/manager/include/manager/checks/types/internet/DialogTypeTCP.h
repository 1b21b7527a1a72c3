#pragma once
// CDialogTypeTCP: "TCP/IP Connection Check" for TCP/IP (30) and the TCP-based types NNTP
// Newsserver (38), IMAP Mailserver (39) and Citrix - ICA (44): the host, the port, an
// optional command sent once connected, an optional string the response must include and
// the time-out; for IMAP also the mailbox account and password (ImapSettings), with which
// the engine logs on.  OK runs CheckTcpFields and writes through TcpSettings; the sample link
// fills in a loopback service, except for Citrix - ICA, where it says 3008.
#include "manager/checks/types/DialogCheck.h"

struct TcpSettings;

class CDialogTypeTCP final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeTCP(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& PortField() { return *m_rows.port; }
    QLineEdit& TimeoutField() { return *m_rows.timeout; }
    QCheckBox& SendBox() { return *m_sendBox; }
    QLineEdit& SendField() { return *m_send; }
    QCheckBox& ExpectBox() { return *m_expectBox; }
    QLineEdit& ExpectField() { return *m_expect; }
    void LoadSample() override;

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const TcpSettings& settings);

    EndpointRows m_rows;
    QCheckBox* m_sendBox = nullptr;
    QLineEdit* m_send = nullptr;
    QCheckBox* m_expectBox = nullptr;
    QLineEdit* m_expect = nullptr;
    LoginRows m_login; // IMAP only
};
