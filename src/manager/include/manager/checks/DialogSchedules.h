#pragma once
// The dialogs that edit schedule lists: "Configure Schedule(s)" (the scan schedules of one
// check), "Maintenance" for one check (its own windows or the global ones) and
// "Maintenance" for all checks (the global windows, from the Tools menu).  They share one
// body, CScheduleDialog: the list with "Remove", the day boxes, the time, and for
// maintenance the hours and the choice of weekdays or one date.  The rows and the rules
// that change them are CScheduleListEditor's; nothing leaves a dialog before OK, and the
// caller writes List() only when the dialog was accepted.
#include "model/schedule/ScheduleListEditor.h"
#include "model/settings/SnDateTimeSettings.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>

#include <array>

class CUiSeam;
class QVBoxLayout;

class CScheduleDialog : public QDialog {
    Q_OBJECT
public:
    // The rows, as OK leaves them.
    CSnCfgScheduleList List() const { return m_editor.List(); }
    // The entry the controls describe now (times as local time).
    CSnCfgSchedule Typed() const;

    QListWidget& Rows() { return m_list; }
    QPushButton& RemoveButton() { return m_remove; }
    // The day boxes, Sunday first as the entries number them (shown Monday first).
    QCheckBox& Day(int sundayFirst) { return m_days[static_cast<std::size_t>(sundayFirst)]; }
    QTimeEdit& At() { return m_time; }
    QPushButton& AddButton() { return m_add; }
    // Maintenance only (hidden in the scan dialog).
    QSpinBox& Hours() { return m_hours; }
    QRadioButton& DayOfWeek() { return m_dayOfWeek; }
    QRadioButton& ThisDate() { return m_thisDate; }
    QDateEdit& DateEdit() { return m_date; }

    // Adds the typed entry, or shows why not; false when refused.
    bool OnAdd();
    // Asks about a typed entry that was not added yet, then refuses an empty scan list.
    void accept() override;

protected:
    CScheduleDialog(CScheduleListEditor::Use use, const CSnCfgScheduleList& list, CUiSeam& seam,
                    const CSnDateTimeSettings& formats, QWidget* parent);
    // The dialog's outer column: the list part, then OK and Cancel.
    QVBoxLayout& Outer() { return *m_outer; }
    QWidget& ListPart() { return *m_listPart; }
    virtual void UpdateEnabling();

private:
    void AddRow(const CSnCfgSchedule& entry);
    void OnRemove();

    CScheduleListEditor::Use m_use;
    CScheduleListEditor m_editor;
    CUiSeam& m_seam;
    CSnDateTimeSettings m_formats;
    QVBoxLayout* m_outer = nullptr;
    QWidget* m_listPart = nullptr;
    QListWidget m_list;
    QPushButton m_remove{"&Remove"};
    std::array<QCheckBox, 7> m_days;
    QTimeEdit m_time;
    QSpinBox m_hours;
    QRadioButton m_dayOfWeek{"Day of &Week:"};
    QRadioButton m_thisDate{"This &Date:"};
    QDateEdit m_date;
    QPushButton m_add;
};

// "Configure Schedule(s)": when a check with scan mode 1 runs.
class CDialogServerSchedules final : public CScheduleDialog {
    Q_OBJECT
public:
    CDialogServerSchedules(const CSnCfgScheduleList& list, CUiSeam& seam, const CSnDateTimeSettings& formats,
                           QWidget* parent = nullptr);
};

// "Maintenance" of one check: the global windows, or windows of its own.
class CDialogAdvancedOptionsMaintenance final : public CScheduleDialog {
    Q_OBJECT
public:
    CDialogAdvancedOptionsMaintenance(bool ownSchedules, const CSnCfgScheduleList& list, CUiSeam& seam,
                                      const CSnDateTimeSettings& formats, QWidget* parent = nullptr);
    // 1 when the check uses its own windows, 0 for the global ones.
    std::int32_t OwnSchedules() const { return m_own.isChecked() ? 1 : 0; }

    QRadioButton& UseGlobal() { return m_global; }
    QRadioButton& UseOwn() { return m_own; }

protected:
    void UpdateEnabling() override;

private:
    QRadioButton m_global{"Use &Global Maintenance settings"};
    QRadioButton m_own{"&Use the following Maintenance schedules:"};
};

// "Maintenance" for all checks: centred on its parent, then 100 pixels up and left.
class CDialogGlobalMaintenance final : public CScheduleDialog {
    Q_OBJECT
public:
    CDialogGlobalMaintenance(const CSnCfgScheduleList& list, CUiSeam& seam,
                             const CSnDateTimeSettings& formats, QWidget* parent = nullptr);
};
