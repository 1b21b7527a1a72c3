#pragma once
// CDialogTypeServiceProcess: "Service Process Check" (types 70-81): the computer, the server role ("Check
// What", which sets the type), the services, processes and performance counters watched, and the credentials,
// through ServerRoleSettings.
#include "manager/checks/types/DialogCheck.h"

class QComboBox;
class QLineEdit;
struct ServerRoleSettings;

class CDialogTypeServiceProcess final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeServiceProcess(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const ServerRoleSettings& settings);

    QComboBox* m_role = nullptr;
    QLineEdit* m_services = nullptr;
    QLineEdit* m_processes = nullptr;
    QLineEdit* m_counters = nullptr;
};
