#pragma once
// CDialogTypeProcess: "Process Check" (190): the computer, the process, whether it must not
// run, its memory and CPU limits or the memory limit of every process of the computer, the
// processes left out of that scan, and the credentials row.  Fields through ProcessSettings,
// which the engine's process runner reads.
#include "manager/checks/types/DialogCheck.h"

struct ProcessSettings;

class CDialogTypeProcess final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeProcess(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& ProcessField() { return *m_process; }
    QCheckBox& MustNotRunBox() { return *m_mustNotRun; }
    QCheckBox& MemoryBox() { return *m_memory; }
    QCheckBox& AnyProcessBox() { return *m_anyProcess; }
    QLineEdit& MemoryField() { return *m_memoryLimit; }
    QCheckBox& CpuBox() { return *m_cpu; }
    QLineEdit& CpuField() { return *m_cpuLimit; }
    QLineEdit& ExcludeField() { return *m_exclude; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const ProcessSettings& settings);

    QLineEdit* m_process = nullptr;
    QCheckBox* m_mustNotRun = nullptr;
    QCheckBox* m_memory = nullptr;
    QCheckBox* m_anyProcess = nullptr;
    QLineEdit* m_memoryLimit = nullptr;
    QCheckBox* m_cpu = nullptr;
    QLineEdit* m_cpuLimit = nullptr;
    QLineEdit* m_exclude = nullptr;
};
