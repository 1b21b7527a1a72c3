#pragma once
// CDialogTypeFile: "File Check" (type 60): the file (a network or local path), its condition (existence,
// size, text, age) and whether it should hold, and the credentials, through FileSettings.
#include "manager/checks/types/DialogCheck.h"

class QComboBox;
class QLineEdit;
struct FileSettings;

class CDialogTypeFile final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeFile(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    QString CredentialsComputer() const override;

private:
    void Show(const FileSettings& settings);

    QLineEdit* m_path = nullptr;
    QLineEdit* m_size = nullptr;
    QComboBox* m_unit = nullptr;
    QLineEdit* m_text = nullptr;
    QLineEdit* m_age = nullptr;
};
