#include "manager/wizards/ConfigurationWizards.h"

#include "library/ErrorTexts.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/app/WaitCursor.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"
#include "model/link/SnIPC.h"
#include "model/store/SnCfgRestore.h"
#include "platform/System.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <ctime>
#include <string>

namespace {

constexpr const char* kDatabaseFilter = "Quorvane Sentrelle File (*.mdb)";
constexpr const char* kOldFileFilter = "Quorvane Sentrelle File (*.qmf)";
constexpr const char* kTextFilter = "JSON text (*.json)";
constexpr const char* kExported = "Configuration successfully exported.";

QString Q(const CQvcString& s) { return QString::fromStdString(s.Str()); }
CQvcString C(const QString& s) { return CQvcString(s.toStdString()); }

bool IsText(const QString& path) { return path.endsWith(".json", Qt::CaseInsensitive); }

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// A failure code's text, with the text export's or import's own account of it.
void ShowFailure(CQMonApp& app, long code, const std::string& problem) {
    if (problem.empty()) {
        app.ShowErrorCode(code);
        return;
    }
    app.Ui().Message(ErrorText(code) + ": " + CQvcString(problem), CUiSeam::Icon::Error);
}

// The page's step text as its title; the wizard shows no header image.
void SetStep(QWizardPage& page, const char* step) { page.setTitle(step); }

QPushButton* BrowseButton(QWidget* page) {
    auto* button = new QPushButton("...", page);
    button->setObjectName("browse");
    button->setMaximumWidth(32);
    return button;
}

// The tree goes, the store's configuration is read again and the views show it.
void ReloadViews(CQMonApp& app) {
    app.ReloadAndRebuild();
    if (app.Frame() != nullptr)
        app.Frame()->UpdateCommandStates();
}

void ExportConfiguration(CQMonApp& app) {
    CSnCfg* store = app.Store();
    QString path;
    if (store != nullptr && ChooseExportFile(app.Ui(), app.Frame(), store->SavedConfigurationsDirectory(), path))
        ExportWithMessages(app, path);
}

void NewConfiguration(CQMonApp& app) {
    if (app.Store() == nullptr)
        return;
    CWzd_ClearSheet sheet(app, app.Frame());
    if (app.Ui().ExecDialog(sheet) == CUiSeam::kAccepted && sheet.LaunchQuickWizard())
        app.OnCommand(cmd::kQuickConfiguration);
}

void ImportConfiguration(CQMonApp& app) {
    if (app.Store() == nullptr)
        return;
    CWzd_ImportSheet sheet(app, app.Frame());
    app.Ui().ExecDialog(sheet);
}

} // namespace

void RegisterConfigurationCommands(CQMonApp& app, CCommandRegistry& commands) {
    commands.Add(cmd::kNewConfiguration, [&app](int) { NewConfiguration(app); });
    commands.Add(cmd::kImportConfiguration, [&app](int) { ImportConfiguration(app); });
    commands.Add(cmd::kExportConfiguration, [&app](int) { ExportConfiguration(app); });
}

bool ChooseExportFile(CUiSeam& ui, QWidget* parent, const CQvcString& directory, QString& path) {
    QFileDialog dialog(parent, "Export Configuration", Q(directory));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kDatabaseFilter, kTextFilter});
    if (ui.ExecDialog(dialog) != CUiSeam::kAccepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().front();
    // A name without an extension takes the one of the filter chosen.
    if (QFileInfo(path).suffix().isEmpty())
        path += dialog.selectedNameFilter() == kTextFilter ? ".json" : ".mdb";
    return true;
}

long ExportWithMessages(CQMonApp& app, const QString& path) {
    std::string problem;
    const long code = IsText(path) ? app.Store()->ExportConfigurationText(C(path), problem)
                                   : app.Store()->ExportConfiguration(C(path));
    if (code != 0)
        ShowFailure(app, code, problem);
    else
        app.Ui().Message(kExported, CUiSeam::Icon::Information);
    return code;
}

// --- New configuration ---------------------------------------------------------------------

CWzd_ClearSheet::CWzd_ClearSheet(CQMonApp& app, QWidget* parent) : QWizard(parent), m_app(app) {
    setWindowTitle("New Configuration");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    addPage(new CWzd_Clear1(*this));
    addPage(new CWzd_Clear3(*this));
}

