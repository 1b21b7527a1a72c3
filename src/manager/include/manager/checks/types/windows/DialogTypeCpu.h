#pragma once
// CDialogTypeCpu: "CPU Usage Check" (type 130): the computer, the highest usage, all CPUs or one, and
// the credentials, through CpuSettings.
#include "manager/checks/types/DialogCheck.h"

class QLineEdit;
struct CpuSettings;

class CDialogTypeCpu final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeCpu(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const CpuSettings& settings);

    QLineEdit* m_max = nullptr;
    QLineEdit* m_cpu = nullptr;
};
