#pragma once
// CDialogTypeService: "Service Check" (type 50): the computer, the service, whether it must run, and the
// credentials, through ServiceSettings.
#include "manager/checks/types/DialogCheck.h"

class QLineEdit;
struct ServiceSettings;

class CDialogTypeService final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeService(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const ServiceSettings& settings);

    QLineEdit* m_service = nullptr;
};
