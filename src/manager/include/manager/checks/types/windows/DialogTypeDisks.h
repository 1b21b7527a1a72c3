#pragma once
// CDialogTypeDisks: "Disk Drives Check" (type 150): the computer and the credentials, through
// DiskDrivesSettings.
#include "manager/checks/types/DialogCheck.h"

struct DiskDrivesSettings;

class CDialogTypeDisks final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeDisks(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const DiskDrivesSettings& settings);
};
