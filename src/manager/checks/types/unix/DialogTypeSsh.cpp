#include "manager/checks/types/unix/DialogTypeSsh.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

#include <filesystem>
#include <system_error>

CDialogTypeSsh::CDialogTypeSsh(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSsh, ctx, "SSH - Linux/Unix Shell Script") {
    setObjectName("sshDialog");
    m_port = AddEndpointRows("SSH &Host:").port;
    m_login = AddLoginRows();
    QCheckBox& useKey = AddOption("Log on with a private &key file instead of the password:", 0);
    useKey.setObjectName("useKey");
    m_keyFile = &AddTextRow("Private key &file:");
    m_keyFile->setObjectName("keyFile");
    for (QWidget* field : std::initializer_list<QWidget*>{m_keyFile}) {
        field->setEnabled(false); // until the box is set
        connect(&useKey, &QAbstractButton::toggled, field, &QWidget::setEnabled);
    }
    m_command = &AddTextRow("&Run Script:");
    m_command->setObjectName("command");
    m_timeout = &AddNumberRow("&Timeout (ms):");
    m_timeout->setObjectName("timeout");
    AddOption("Accept the host key when it is &new", 1).setObjectName("acceptHostKey");
    AddOption("Output on standard &error makes the check fail", 2).setObjectName("errorOnStderr");
    BeginGroup("Local script");
    QCheckBox& copy = AddOption("&Copy this script to the Linux computer before running it:", 3);
    copy.setObjectName("copyScript");
    m_localScript = &AddTextRow("&Script:");
    m_localScript->setObjectName("localScript");
    for (QWidget* field : std::initializer_list<QWidget*>{m_localScript}) {
        field->setEnabled(false); // until the box is set
        connect(&copy, &QAbstractButton::toggled, field, &QWidget::setEnabled);
    }
    m_localScript->setToolTip(
        QString("A file in %1 or one of its subdirectories; it is copied to the file that "
                "Run Script names.")
            .arg(kSshScriptDirectory));
    EndGroup();
    AddSampleLink();
    Show(SshSettings::Read(Initial()));
    Finish();
}

void CDialogTypeSsh::Show(const SshSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_port, s.Port);
    m_login.Show(s.Account, s.Password);
    m_keyFile->setText(QString::fromStdString(s.KeyFile));
    m_command->setText(QString::fromStdString(s.Command));
    SetNumber(*m_timeout, s.TimeoutMs);
    m_localScript->setText(QString::fromStdString(s.LocalScript));
    ShowOptions(s);
}

bool CDialogTypeSsh::Collect(CSnNodeCfgFunction& out) {
    SshSettings s = ReadOptions<SshSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.Port = static_cast<int>(Number(*m_port));
    s.Account = m_login.Account();
    s.Password = m_login.Password();
    s.KeyFile = m_keyFile->text().trimmed().toStdString();
    s.Command = m_command->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_timeout));
    s.LocalScript = m_localScript->text().trimmed().toStdString();
    const auto exists = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    };
    if (!PassesAt(CheckSshFields(s, HostLimits(), exists),
                  {HostField(), m_keyFile, m_localScript, m_port, m_timeout}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeSsh::FillSample() {
    Show(SshSampleData());
}
