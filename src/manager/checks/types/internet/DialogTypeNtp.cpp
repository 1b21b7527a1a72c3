#include "manager/checks/types/internet/DialogTypeNtp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QLineEdit>

CDialogTypeNtp::CDialogTypeNtp(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeNtp, ctx, "NTP Timeserver Check") {
    setObjectName("ntpDialog");
    AddHostRow("&Host:");
    AddSampleLink();
    Show(NtpSettings::Read(Initial()));
    Finish();
}

void CDialogTypeNtp::Show(const NtpSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
}

bool CDialogTypeNtp::Collect(CSnNodeCfgFunction& out) {
    const NtpSettings s{HostField()->text().trimmed().toStdString()};
    if (!PassesAt(CheckNtpFields(s, HostLimits()), {HostField()}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeNtp::FillSample() {
    Show({"127.0.0.1"});
}
