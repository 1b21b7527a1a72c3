#include "manager/checks/types/windows/DialogTypeProcess.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QLineEdit>

CDialogTypeProcess::CDialogTypeProcess(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeProcess, ctx, "Process Check") {
    setObjectName("processDialog");
    AddHostRow("&Host/IP:");
    m_process = &AddTextRow("P&rocess:");
    m_mustNotRun = &AddOption("The process must &not run", 0);
    BeginGroup("Memory");
    m_memory = &AddOption("Check &memory usage of this process, max. usage:", 1);
    m_anyProcess = &AddOption("No process on this computer should &consume more than:", 2);
    m_memoryLimit = &AddNumberRow("Memory &limit:", "MB");
    m_exclude = &AddTextRow("&Exclude Processes (CSV):");
    EndGroup();
    BeginGroup("CPU");
    m_cpu = &AddOption("Check CP&U usage of this process, max. usage:", 3);
    m_cpuLimit = &AddNumberRow("CPU l&imit:", "%");
    EndGroup();
    AddCredentialsRow();
    // Watching every process leaves the named one and its own limits aside.
    connect(m_anyProcess, &QCheckBox::toggled, this, [this](bool any) {
        for (QWidget* own : std::initializer_list<QWidget*>{m_process, m_mustNotRun, m_memory, m_cpu, m_cpuLimit})
            own->setEnabled(!any);
        m_exclude->setEnabled(any);
    });
    Show(ProcessSettings::Read(Initial()));
    Finish();
}

void CDialogTypeProcess::Show(const ProcessSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_process->setText(QString::fromStdString(s.Name));
    SetNumber(*m_memoryLimit, static_cast<long>(s.MemoryLimitMB));
    SetNumber(*m_cpuLimit, static_cast<long>(s.CpuLimit));
    m_exclude->setText(QString::fromStdString(s.Excluded));
    ShowOptions(s);
    m_anyProcess->toggled(m_anyProcess->isChecked());
}

bool CDialogTypeProcess::Collect(CSnNodeCfgFunction& out) {
    ProcessSettings s = ReadOptions<ProcessSettings>(out);
    s.Computer = HostField()->text().trimmed().toStdString();
    s.Name = m_process->text().trimmed().toStdString();
    s.MemoryLimitMB = static_cast<double>(Number(*m_memoryLimit));
    s.CpuLimit = static_cast<double>(Number(*m_cpuLimit));
    s.Excluded = m_exclude->text().trimmed().toStdString();
    if (!PassesAt(CheckProcessFields(s, HostLimits()), {HostField(), m_process, m_memoryLimit, m_cpuLimit}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
