#pragma once
// CDialogTypePowShell: "PowerShell Check" (type 290).  The script file is chosen from the
// scripts of the Engine's PowerShell directory (or browsed to, and refused with 61545
// outside it); its header comment gives the description, usage and sample, and choosing a
// file fills parameters 1..6 from its sample.  "Timeout Settings..." edits the time-out and
// what a time-out means; new and delete file helpers open from here.  Through
// PowerShellSettings.
#include "manager/checks/types/DialogCheck.h"
#include "manager/checks/types/scripts/ScriptCallRows.h"
#include "model/checks/CheckSettings.h"

class QComboBox;

class CDialogTypePowShell final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypePowShell(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QComboBox& FileCombo() const { return *m_file; }
    const ScriptCallRows& Rows() const { return m_rows; }
    QPushButton& NewFileButton() const { return *m_newFile; }
    QPushButton& DeleteFileButton() const { return *m_deleteFile; }
    QPushButton& TimeoutButton() const { return *m_timeoutButton; }
    QCheckBox& StderrBox() const { return *m_stderr; }

    // Chooses a file (a stored path) as the user would: its header is shown and the
    // parameters filled from its sample.
    void ChooseFile(const QString& stored);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    CQvcString NativeFile() const;
    void RefreshFiles(const QString& select);
    void ShowHeader(bool fillParams);
    void Browse();
    void NewFile();
    void DeleteFile();
    void EditTimeout();

    CQvcString m_root;
    QComboBox* m_file = nullptr;
    ScriptCallRows m_rows;
    QPushButton* m_browse = nullptr;
    QPushButton* m_newFile = nullptr;
    QPushButton* m_deleteFile = nullptr;
    QPushButton* m_timeoutButton = nullptr;
    QCheckBox* m_stderr = nullptr;
    // What "Timeout Settings..." edits.
    PowerShellSettings m_timeout;
};
