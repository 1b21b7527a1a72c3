#pragma once
// The script helpers that the VBScript and PowerShell check dialogs open: a new script
// file from its template, a new VBScript function appended to a file, a VBScript function
// removed from its file, a script file deleted.  Each writes through the script-file
// operations of the model (ScriptFiles.h), shows their refusals as error boxes through the
// UI seam and stays open after one, so the user can correct the name or cancel.
#include "library/QvcString.h"
#include "model/scripts/ScriptFiles.h"

#include <QDialog>
#include <QStringList>

class CUiSeam;
class QComboBox;
class QLineEdit;

// "New ... File": the name of the new file in the kind's directory.
class CDialogScriptNewFile : public QDialog {
    Q_OBJECT
public:
    CDialogScriptNewFile(QWidget* parent, CUiSeam& seam, ScriptKind kind, const CQvcString& directory);
    QLineEdit& NameField() const { return *m_name; }
    // After OK: the native path of the file created.
    const CQvcString& CreatedPath() const { return m_created; }
    void accept() override;

private:
    CUiSeam& m_seam;
    ScriptKind m_kind;
    CQvcString m_directory;
    QLineEdit* m_name = nullptr;
    CQvcString m_created;
};

class DialogVbScriptNewFile final : public CDialogScriptNewFile {
    Q_OBJECT
public:
    DialogVbScriptNewFile(QWidget* parent, CUiSeam& seam, const CQvcString& directory)
        : CDialogScriptNewFile(parent, seam, ScriptKind::VBScript, directory) {}
};

class DialogPowerShellNewFile final : public CDialogScriptNewFile {
    Q_OBJECT
public:
    DialogPowerShellNewFile(QWidget* parent, CUiSeam& seam, const CQvcString& directory)
        : CDialogScriptNewFile(parent, seam, ScriptKind::PowerShell, directory) {}
};

// "Delete ... File": one of the kind's files (the current one preselected), deleted after
// the user confirmed.
class CDialogScriptDeleteFile : public QDialog {
    Q_OBJECT
public:
    // `current`: the stored path the check dialog shows.
    CDialogScriptDeleteFile(QWidget* parent, CUiSeam& seam, ScriptKind kind, const CQvcString& engineRoot,
                            const CQvcString& current);
    QComboBox& FileCombo() const { return *m_files; }
    // After OK: the stored path of the file deleted.
    const CQvcString& DeletedFile() const { return m_deleted; }
    void accept() override;

private:
    CUiSeam& m_seam;
    CQvcString m_root;
    QComboBox* m_files = nullptr;
    CQvcString m_deleted;
};

class CDialogVbScriptDeleteFile final : public CDialogScriptDeleteFile {
    Q_OBJECT
public:
    CDialogVbScriptDeleteFile(QWidget* parent, CUiSeam& seam, const CQvcString& engineRoot,
                              const CQvcString& current)
        : CDialogScriptDeleteFile(parent, seam, ScriptKind::VBScript, engineRoot, current) {}
};

class CDialogPowerShellDeleteFile final : public CDialogScriptDeleteFile {
    Q_OBJECT
public:
    CDialogPowerShellDeleteFile(QWidget* parent, CUiSeam& seam, const CQvcString& engineRoot,
                                const CQvcString& current)
        : CDialogScriptDeleteFile(parent, seam, ScriptKind::PowerShell, engineRoot, current) {}
};

// "New VBScript Function": a function appended to the file from the template.
class CDialogVbScriptNewFunction final : public QDialog {
    Q_OBJECT
public:
    // `file`: the native path of the VBScript file.
    CDialogVbScriptNewFunction(QWidget* parent, CUiSeam& seam, const CQvcString& file);
    QLineEdit& NameField() const { return *m_name; }
    // After OK: the name as written into the file.
    const CQvcString& CreatedName() const { return m_created; }
    void accept() override;

private:
    CUiSeam& m_seam;
    CQvcString m_file;
    QLineEdit* m_name = nullptr;
    CQvcString m_created;
};

// "Delete VBScript Function": one of the file's functions (the current one preselected)
// removed from the file.
class CDialogVbScriptDeleteFunction final : public QDialog {
    Q_OBJECT
public:
    CDialogVbScriptDeleteFunction(QWidget* parent, CUiSeam& seam, const CQvcString& file,
                                  const QStringList& functions, const QString& current);
    QComboBox& FunctionCombo() const { return *m_functions; }
    void accept() override;

private:
    CUiSeam& m_seam;
    CQvcString m_file;
    QComboBox* m_functions = nullptr;
};
