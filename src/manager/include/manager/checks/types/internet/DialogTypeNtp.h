#pragma once
// CDialogTypeNtp: "NTP Timeserver Check" (type 40): the time server asked, through
// NtpSettings.
#include "manager/checks/types/DialogCheck.h"

struct NtpSettings;

class CDialogTypeNtp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeNtp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const NtpSettings& settings);
};
