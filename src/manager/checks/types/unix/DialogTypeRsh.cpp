#include "manager/checks/types/unix/DialogTypeRsh.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QLineEdit>

CDialogTypeRsh::CDialogTypeRsh(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeRsh, ctx, "RSH - Linux/Unix Shell Script") {
    setObjectName("rshDialog");
    AddHostRow("&Remote Host:");
    m_user = &AddTextRow("RSH &Username:");
    m_user->setObjectName("user");
    m_command = &AddTextRow("RSH &Command:");
    m_command->setObjectName("command");
    m_timeout = &AddNumberRow("&Script Timeout:", "milliseconds");
    m_timeout->setObjectName("timeout");
    AddOption("Output on standard &error makes the check fail", 1).setObjectName("errorOnStderr");
    AddSampleLink();
    Show(RshSettings::Read(Initial()));
    Finish();
}

void CDialogTypeRsh::Show(const RshSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    m_user->setText(QString::fromStdString(s.User));
    m_command->setText(QString::fromStdString(s.Command));
    SetNumber(*m_timeout, s.TimeoutMs);
    ShowOptions(s);
}

void CDialogTypeRsh::FillSample() { Show(RshSampleData()); }

bool CDialogTypeRsh::Collect(CSnNodeCfgFunction& out) {
    RshSettings s = ReadOptions<RshSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.User = m_user->text().trimmed().toStdString();
    s.Command = m_command->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_timeout));
    if (!PassesAt(CheckRshFields(s, HostLimits()), {HostField(), m_timeout}))
        return false;
    s.Write(out);
    return true;
}