CWzd_Clear1::CWzd_Clear1(CWzd_ClearSheet& sheet) : QWizardPage(&sheet), m_sheet(sheet) {
    SetStep(*this, "Step 1: Backup the current Quorvane Sentrelle configuration first");
    auto* layout = new QVBoxLayout(this);
    auto* question =
        new QLabel("Do you want to make a backup of the current configuration first before creating a new one?", this);
    question->setWordWrap(true);
    layout->addWidget(question);
    m_backup = new QRadioButton("&Yes, backup the current configuration to the following file:", this);
    m_backup->setObjectName("backup");
    m_backup->setChecked(true);
    layout->addWidget(m_backup);
    auto* row = new QHBoxLayout;
    m_path = new QLineEdit(Q(sheet.App().Store()->SavedConfigurationsDirectory() +
                             CSnCfg::NewConfigurationBackupName(LocalNow())),
                           this);
    m_path->setObjectName("path");
    QPushButton* browse = BrowseButton(this);
    m_browse = browse;
    row->addWidget(m_path);
    row->addWidget(browse);
    layout->addLayout(row);
    m_skip = new QRadioButton("&No, skip backup", this);
    m_skip->setObjectName("skip");
    layout->addWidget(m_skip);
    layout->addStretch();
    connect(m_backup, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
}

void CWzd_Clear1::UpdateEnabling() {
    m_path->setEnabled(m_backup->isChecked());
    m_browse->setEnabled(m_backup->isChecked());
}

void CWzd_Clear1::Browse() {
    QString path;
    if (ChooseExportFile(m_sheet.App().Ui(), this, m_sheet.App().Store()->SavedConfigurationsDirectory(), path))
        m_path->setText(path);
}

bool CWzd_Clear1::validatePage() {
    if (!m_backup->isChecked())
        return true;
    CUiSeam& ui = m_sheet.App().Ui();
    const QString path = m_path->text().trimmed();
    if (path.isEmpty()) {
        ui.Message("File is required.", CUiSeam::Icon::Warning);
        return false;
    }
    if (platform::FileExists(path.toStdString())) {
        CQvcString question;
        question.Format("File %s already exists.\nDo you want to replace it?", path.toStdString().c_str());
        if (ui.Message(question, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
            return false;
    }
    return ExportWithMessages(m_sheet.App(), path) == 0;
}

CWzd_Clear3::CWzd_Clear3(CWzd_ClearSheet& sheet) : QWizardPage(&sheet), m_sheet(sheet) {
    SetStep(*this, "Finished.");
    setFinalPage(true);
    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    layout->addWidget(m_status);
    layout->addStretch();
    m_launch = new QCheckBox("&Launch the Quick Configuration Wizard now", this);
    m_launch->setObjectName("launchQuick");
    m_launch->setChecked(sheet.LaunchQuickWizard());
    layout->addWidget(m_launch);
}

QString CWzd_Clear3::Status() const { return m_status->text(); }

void CWzd_Clear3::initializePage() {
    m_status->setText("Creating new configuration...");
    m_launch->setEnabled(false);
    wizard()->setButtonLayout({QWizard::Stretch, QWizard::FinishButton});
    wizard()->button(QWizard::FinishButton)->setEnabled(false);
    // The work starts once the page has been drawn.
    QMetaObject::invokeMethod(this, [this] { CreateConfiguration(); }, Qt::QueuedConnection);
}

void CWzd_Clear3::CreateConfiguration() {
    CQMonApp& app = m_sheet.App();
    const long code = app.Store()->ClearConfiguration();
    ReloadViews(app);
    if (code != 0) {
        app.ShowErrorCode(code);
        m_status->setText("Failed to create new configuration. ");
    } else {
        m_status->setText("New Configuration created.");
    }
    m_launch->setEnabled(true);
    wizard()->button(QWizard::FinishButton)->setEnabled(true);
}

bool CWzd_Clear3::validatePage() {
    m_sheet.SetLaunchQuickWizard(m_launch->isChecked());
    return true;
}

// --- Import ----------------------------------------------------------------------------------

CWzd_ImportSheet::CWzd_ImportSheet(CQMonApp& app, QWidget* parent) : QWizard(parent), m_app(app) {
    setWindowTitle("Import Configuration File");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    addPage(new CWzd_Import1(*this));
    addPage(new CWzd_Import2(*this));
    addPage(new CWzd_Import3(*this));
}

CWzd_Import1::CWzd_Import1(CWzd_ImportSheet& sheet) : QWizardPage(&sheet), m_sheet(sheet) {
    SetStep(*this, "Choose version to import from");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select an Quorvane Sentrelle version to import from:", this));
    m_versions = new QListWidget(this);
    m_versions->setObjectName("versions");
    m_versions->addItems({"Quorvane Sentrelle 5", "Quorvane Sentrelle 6", "Quorvane Sentrelle 7"});
    m_versions->setCurrentRow(2);
    layout->addWidget(m_versions);
}

bool CWzd_Import1::validatePage() {
    const QList<QListWidgetItem*> selected = m_versions->selectedItems();
    if (selected.isEmpty()) {
        m_sheet.App().Ui().Message("Select the version of the configuration you want to import.",
                                   CUiSeam::Icon::Information);
        return false;
    }
    m_sheet.SetVersion(5 + m_versions->row(selected.front()));
    return true;
}

CWzd_Import2::CWzd_Import2(CWzd_ImportSheet& sheet) : QWizardPage(&sheet), m_sheet(sheet) {
    SetStep(*this, "Import Configuration File");
    // Once imported there is no going back to import again.
    setCommitPage(true);
    setButtonText(QWizard::CommitButton, "&Next >");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setObjectName("path");
    QPushButton* browse = BrowseButton(this);
    row->addWidget(m_path);
    row->addWidget(browse);
    layout->addLayout(row);
    m_everything = new QRadioButton("&Monitor Checks and general program settings (recommended)", this);
    m_everything->setObjectName("everything");
    m_everything->setChecked(true);
    m_checksOnly = new QRadioButton("M&onitor Checks only", this);
    m_checksOnly->setObjectName("checksOnly");
    layout->addWidget(m_everything);
    layout->addWidget(m_checksOnly);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
}

void CWzd_Import2::Browse() {
    const bool old = m_sheet.Version() != 7;
    QFileDialog dialog(this, "Import Configuration", Q(m_sheet.App().Store()->SavedConfigurationsDirectory()));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("qmf");
    dialog.setNameFilters(old ? QStringList{kOldFileFilter} : QStringList{kDatabaseFilter, kTextFilter});
    if (m_sheet.App().Ui().ExecDialog(dialog) == CUiSeam::kAccepted && !dialog.selectedFiles().isEmpty())
        m_path->setText(dialog.selectedFiles().front());
}

bool CWzd_Import2::validatePage() {
    CWaitCursor wait;
    CQMonApp& app = m_sheet.App();
    CSnCfg& store = *app.Store();
    const QString path = m_path->text().trimmed();
    if (path.isEmpty()) {
        app.Ui().Message("Configuration filename is required.", CUiSeam::Icon::Warning);
        return false;
    }
    if (!platform::FileExists(path.toStdString())) {
        app.Ui().Message("Configuration file does not exist. Please enter a valid Quorvane Sentrelle "
                         "configuration file.",
                         CUiSeam::Icon::Error);
        return false;
    }
    const CQvcString backup = store.SavedConfigurationsDirectory() + CSnCfg::ImportBackupName(LocalNow());
    if (const long code = store.ExportConfiguration(backup)) {
        app.ShowErrorCode(code);
        return false;
    }
    m_sheet.SetBackupPath(backup);

    std::string problem;
    long code = 0;
    if (m_sheet.Version() != 7)
        code = store.ImportConfiguration(C(path), m_sheet.Version());
    else if (IsText(path))
        code = store.ImportConfigurationText(C(path), problem);
    else
        code = store.ImportCurrentConfiguration(C(path));
    // The checks alone: the program's settings come back from the backup just made.
    if (code == 0 && m_checksOnly->isChecked())
        code = RestoreProgramSettings(store, backup);
    if (code != 0) {
        ShowFailure(app, code, problem);
        ReloadViews(app); // a failed restore leaves the imported checks
        return false;
    }
    if (CSnIPC* link = store.Link())
        link->RemoveAllResults();
    ReloadViews(app);
    return true;
}

CWzd_Import3::CWzd_Import3(CWzd_ImportSheet& sheet) : QWizardPage(&sheet), m_sheet(sheet) {
    SetStep(*this, "Finished.");
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setObjectName("saved");
    m_text->setWordWrap(true);
    layout->addWidget(m_text);
    layout->addStretch();
}

void CWzd_Import3::initializePage() {
    CQvcString text;
    text.Format("Your previous configuration was saved as '%s' in\r\nthe 'Saved Configurations' folder.",
                m_sheet.BackupPath().c_str());
    m_text->setText(Q(text));
}
