#include "manager/checks/types/internet/DialogTypeTCP.h"

#include "library/Messages.h"
#include "manager/app/UiSeam.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QLineEdit>

CDialogTypeTCP::CDialogTypeTCP(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, type, ctx, "TCP/IP Connection Check") {
    setObjectName("tcpDialog");
    m_rows = AddEndpointRows("&Host:");
    m_sendBox = &AddOption("&Send command when connected:", 0);
    m_send = &AddTextRow({});
    m_expectBox = &AddOption("&Response must include following string (not case sensitive):", 1);
    m_expect = &AddTextRow({});
    m_rows.timeout = &AddNumberRow("&Time-out:", "milliseconds");
    // An IMAP check with an account logs on to the mailbox, not only connects.
    if (type == kTypeImap) {
        BeginGroup("Mailbox log-on (optional)");
        m_login = AddLoginRows();
        EndGroup();
    }
    connect(m_sendBox, &QCheckBox::toggled, m_send, &QWidget::setEnabled);
    connect(m_expectBox, &QCheckBox::toggled, m_expect, &QWidget::setEnabled);
    AddSampleLink();
    Show(TcpSettings::Read(Initial()));
    if (m_login.account != nullptr) {
        const ImapSettings imap = ImapSettings::Read(Initial());
        m_login.Show(imap.Login, imap.Password);
    }
    Finish();
}

void CDialogTypeTCP::Show(const TcpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_rows.port, s.Port);
    m_send->setText(QString::fromStdString(StoredText(s.Send).Str()));
    m_expect->setText(QString::fromStdString(s.Expect));
    SetNumber(*m_rows.timeout, s.TimeoutMs);
    ShowOptions(s);
    m_send->setEnabled(m_sendBox->isChecked());
    m_expect->setEnabled(m_expectBox->isChecked());
}

bool CDialogTypeTCP::Collect(CSnNodeCfgFunction& out) {
    TcpSettings s = ReadOptions<TcpSettings>(out);
    s.Host = HostField()->text().toStdString();
    s.Port = static_cast<int>(Number(*m_rows.port));
    s.Send = WireText(m_send->text().toStdString());
    s.Expect = m_expect->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_rows.timeout));
    if (!PassesAt(CheckTcpFields(s, HostLimits()), {HostField(), m_rows.port, m_expect, m_rows.timeout}))
        return false;
    if (m_login.account != nullptr)
        ImapSettings{s, m_login.Account(), m_login.Password()}.Write(out);
    else
        s.Write(out);
    return true;
}

void CDialogTypeTCP::LoadSample() {
    if (!TcpSampleData(Type()))
        Context().seam.Message(MessageText(3008), CUiSeam::Icon::Information);
    else
        CDialogCheck::LoadSample();
}

void CDialogTypeTCP::FillSample() {
    if (const auto sample = TcpSampleData(Type()))
        Show(*sample);
}
