#include "manager/checks/types/windows/DialogTypeService.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>

using namespace windowsrows;

CDialogTypeService::CDialogTypeService(QWidget* parent, CSnNode& w, std::int32_t,
                                       const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeService, ctx, "Service Check") {
    setObjectName("serviceDialog");
    AddHostRow("&Computer:");
    m_service = &AddTextRow("&Service:");
    m_service->setObjectName("service");
    AddOptionChoice(0, {{"The service must be &running", '0'}, {"The service must &not be running", '1'}})
        .setObjectName("state");
    AddCredentialsRow();
    Show(ServiceSettings::Read(Initial()));
    Finish();
}

void CDialogTypeService::Show(const ServiceSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_service->setText(QString::fromStdString(s.Service));
    ShowOptions(s);
}

bool CDialogTypeService::Collect(CSnNodeCfgFunction& out) {
    ServiceSettings s = ReadOptions<ServiceSettings>(out);
    s.Computer = Text(*HostField());
    s.Service = Text(*m_service);
    if (!PassesAt(CheckServiceFields(s, HostLimits()), {HostField()}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
