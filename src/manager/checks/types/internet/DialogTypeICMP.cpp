#include "manager/checks/types/internet/DialogTypeICMP.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypeICMP::CDialogTypeICMP(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeIcmpPing, ctx, "ICMP/Ping Check") {
    setObjectName("icmpDialog");
    AddHostRow("&Host:");
    m_timeout = &AddNumberRow("&Time-out after:", "milliseconds");
    m_retries = &AddNumberRow("&Number of retries:");
    m_ttl = &AddNumberRow("Time To &Live (TTL):");
    m_buffer = &AddNumberRow("&Buffer Size (bytes):");
    AddSampleLink();
    Show(IcmpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeICMP::Show(const IcmpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_timeout, s.TimeoutMs);
    SetNumber(*m_retries, s.Count);
    SetNumber(*m_ttl, s.Ttl);
    SetNumber(*m_buffer, s.PayloadBytes);
}

bool CDialogTypeICMP::Collect(CSnNodeCfgFunction& out) {
    IcmpSettings s;
    s.Host = HostField()->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_timeout));
    s.Count = static_cast<int>(Number(*m_retries));
    s.Ttl = static_cast<int>(Number(*m_ttl));
    s.PayloadBytes = static_cast<int>(Number(*m_buffer));
    if (!PassesAt(CheckIcmpFields(s, HostLimits()), {HostField(), m_timeout, m_retries, m_ttl, m_buffer}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeICMP::FillSample() {
    Show(IcmpSampleData());
}
