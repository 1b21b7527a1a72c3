#pragma once
// The configuration as a whole from the File menu: "Export Configuration..." (a save-file
// dialog), "New Configuration" (CWzd_ClearSheet: an optional backup, then the template
// replaces the configuration) and "Import Configuration..." (CWzd_ImportSheet: the
// version, the file, a backup into "Saved Configurations", the import).  After a new or
// imported configuration the tree is reloaded and the views rebuilt; the store tells the
// engine.
#include "library/QvcString.h"

#include <QWizard>
#include <QWizardPage>

class CCommandRegistry;
class CQMonApp;
class CSnCfg;
class CUiSeam;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

void RegisterConfigurationCommands(CQMonApp& app, CCommandRegistry& commands);

// The save-file dialog of an export, starting in `directory`: a configuration database
// ("*.mdb") or, with the second filter, the JSON text.  False when cancelled.
bool ChooseExportFile(CUiSeam& ui, QWidget* parent, const CQvcString& directory, QString& path);
// Exports to `path`: the JSON text for a name ending in ".json", else the database file.
// Shows the outcome; 0 or the failure code.
long ExportWithMessages(CQMonApp& app, const QString& path);

class CWzd_ClearSheet : public QWizard {
    Q_OBJECT
public:
    CWzd_ClearSheet(CQMonApp& app, QWidget* parent);
    CQMonApp& App() { return m_app; }
    // The check box "&Launch the Quick Configuration Wizard now", copied at Finish.
    bool LaunchQuickWizard() const { return m_launchQuick; }
    void SetLaunchQuickWizard(bool on) { m_launchQuick = on; }

private:
    CQMonApp& m_app;
    bool m_launchQuick = true;
};

class CWzd_Clear1 : public QWizardPage {
    Q_OBJECT
public:
    explicit CWzd_Clear1(CWzd_ClearSheet& sheet);
    bool validatePage() override;

private:
    void UpdateEnabling();
    void Browse();

    CWzd_ClearSheet& m_sheet;
    QRadioButton* m_backup;
    QRadioButton* m_skip;
    QLineEdit* m_path;
    QWidget* m_browse;
};

class CWzd_Clear3 : public QWizardPage {
    Q_OBJECT
public:
    explicit CWzd_Clear3(CWzd_ClearSheet& sheet);
    void initializePage() override;
    bool validatePage() override;
    // "Creating new configuration..." until the work posted at activation has run.
    QString Status() const;

private:
    void CreateConfiguration();

    CWzd_ClearSheet& m_sheet;
    QLabel* m_status;
    QCheckBox* m_launch;
};

class CWzd_ImportSheet : public QWizard {
    Q_OBJECT
public:
    CWzd_ImportSheet(CQMonApp& app, QWidget* parent);
    CQMonApp& App() { return m_app; }
    // 5, 6 or 7: the generation of the configuration imported.
    int Version() const { return m_version; }
    void SetVersion(int version) { m_version = version; }
    // Where the configuration replaced by the import was saved.
    const CQvcString& BackupPath() const { return m_backup; }
    void SetBackupPath(const CQvcString& path) { m_backup = path; }

private:
    CQMonApp& m_app;
    int m_version = 7;
    CQvcString m_backup;
};

class CWzd_Import1 : public QWizardPage {
    Q_OBJECT
public:
    explicit CWzd_Import1(CWzd_ImportSheet& sheet);
    bool validatePage() override;

private:
    CWzd_ImportSheet& m_sheet;
    QListWidget* m_versions;
};

class CWzd_Import2 : public QWizardPage {
    Q_OBJECT
public:
    explicit CWzd_Import2(CWzd_ImportSheet& sheet);
    bool validatePage() override;

private:
    void Browse();

    CWzd_ImportSheet& m_sheet;
    QLineEdit* m_path;
    QRadioButton* m_everything;
    QRadioButton* m_checksOnly;
};

class CWzd_Import3 : public QWizardPage {
    Q_OBJECT
public:
    explicit CWzd_Import3(CWzd_ImportSheet& sheet);
    void initializePage() override;

private:
    CWzd_ImportSheet& m_sheet;
    QLabel* m_text;
};
