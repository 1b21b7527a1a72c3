#pragma once
// CDialogTypeMemory: "Memory Usage Check" (type 170): the computer, what is measured and its limit (the
// label follows the choice), and the credentials, through MemorySettings.
#include "manager/checks/types/DialogCheck.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
struct MemorySettings;

class CDialogTypeMemory final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeMemory(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const MemorySettings& settings);

    QLineEdit* m_limit = nullptr;
    QLabel* m_limitLabel = nullptr;
    QButtonGroup* m_measure = nullptr;
};
