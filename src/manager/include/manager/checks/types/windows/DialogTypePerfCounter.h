#pragma once
// CDialogTypePerfCounter: "Performance Counters Check" (320): the computer and its list of
// counters, each a counter path with the condition its value must meet, edited with
// "Add...", "Edit..." and "Remove"; the credentials row.  Fields through PerfCounterSettings.
#include "manager/checks/types/DialogCheck.h"
#include "model/checks/CheckSettings.h"

class QListWidget;

// The editor of one counter: its path, the comparison and the value compared with.  OK runs
// CheckPerfCounterEntry.
class CDialogPerfCounterEntry final : public QDialog {
    Q_OBJECT
public:
    CDialogPerfCounterEntry(CUiSeam& seam, const PerfCounterSettings::Counter& counter, QWidget* parent);
    void accept() override;
    PerfCounterSettings::Counter Counter() const;
    QLineEdit& PathField() { return *m_path; }
    QComboBox& OperatorCombo() { return *m_operator; }
    QLineEdit& LimitField() { return *m_limit; }

private:
    CUiSeam& m_seam;
    QLineEdit* m_path = nullptr;
    QComboBox* m_operator = nullptr;
    QLineEdit* m_limit = nullptr;
};

class CDialogTypePerfCounter final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypePerfCounter(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QListWidget& CounterList() { return *m_list; }
    QPushButton& AddButton() { return *m_add; }
    QPushButton& EditButton() { return *m_edit; }
    QPushButton& RemoveButton() { return *m_remove; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Edit(int row);
    void Refill(int current);

    std::vector<PerfCounterSettings::Counter> m_counters;
    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_remove = nullptr;
};
