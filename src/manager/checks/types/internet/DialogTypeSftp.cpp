#include "manager/checks/types/internet/DialogTypeSftp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypeSftp::CDialogTypeSftp(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSftp, ctx, "SFTP Check") {
    setObjectName("sftpDialog");
    m_rows = AddEndpointRows("&Host:", "T&ime-out:", "milliseconds");
    m_login = AddLoginRows();
    m_logonChoice = &AddOptionChoice(1, {{"Log on with the pass&word", '1'}, {"Log on with a private &key file:", '0'}});
    m_keyFile = &AddTextRow({});
    m_anyHostKey = &AddOption("Acce&pt any host key", 0);
    m_fileChoice = &AddOptionChoice(2, {{"Check &connectivity only (i.e. try to log on)", '0'},
                                        {"Check file &existence (i.e. log on and check for a file)", '1'}});
    m_file = &AddTextRow("&File:");
    m_patternBox = &AddOption("Check for a specific pa&ttern in the file:", 3);
    m_pattern = &AddTextRow({});
    m_matchChoice = &AddOptionChoice(4, {{"Pattern should &match", '0'}, {"Pattern should not m&atch", '1'}});
    AddSampleLink();
    Show(SftpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeSftp::Show(const SftpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_rows.port, s.Port);
    SetNumber(*m_rows.timeout, s.TimeoutMs);
    m_login.Show(s.Login, s.Password);
    m_keyFile->setText(QString::fromStdString(s.KeyFile));
    m_file->setText(QString::fromStdString(s.File));
    m_pattern->setText(QString::fromStdString(s.Pattern));
    ShowOptions(s);
}

bool CDialogTypeSftp::Collect(CSnNodeCfgFunction& out) {
    SftpSettings s = ReadOptions<SftpSettings>(out);
    s.Host = HostField()->text().toStdString();
    s.Port = static_cast<int>(Number(*m_rows.port));
    s.TimeoutMs = static_cast<int>(Number(*m_rows.timeout));
    s.Login = m_login.Account();
    s.Password = m_login.Password();
    s.KeyFile = m_keyFile->text().trimmed().toStdString();
    s.File = m_file->text().trimmed().toStdString();
    s.Pattern = m_pattern->text().toStdString();
    if (!PassesAt(CheckSftpFields(s, HostLimits()), {HostField(), m_rows.port, m_rows.timeout}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeSftp::FillSample() {
    SftpSettings sample;
    sample.Host = "127.0.0.1";
    Show(sample);
}
