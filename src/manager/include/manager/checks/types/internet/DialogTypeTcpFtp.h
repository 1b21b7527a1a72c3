#pragma once
// CDialogTypeTcpFtp: "FTP Check" (type 34): the host (a leading "ftp://" in any letter
// case is dropped), the account and its password unless anonymous, passive mode, binary
// transfer, and what is checked: logging on, a file's existence, or a pattern in the file
// that should or should not match.  OK runs CheckFtpFields and writes through FtpSettings.
#include "manager/checks/types/DialogCheck.h"

struct FtpSettings;

class CDialogTypeTcpFtp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeTcpFtp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    const LoginRows& Login() const { return m_login; }
    QCheckBox& PassiveBox() { return *m_passive; }
    QCheckBox& AnonymousBox() { return *m_anonymous; }
    QCheckBox& BinaryBox() { return *m_binary; }
    QButtonGroup& FileChoice() { return *m_fileChoice; }
    QLineEdit& DirectoryField() { return *m_directory; }
    QLineEdit& FileField() { return *m_file; }
    QButtonGroup& PatternChoice() { return *m_patternChoice; }
    QLineEdit& PatternField() { return *m_pattern; }
    QButtonGroup& MatchChoice() { return *m_matchChoice; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const FtpSettings& settings);

    LoginRows m_login;
    QCheckBox* m_passive = nullptr;
    QCheckBox* m_anonymous = nullptr;
    QCheckBox* m_binary = nullptr;
    QButtonGroup* m_fileChoice = nullptr;
    QLineEdit* m_directory = nullptr;
    QLineEdit* m_file = nullptr;
    QButtonGroup* m_patternChoice = nullptr;
    QLineEdit* m_pattern = nullptr;
    QButtonGroup* m_matchChoice = nullptr;
};
