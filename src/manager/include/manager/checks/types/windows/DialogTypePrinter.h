#pragma once
// CDialogTypePrinter: "Printer Availability Check" (180): the print server and the printer's
// name on it, with the credentials row.  Fields through PrinterSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypePrinter final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypePrinter(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& PrinterField() { return *m_printer; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLineEdit* m_printer = nullptr;
};
