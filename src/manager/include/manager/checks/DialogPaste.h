#pragma once
// The two dialogs of pasting checks.
//
// CDialogPasteServer ("Paste Check(s)"): paste the copied checks unchanged or pointed at a
// new host, and whether the new checks start on hold.  Both choices are the preferences
// PasteUnchanged and PasteHold: read when the dialog opens, written on OK.
//
// CDialogPasteSpecial ("Paste Properties"): which settings groups of the copied check
// are applied, and in folder mode whether the folder's subfolders are included.  A group
// box enables its sub-boxes; clearing every sub-box clears the group box, ticking one
// ticks it.
#include "model/checks/PasteRules.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>

#include <vector>

class CUiSeam;

class CDialogPasteServer final : public QDialog {
    Q_OBJECT
public:
    CDialogPasteServer(CUiSeam& ui, const QString& existingHosts, QWidget* parent = nullptr);

    QRadioButton& Unchanged() { return m_unchanged; }
    QRadioButton& Change() { return m_change; }
    QLineEdit& NewHost() { return m_newHost; }
    QCheckBox& Hold() { return m_hold; }
    const QLineEdit& Existing() const { return m_existing; }
    // The new host, trimmed.
    CQvcString Host() const;

    // A changed host must not be empty; then the preferences are written.
    void accept() override;

private:
    void UpdateHostFields();

    CUiSeam& m_ui;
    QRadioButton m_unchanged{"&No, just paste without modification"};
    QRadioButton m_change{"&Yes, change the IP/Hostname"};
    QLineEdit m_existing;
    QLineEdit m_newHost;
    QCheckBox m_hold{"&Set new check(s) to 'On Hold' to be able to change the properties first"};
};

class CDialogPasteSpecial final : public QDialog {
    Q_OBJECT
public:
    // The check boxes, one per settings group and sub-group.
    enum Box {
        kFrequency,
        kNotifications,
        kEmail,
        kNetwork,
        kSms,
        kPager,
        kMessenger,
        kTrap,
        kActions,
        kRestart,
        kExecutable,
        kScript,
        kAdvanced,
        kGraph,
        kActionFrequency,
        kNotificationFrequency,
        kMaintenance,
        kResultMapping,
        kBoxCount
    };

    CDialogPasteSpecial(bool folderMode, QWidget* parent = nullptr);

    QCheckBox& BoxAt(Box box) { return *m_boxes[box]; }
    QRadioButton& WithSubfolders() { return m_withSubfolders; }
    QRadioButton& FolderOnly() { return m_folderOnly; }
    // The groups whose boxes count: a sub-box only while its group box is ticked.
    paste::Groups Chosen() const;

private:
    // The group box with its sub-boxes [first, last].
    struct Group {
        Box box, first, last;
    };
    void GroupToggled(const Group& group);
    void SubToggled(const Group& group);
    bool Counts(Box box) const;

    std::vector<QCheckBox*> m_boxes; // owned by the dialog
    std::vector<Group> m_groups;
    QRadioButton m_withSubfolders{"Selected &Folder and all Sub Folders"};
    QRadioButton m_folderOnly{"Se&lected Folder only"};
};
