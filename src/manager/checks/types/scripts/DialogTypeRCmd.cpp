#include "manager/checks/types/scripts/DialogTypeRCmd.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QLineEdit>

CDialogTypeRCmd::CDialogTypeRCmd(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeRemoteCommand, ctx, "Remote Command Check") {
    setObjectName("remoteCommandDialog");
    AddHostRow("&Computer:");
    m_command = &AddTextRow("Co&mmand:");
    m_command->setObjectName("command");
    m_timeout = &AddNumberRow("Command &Timeout:", "milliseconds");
    m_timeout->setObjectName("timeout");
    AddOption("Output on standard &error makes the check fail", 1).setObjectName("errorOnStderr");
    AddCredentialsRow();
    Show(RemoteCommandSettings::Read(Initial()));
    Finish();
}

void CDialogTypeRCmd::Show(const RemoteCommandSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    m_command->setText(QString::fromStdString(s.Command));
    SetNumber(*m_timeout, s.TimeoutMs);
    ShowOptions(s);
}

bool CDialogTypeRCmd::Collect(CSnNodeCfgFunction& out) {
    RemoteCommandSettings s = ReadOptions<RemoteCommandSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.Command = m_command->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_timeout));
    s.UseCredentials = CredentialsBox()->isChecked();
    if (!PassesAt(CheckRemoteCommandFields(s, HostLimits()), {HostField(), m_timeout}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
