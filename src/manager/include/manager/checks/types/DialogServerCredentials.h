#pragma once
// CDialogServerCredentials: "Server Credentials", the editor of the server credentials
// list (the accounts with which the engine connects to other computers).  The list shows
// every server with its login; choosing one fills the fields below.  "Set" puts the
// fields into the list (replacing the entry of the same server), "Remove" drops the
// chosen entry.  OK stores the list in the configuration; Cancel forgets the changes.
// Passwords are kept scrambled and never shown.
#include "model/settings/SnCfgServerCredentials.h"

#include <QDialog>

class CSnCfg;
class CUiSeam;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CDialogServerCredentials final : public QDialog {
    Q_OBJECT
public:
    // Reads the list from `store` (when given) and opens on the entry of `server`, or with
    // the server filled in when the list has none.
    CDialogServerCredentials(CUiSeam& ui, CSnCfg* store, const QString& server, QWidget* parent = nullptr);

    // Stores the list; a store failure is shown and keeps the dialog open.
    void accept() override;
    // The fields into the list; false (with a message) when the entry is refused.
    bool SetEntry();
    void RemoveEntry();

    const CSnCfgServerCredentials& List() const { return m_list; }
    QTreeWidget& Entries() { return *m_entries; }
    QLineEdit& ServerField() { return *m_server; }
    QLineEdit& LoginField() { return *m_login; }
    QLineEdit& PasswordField() { return *m_password; }
    QLineEdit& ConfirmField() { return *m_confirm; }

private:
    void ShowList(const QString& select);
    void ShowEntry();

    CUiSeam& m_ui;
    CSnCfg* m_store;
    CSnCfgServerCredentials m_list;
    QTreeWidget* m_entries = nullptr;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_login = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_confirm = nullptr;
    QPushButton* m_remove = nullptr;
};
