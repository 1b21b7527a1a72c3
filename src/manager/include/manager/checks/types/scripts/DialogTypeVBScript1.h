#pragma once
// CDialogTypeVBScript1: "VBScript Check" (type 100).  The file is chosen from the scripts
// of the Engine's VBScript directory (or browsed to, and refused with 51667 outside it),
// the function from the list of the functions that file declares; choosing a function
// shows its description, usage and sample and fills parameters 1..6 from its sample.  The
// file and function helpers (new file, delete file, new function, delete function) and
// "Advanced VBScript Settings..." (the time-out) open from here.  Through
// ScriptCheckSettings.
//
// The mode is the chooser entry's: 0 "VBScript", 1 "User/group membership", 2 "LDAP".  A
// new check in mode 1 or 2 opens on the stock DirectoryService.vbs with CheckGroupMembership
// or CheckLdap chosen and its sample in the parameters.
#include "manager/checks/types/DialogCheck.h"
#include "manager/checks/types/scripts/ScriptCallRows.h"

class QComboBox;

class CDialogTypeVBScript1 final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeVBScript1(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QComboBox& FileCombo() const { return *m_file; }
    QComboBox& FunctionCombo() const { return *m_function; }
    const ScriptCallRows& Rows() const { return m_rows; }
    QPushButton& BrowseButton() const { return *m_browse; }
    QPushButton& NewFileButton() const { return *m_newFile; }
    QPushButton& DeleteFileButton() const { return *m_deleteFile; }
    QPushButton& NewFunctionButton() const { return *m_newFunction; }
    QPushButton& DeleteFunctionButton() const { return *m_deleteFunction; }
    QPushButton& AdvancedButton() const { return *m_advanced; }
    int TimeoutSecs() const { return m_timeoutSecs; }

    // Chooses a file (a stored path) as the user would: the function list is read anew.
    void ChooseFile(const QString& stored);
    // Chooses a function of the list: its header is shown and the parameters filled.
    void ChooseFunction(const QString& name);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    // The native path of the file the combo names.
    CQvcString NativeFile() const;
    void RefreshFiles(const QString& select);
    // Lists the file's functions and selects `select` when it is among them.
    void LoadFunctions(const QString& select, bool fillParams);
    void ShowFunction(bool fillParams);
    void UpdateEnabling();
    void Browse();
    void NewFile();
    void DeleteFile();
    void NewFunction();
    void DeleteFunction();
    void Advanced();

    CQvcString m_root; // the Engine root, empty without a configuration
    QComboBox* m_file = nullptr;
    QComboBox* m_function = nullptr;
    ScriptCallRows m_rows;
    QPushButton* m_browse = nullptr;
    QPushButton* m_newFile = nullptr;
    QPushButton* m_deleteFile = nullptr;
    QPushButton* m_newFunction = nullptr;
    QPushButton* m_deleteFunction = nullptr;
    QPushButton* m_advanced = nullptr;
    int m_timeoutSecs = 900;
    bool m_blockAfterFailure = true;
};
