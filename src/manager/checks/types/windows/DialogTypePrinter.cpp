#include "manager/checks/types/windows/DialogTypePrinter.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypePrinter::CDialogTypePrinter(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypePrinter, ctx, "Printer Availability Check") {
    setObjectName("printerDialog");
    AddHostRow("Print &Server:");
    m_printer = &AddTextRow("P&rinter Name:");
    AddCredentialsRow();
    const PrinterSettings s = PrinterSettings::Read(Initial());
    HostField()->setText(QString::fromStdString(s.Server));
    m_printer->setText(QString::fromStdString(s.Printer));
    Finish();
}

bool CDialogTypePrinter::Collect(CSnNodeCfgFunction& out) {
    const PrinterSettings s{HostField()->text().trimmed().toStdString(), m_printer->text().trimmed().toStdString()};
    if (!PassesAt(CheckPrinterFields(s, HostLimits()), {HostField(), m_printer}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
