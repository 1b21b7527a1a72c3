#pragma once
// CPropPageServerAdvanced: repeated notifications and actions, the graph, the inverse and
// uncertain result handling, maintenance windows and the dependencies of the check.
#include "manager/checks/PropPage.h"
#include "model/tree/SnNodeCfg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class CPropPageServerAdvanced final : public CPropPage {
    Q_OBJECT
public:
    explicit CPropPageServerAdvanced(CPropSheetServer& sheet);

    void OnActivate() override;
    sheetrules::Refusal Check() const override;
    void Confirm() override;

    QRadioButton& NotifyOnce() { return m_notifyOnce; }
    QRadioButton& NotifyEvery() { return m_notifyEvery; }
    QLineEdit& NotifyMinutes() { return m_notifyMinutes; }
    QRadioButton& TriggerOnce() { return m_triggerOnce; }
    QRadioButton& TriggerEvery() { return m_triggerEvery; }
    QLineEdit& TriggerMinutes() { return m_triggerMinutes; }
    QCheckBox& Graph() { return m_graph; }
    QPushButton& InverseButton() { return m_inverseButton; }
    QPushButton& UncertainButton() { return m_uncertainButton; }
    QPushButton& MaintenanceButton() { return m_maintenance; }
    QPushButton& DependenciesButton() { return m_dependencies; }
    std::int32_t Inverse() const { return m_inverse; }
    const CSnNodeCfgUncertain& Uncertain() const { return m_uncertain; }

private:
    void UpdateEnabling();

    std::int32_t m_inverse = 0;
    CSnNodeCfgUncertain m_uncertain;
    QRadioButton m_notifyOnce{"Notify &only once"};
    QRadioButton m_notifyEvery{"Notify &every"};
    QLineEdit m_notifyMinutes;
    QRadioButton m_triggerOnce{"Trigger o&nly once"};
    QRadioButton m_triggerEvery{"Trigger e&very"};
    QLineEdit m_triggerMinutes;
    QCheckBox m_graph{"Enable &Graph"};
    QPushButton m_inverseButton{"&Inverse Success/Error Result..."};
    QPushButton m_uncertainButton{"&Uncertain results..."};
    QPushButton m_maintenance{"Configure &Maintenance..."};
    QPushButton m_dependencies{"Show &Dependencies..."};
    QLabel m_id;
};
