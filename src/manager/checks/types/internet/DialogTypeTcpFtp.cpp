#include "manager/checks/types/internet/DialogTypeTcpFtp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QLineEdit>

CDialogTypeTcpFtp::CDialogTypeTcpFtp(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeFtp, ctx, "FTP Check") {
    setObjectName("ftpDialog");
    AddHostRow("&Host:");
    m_login = AddLoginRows();
    m_passive = &AddOption("Pa&ssive", 0);
    m_anonymous = &AddOption("A&nonymous", 1);
    m_binary = &AddOption("Use &binary file transfer", 2);
    m_fileChoice = &AddOptionChoice(3, {{"Check &connectivity only (i.e. try to log on)", '0'},
                                        {"Check file &existence (i.e. log on and check for a file)", '1'}});
    m_directory = &AddTextRow("&Directory:");
    m_file = &AddTextRow("&File:");
    m_patternChoice = &AddOptionChoice(4, {{"Check file existence &only", '0'},
                                           {"Check for a specific pa&ttern in the file:", '1'}});
    m_pattern = &AddTextRow({});
    m_matchChoice = &AddOptionChoice(5, {{"Pattern should &match", '0'}, {"Pattern should not m&atch", '1'}});
    // An anonymous log-on needs no account.
    connect(m_anonymous, &QCheckBox::toggled, this, [this](bool anonymous) {
        m_login.account->setEnabled(!anonymous);
        m_login.password->setEnabled(!anonymous);
    });
    AddSampleLink();
    Show(FtpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeTcpFtp::Show(const FtpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    m_login.Show(s.Login, s.Password);
    m_directory->setText(QString::fromStdString(s.Directory));
    m_file->setText(QString::fromStdString(s.File));
    m_pattern->setText(QString::fromStdString(s.Pattern));
    ShowOptions(s);
    m_login.account->setEnabled(!s.Anonymous);
    m_login.password->setEnabled(!s.Anonymous);
}

bool CDialogTypeTcpFtp::Collect(CSnNodeCfgFunction& out) {
    FtpSettings s = ReadOptions<FtpSettings>(out);
    s.Host = WithoutScheme(HostField()->text().trimmed().toStdString(), "ftp://");
    s.Login = m_login.Account();
    s.Password = m_login.Password();
    s.Directory = m_directory->text().trimmed().toStdString();
    s.File = m_file->text().trimmed().toStdString();
    s.Pattern = m_pattern->text().toStdString();
    if (!PassesAt(CheckFtpFields(s, HostLimits()), {HostField(), m_login.account, m_directory, m_file, m_pattern}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeTcpFtp::FillSample() {
    FtpSettings sample;
    sample.Host = "127.0.0.1";
    sample.Anonymous = true;
    Show(sample);
}
