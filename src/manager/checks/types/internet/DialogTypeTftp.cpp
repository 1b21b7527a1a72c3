#include "manager/checks/types/internet/DialogTypeTftp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypeTftp::CDialogTypeTftp(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeTftp, ctx, "TFTP Check") {
    setObjectName("tftpDialog");
    AddHostRow("&Host:");
    m_file = &AddTextRow("Check for &file:");
    m_binary = &AddOption("Use &binary file transfer", 2);
    m_patternChoice = &AddOptionChoice(4, {{"Check file existence &only", '0'},
                                           {"Check for a specific pa&ttern in the file:", '1'}});
    m_pattern = &AddTextRow({});
    m_matchChoice = &AddOptionChoice(5, {{"Pattern should &match", '0'}, {"Pattern should not m&atch", '1'}});
    AddSampleLink();
    Show(TftpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeTftp::Show(const TftpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    m_file->setText(QString::fromStdString(s.File));
    m_pattern->setText(QString::fromStdString(s.Pattern));
    ShowOptions(s);
}

bool CDialogTypeTftp::Collect(CSnNodeCfgFunction& out) {
    TftpSettings s = ReadOptions<TftpSettings>(out);
    s.Host = HostField()->text().toStdString();
    s.File = m_file->text().trimmed().toStdString();
    s.Pattern = m_pattern->text().toStdString();
    if (!PassesAt(CheckTftpFields(s, HostLimits()), {HostField()}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeTftp::FillSample() {
    TftpSettings sample;
    sample.Host = "127.0.0.1";
    sample.File = "pxelinux.0";
    Show(sample);
}
