#pragma once
// CDialogTypeDirSize: "Directory Check" (type 140): the directory (a network or local path), existence, size
// or file count with their limits and options, and the credentials, through DirectorySettings.
#include "manager/checks/types/DialogCheck.h"

class QComboBox;
class QLineEdit;
struct DirectorySettings;

class CDialogTypeDirSize final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeDirSize(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    QString CredentialsComputer() const override;

private:
    void Show(const DirectorySettings& settings);

    QLineEdit* m_path = nullptr;
    QLineEdit* m_size = nullptr;
    QComboBox* m_unit = nullptr;
    QLineEdit* m_files = nullptr;
};
