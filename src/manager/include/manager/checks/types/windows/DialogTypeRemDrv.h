#pragma once
// CDialogTypeRemDrv: "Removable Drive Check" (330): all computers of a domain or the listed
// computers, the drives left out, and whether CD and DVD drives count.  Fields through
// RemovableDrivesSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypeRemDrv final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeRemDrv(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QButtonGroup& TargetChoice() { return *m_target; }
    QLineEdit& ComputersField() { return *m_computers; }
    QLineEdit& DomainField() { return *m_domain; }
    QCheckBox& ExcludeBox() { return *m_exclude; }
    QLineEdit& DrivesField() { return *m_drives; }
    QCheckBox& OpticalBox() { return *m_optical; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void UpdateEnabled();

    QButtonGroup* m_target = nullptr;
    QLineEdit* m_computers = nullptr;
    QLineEdit* m_domain = nullptr;
    QCheckBox* m_exclude = nullptr;
    QLineEdit* m_drives = nullptr;
    QCheckBox* m_optical = nullptr;
};
