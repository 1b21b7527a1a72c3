#include "manager/checks/types/windows/DialogTypeMsmq.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QLineEdit>

CDialogTypeMsmq::CDialogTypeMsmq(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeMsmq, ctx, "MS Message Queue (MSMQ) Check") {
    setObjectName("msmqDialog");
    AddHostRow("&Computer:");
    m_queue = &AddTextRow("&Queue Name:");
    m_private = &AddOption("&Private queue", 0);
    m_length = &AddNumberRow("Maximum Queue &Length:", "messages");
    m_size = &AddNumberRow("Maximum Queue &Size:", "MB");
    AddCredentialsRow();
    const MsmqSettings s = MsmqSettings::Read(Initial());
    HostField()->setText(QString::fromStdString(s.Computer));
    m_queue->setText(QString::fromStdString(s.Queue));
    SetNumber(*m_length, s.MaxMessages);
    SetNumber(*m_size, s.MaxSizeMB);
    ShowOptions(s);
    Finish();
}

bool CDialogTypeMsmq::Collect(CSnNodeCfgFunction& out) {
    MsmqSettings s = ReadOptions<MsmqSettings>(out);
    s.Computer = HostField()->text().trimmed().toStdString();
    s.Queue = m_queue->text().trimmed().toStdString();
    s.MaxMessages = static_cast<int>(Number(*m_length));
    s.MaxSizeMB = static_cast<int>(Number(*m_size));
    if (!PassesAt(CheckMsmqFields(s, HostLimits()), {HostField(), m_queue, m_length, m_size}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
