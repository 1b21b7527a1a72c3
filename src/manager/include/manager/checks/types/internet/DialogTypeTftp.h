#pragma once
// CDialogTypeTftp: "TFTP Check" (type 270): the host, the file fetched, binary transfer,
// and whether only the file's existence counts or a pattern in it that should or should
// not match.  OK runs CheckTftpFields and writes through TftpSettings.
#include "manager/checks/types/DialogCheck.h"

struct TftpSettings;

class CDialogTypeTftp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeTftp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& FileField() { return *m_file; }
    QCheckBox& BinaryBox() { return *m_binary; }
    QButtonGroup& PatternChoice() { return *m_patternChoice; }
    QLineEdit& PatternField() { return *m_pattern; }
    QButtonGroup& MatchChoice() { return *m_matchChoice; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const TftpSettings& settings);

    QLineEdit* m_file = nullptr;
    QCheckBox* m_binary = nullptr;
    QButtonGroup* m_patternChoice = nullptr;
    QLineEdit* m_pattern = nullptr;
    QButtonGroup* m_matchChoice = nullptr;
};
