#include "manager/checks/types/windows/DialogTypeTse.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>

using namespace windowsrows;

CDialogTypeTse::CDialogTypeTse(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeTerminalServer, ctx, "Microsoft Terminal Server Check") {
    setObjectName("tseDialog");
    AddHostRow("&Computer:");
    BeginGroup("Maximum number of sessions");
    AddOption("Check the &active sessions", 0).setObjectName("checkActive");
    m_active = &AddNumberRow("Active sessions:");
    m_active->setObjectName("active");
    AddOption("Check the &inactive sessions", 1).setObjectName("checkInactive");
    m_inactive = &AddNumberRow("Inactive sessions:");
    m_inactive->setObjectName("inactive");
    AddOption("Check all &sessions", 2).setObjectName("checkTotal");
    m_total = &AddNumberRow("All sessions:");
    m_total->setObjectName("total");
    EndGroup();
    AddCredentialsRow();
    Show(TerminalServerSettings::Read(Initial()));
    Finish();
}

void CDialogTypeTse::Show(const TerminalServerSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    SetNumber(*m_active, s.MaxActive);
    SetNumber(*m_inactive, s.MaxInactive);
    SetNumber(*m_total, s.MaxTotal);
    ShowOptions(s);
}

bool CDialogTypeTse::Collect(CSnNodeCfgFunction& out) {
    TerminalServerSettings s = ReadOptions<TerminalServerSettings>(out);
    s.Computer = Text(*HostField());
    s.MaxActive = static_cast<int>(Number(*m_active));
    s.MaxInactive = static_cast<int>(Number(*m_inactive));
    s.MaxTotal = static_cast<int>(Number(*m_total));
    if (!PassesAt(CheckTerminalServerFields(s, HostLimits()), {HostField(), m_active, m_inactive, m_total}))
        return false;
    // A maximum that does not apply is kept as a number even when its field was emptied.
    for (int* value : {&s.MaxActive, &s.MaxInactive, &s.MaxTotal})
        *value = std::max(0, *value);
    s.Write(out);
    WriteCredentials(out);
    return true;
}
