#include "manager/checks/types/windows/DialogTypeDisks.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

using namespace windowsrows;

CDialogTypeDisks::CDialogTypeDisks(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeDiskDrives, ctx, "Disk Drives Check") {
    setObjectName("disksDialog");
    AddHostRow("&Computer:");
    AddCredentialsRow();
    Show(DiskDrivesSettings::Read(Initial()));
    Finish();
}

void CDialogTypeDisks::Show(const DiskDrivesSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
}

bool CDialogTypeDisks::Collect(CSnNodeCfgFunction& out) {
    const DiskDrivesSettings s{Text(*HostField())};
    if (!PassesAt(CheckDiskDrivesFields(s, HostLimits()), {HostField()}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
