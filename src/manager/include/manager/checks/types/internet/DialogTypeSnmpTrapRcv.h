#pragma once
// CDialogTypeSnmpTrapRcv: "SNMP Trap Receive Check" (type 42): which traps the check
// watches for (sending host, trap OID, community, version, and optionally a variable whose
// value meets a comparison) and whether a matching trap means success or error, through
// SnmpTrapSettings.  Opening it while the Engine's trap receiver is off says so (59525).
#include "manager/checks/types/DialogCheck.h"

struct SnmpTrapSettings;

class CDialogTypeSnmpTrapRcv final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSnmpTrapRcv(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    void FillSample() override;
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const SnmpTrapSettings& settings);

    QLineEdit* m_oid = nullptr;
    QLineEdit* m_community = nullptr;
    QComboBox* m_version = nullptr;
    QLineEdit* m_variable = nullptr;
    QComboBox* m_dataType = nullptr;
    QComboBox* m_operator = nullptr;
    QLineEdit* m_value = nullptr;
};
