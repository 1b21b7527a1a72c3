#pragma once
// CDialogGlobalRecipients: the address book of one notification channel (e-mail 1,
// network pop-up 2, SMS 3, pager 4, messenger 6).  A drop-down lists the channel's
// distribution groups (the default one marked) followed by the commands that create,
// rename, delete a group and make it the default; below it the members of the chosen
// group, which "Save Members" (and OK) check with the channel's address rule and store.
// Every group operation goes to the configuration database at once.
#include "library/QvcString.h"
#include "model/notify/SnDistributionGroups.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstdint>

class CSnCfg;
class CUiSeam;

// The name of a group to create or rename: OK trims it and refuses an invalid name or
// that of another group, with the message box of the address book.
class CDialogGlobalRecipientsGroupName final : public QDialog {
    Q_OBJECT
public:
    CDialogGlobalRecipientsGroupName(CUiSeam& ui, const CSnDistributionGroups& groups, const QString& caption,
                                     const CQvcString& name, std::int32_t renamedId, QWidget* parent = nullptr);
    void accept() override;
    QLineEdit& NameField() { return m_name; }
    // The accepted name, trimmed.
    CQvcString Name() const;

private:
    CUiSeam& m_ui;
    const CSnDistributionGroups& m_groups;
    std::int32_t m_renamedId;
    QLineEdit m_name;
};

class CDialogGlobalRecipients final : public QDialog {
    Q_OBJECT
public:
    // The entries after the groups, in the drop-down's order; a separator is kSeparator.
    enum Entry : int { kSeparator = -1, kCreate = -2, kRename = -3, kDelete = -4, kSetDefault = -5 };

    CDialogGlobalRecipients(CUiSeam& ui, CSnCfg& store, std::int32_t channel, QWidget* parent = nullptr);

    // Stores the members of the current group; refused (with the message) it stays open.
    void accept() override;
    // Tells the engine when a group changed.
    void done(int result) override;
    // The member text into the current group and the store; false when refused or failed.
    bool SaveMembers();
    // Runs the drop-down entry at `index` as if the user chose it.
    void Choose(int index);

    QComboBox& Groups() { return m_groups; }
    QPlainTextEdit& MembersField() { return m_members; }
    const CSnDistributionGroups& List() const { return m_list; }
    std::int32_t CurrentId() const { return m_currentId; }

private:
    void Reload(std::int32_t select);
    void ShowCurrent();
    void CreateGroup();
    void RenameGroup();
    void DeleteGroup();
    void SetDefault();

    CUiSeam& m_ui;
    CSnCfg& m_store;
    CSnDistributionGroups m_list;
    std::int32_t m_currentId = 0;
    bool m_changed = false;
    QComboBox m_groups;
    QLabel m_membersLabel;
    QPlainTextEdit m_members;
};
