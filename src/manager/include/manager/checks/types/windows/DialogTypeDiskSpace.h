#pragma once
// CDialogTypeDiskSpace: "Disk Space Check" (type 20): the computer, the drive, the limit with its unit and
// comparison, and the credentials, through DiskSpaceSettings.
#include "manager/checks/types/DialogCheck.h"

class QComboBox;
class QLineEdit;
struct DiskSpaceSettings;

class CDialogTypeDiskSpace final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeDiskSpace(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const DiskSpaceSettings& settings);

    QLineEdit* m_drive = nullptr;
    QLineEdit* m_limit = nullptr;
    QComboBox* m_unit = nullptr;
};
