#pragma once
// CPropPageServerProps: the General page.  Display name, notes, the "Check What" chooser
// with "Setup..." (the type's dialog on the working copy W), the scan mode with its
// interval, error threshold and schedule.
#include "manager/checks/FolderComboBox.h"
#include "manager/checks/PropPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

class CPropPageServerProps final : public CPropPage {
    Q_OBJECT
public:
    explicit CPropPageServerProps(CPropSheetServer& sheet);

    // Opens the type dialog at once when N has a type that no dialog confirmed yet.
    void OpenPendingTypeDialog();
    sheetrules::Refusal Check() const override;
    void Confirm() override;
    bool Configured() const { return m_configured; }

    // Choosing a type in the chooser or pressing "Setup...".
    void OnTypeChosen();
    void OnModeButton(int mode);

    QLineEdit& DisplayName() { return m_name; }
    QPlainTextEdit& Notes() { return m_notes; }
    CFolderComboBox& Chooser() { return m_chooser; }
    QPushButton& SetupButton() { return m_setup; }
    QRadioButton& EveryButton() { return m_every; }
    QRadioButton& ScheduleButton() { return m_scheduled; }
    QRadioButton& TrapButton() { return m_trap; }
    QLineEdit& Interval() { return m_interval; }
    QComboBox& Unit() { return m_unit; }
    QLineEdit& Threshold() { return m_threshold; }
    QPushButton& ScheduleDialogButton() { return m_schedule; }

private:
    // While creating for several hosts, an edit that removes "<HOSTS>" from the display
    // name is undone with 61552; false then.
    bool KeepPlaceholder(const QString& text);
    void ShowInterval(std::int32_t seconds);
    void UpdateEnabling();
    bool RunScheduleDialog();

    bool m_configured = true;
    CQvcString m_lastTypeText;
    QString m_notesShown;
    QString m_nameShown;
    QLineEdit m_name;
    QPlainTextEdit m_notes;
    CFolderComboBox m_chooser;
    QPushButton m_setup{"Set&up..."};
    QRadioButton m_every{"Check &every:"};
    QLineEdit m_interval;
    QComboBox m_unit;
    QRadioButton m_scheduled{"Sc&hedule this Check:"};
    QPushButton m_schedule{"&Schedule..."};
    QRadioButton m_trap{"Check on every incoming SNMP &trap"};
    QLabel m_failsLabel{"Check &fails after:"};
    QLineEdit m_threshold;
    QLabel m_rowLabel{"errors in a row"};
};
