#pragma once
// CDialogTypeSnmp: "SNMP GET Check" (type 37): the agent, its port and community, the
// protocol version, the OID with its data type, and one or two comparisons of the value
// (operators and data types stored as their codes), through SnmpGetSettings.
#include "manager/checks/types/DialogCheck.h"

struct SnmpGetSettings;

class CDialogTypeSnmp final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSnmp(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const SnmpGetSettings& settings);

    QLineEdit* m_port = nullptr;
    QLineEdit* m_community = nullptr;
    QComboBox* m_protocol = nullptr;
    QLineEdit* m_oid = nullptr;
    QLineEdit* m_note = nullptr;
    QComboBox* m_dataType = nullptr;
    QComboBox* m_operator1 = nullptr;
    QLineEdit* m_value1 = nullptr;
    QComboBox* m_operator2 = nullptr;
    QLineEdit* m_value2 = nullptr;
};
