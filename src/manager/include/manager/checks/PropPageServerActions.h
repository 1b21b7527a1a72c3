#pragma once
// CPropPageServerActions: the programs run on failure and on success, and the reboot or
// service restart after a failure.
#include "manager/checks/PropPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

class CPropPageServerActions final : public CPropPage {
    Q_OBJECT
public:
    explicit CPropPageServerActions(CPropSheetServer& sheet);

    sheetrules::Refusal Check() const override;
    void Confirm() override;

    // Entries 0 and 1: executable and script on failure; 2 and 3 on success.
    QCheckBox& ProgramBox(int entry) { return *m_programBoxes[static_cast<std::size_t>(entry)]; }
    QLineEdit& Program(int entry) { return *m_programs[static_cast<std::size_t>(entry)]; }
    QRadioButton& NoRestart() { return m_none; }
    QRadioButton& Reboot() { return m_reboot; }
    QRadioButton& RestartServices() { return m_restart; }
    QLineEdit& Computer() { return m_computer; }
    QLineEdit& Services() { return m_services; }
    QPushButton& CredentialsButton() { return m_credentials; }

private:
    void UpdateEnabling();
    void Browse(int entry);
    int RestartChoice() const;

    std::array<QCheckBox*, 4> m_programBoxes{};
    std::array<QLineEdit*, 4> m_programs{};
    std::array<QPushButton*, 4> m_browse{};
    QRadioButton m_none{"&No reboot/restart after failure"};
    QRadioButton m_reboot{"After failure, &reboot the following computer:"};
    QRadioButton m_restart{"After failure, restart ser&vice(s) on computer:"};
    QLineEdit m_computer;
    QLineEdit m_services;
    QPushButton m_credentials{"&Credentials..."};
};
