#pragma once
// CDialogTypeGeneric: the page shown for a check type whose settings dialog the Manager
// does not have yet.  It says so plainly, names the type and lists the check's settings
// read-only.  OK keeps every field as it is (W's own record when W already has the type,
// else the record a new check of the type starts with), so that nothing is lost.
#include "manager/checks/types/DialogCheck.h"

class QTreeWidget;

class CDialogTypeGeneric final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeGeneric(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QString Notice() const;
    QTreeWidget& Fields() { return *m_fields; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLabel* m_notice = nullptr;
    QTreeWidget* m_fields = nullptr;
};
