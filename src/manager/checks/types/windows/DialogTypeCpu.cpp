#include "manager/checks/types/windows/DialogTypeCpu.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>

using namespace windowsrows;

CDialogTypeCpu::CDialogTypeCpu(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeCpuUsage, ctx, "CPU Usage Check") {
    setObjectName("cpuDialog");
    AddHostRow("&Computer:");
    m_max = &AddNumberRow("&Max. CPU Usage:", "%");
    m_max->setObjectName("max");
    AddOptionChoice(0, {{"&All CPU's", '0'}, {"&This CPU:", '1'}}).setObjectName("which");
    m_cpu = &AddNumberRow({}, "(counted from 0)");
    m_cpu->setObjectName("cpu");
    AddCredentialsRow();
    Show(CpuSettings::Read(Initial()));
    Finish();
}

void CDialogTypeCpu::Show(const CpuSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_max->setText(QString::fromStdString(DecimalText(s.MaxPercent)));
    SetNumber(*m_cpu, s.Cpu);
    ShowOptions(s);
}

bool CDialogTypeCpu::Collect(CSnNodeCfgFunction& out) {
    CpuSettings s = ReadOptions<CpuSettings>(out);
    s.Computer = Text(*HostField());
    s.MaxPercent = static_cast<double>(Number(*m_max));
    s.Cpu = static_cast<int>(Number(*m_cpu));
    if (!PassesAt(CheckCpuFields(s, HostLimits()), {HostField(), m_max, m_cpu}))
        return false;
    s.Cpu = std::max(0, s.Cpu);
    s.Write(out);
    WriteCredentials(out);
    return true;
}
