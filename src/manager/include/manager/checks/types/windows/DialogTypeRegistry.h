#pragma once
// CDialogTypeRegistry: "Registry Check" (type 61): the computer, the key and value, the data conditions or
// change detection, and the credentials, through RegistrySettings.
#include "manager/checks/types/DialogCheck.h"

class QComboBox;
class QLineEdit;
struct RegistrySettings;

class CDialogTypeRegistry final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeRegistry(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const RegistrySettings& settings);

    QComboBox* m_root = nullptr;
    QLineEdit* m_subKey = nullptr;
    QLineEdit* m_value = nullptr;
    QComboBox* m_operator1 = nullptr;
    QLineEdit* m_data1 = nullptr;
    QComboBox* m_operator2 = nullptr;
    QLineEdit* m_data2 = nullptr;
};
