#include "manager/checks/types/scripts/DialogTypePowShell.h"

#include "library/Messages.h"
#include "library/QvcPath.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/types/scripts/ScriptFileDialogs.h"
#include "model/checks/CheckTypes.h"
#include "model/scripts/ParserPs1.h"
#include "model/store/SnCfg.h"
#include "platform/System.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr unsigned kOutsidePowerShellDirectory = 61545;

QString Q(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

CQvcString C(const QString& text) {
    return CQvcString(text.trimmed().toStdString());
}

} // namespace

CDialogTypePowShell::CDialogTypePowShell(QWidget* parent, CSnNode& w, std::int32_t,
                                         const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypePowerShell, ctx, "PowerShell Check") {
    setObjectName("powerShellDialog");
    if (ctx.cfg != nullptr)
        m_root = ctx.cfg->RootDirectory();

    const ScriptFileRows fileRows = ScriptFileRows::Build(*this, Form(), "Script &File:");
    m_file = fileRows.file;
    m_browse = fileRows.browse;
    m_newFile = fileRows.newFile;
    m_deleteFile = fileRows.deleteFile;

    m_rows = ScriptCallRows::Build(*this, Form());
    m_stderr = &AddOption("Output on standard &error makes the check an error", 2);
    m_stderr->setObjectName("errorOnStderr");
    m_timeoutButton = NamedButton(this, "Timeout Settings...", "timeoutSettings");
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(m_timeoutButton);
    timeoutRow->addStretch(1);
    Form().addRow(timeoutRow);

    const PowerShellSettings s = PowerShellSettings::Read(Initial());
    m_timeout = s;
    RefreshFiles(QString::fromStdString(s.File));
    ShowHeader(false);
    m_rows.SetParams(s.Args);
    ShowOptions(s);
    for (QPushButton* button : {m_browse, m_newFile, m_deleteFile})
        button->setEnabled(!m_root.IsEmpty());

    connect(m_file, &QComboBox::activated, this, [this] { ShowHeader(true); });
    connect(m_file->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (m_file->lineEdit()->isModified()) {
            m_file->lineEdit()->setModified(false);
            ShowHeader(true);
        }
    });
    connect(m_browse, &QPushButton::clicked, this, &CDialogTypePowShell::Browse);
    connect(m_newFile, &QPushButton::clicked, this, &CDialogTypePowShell::NewFile);
    connect(m_deleteFile, &QPushButton::clicked, this, &CDialogTypePowShell::DeleteFile);
    connect(m_timeoutButton, &QPushButton::clicked, this, &CDialogTypePowShell::EditTimeout);
    Finish();
}

CQvcString CDialogTypePowShell::NativeFile() const {
    const CQvcString stored = C(m_file->currentText());
    return m_root.IsEmpty() || stored.IsEmpty() ? CQvcString() : EngineRootPath(stored, m_root);
}

void CDialogTypePowShell::ChooseFile(const QString& stored) {
    m_file->setEditText(stored);
    ShowHeader(true);
}

void CDialogTypePowShell::RefreshFiles(const QString& select) {
    m_file->clear();
    if (!m_root.IsEmpty()) {
        for (const CQvcString& file : ScriptFilesOf(ScriptKind::PowerShell, m_root))
            m_file->addItem(Q(file));
    }
    const int at = m_file->findText(select, Qt::MatchFixedString);
    if (at >= 0)
        m_file->setCurrentIndex(at);
    m_file->setEditText(select);
}

void CDialogTypePowShell::ShowHeader(bool fillParams) {
    CParserPs1 parser;
    const CQvcString file = NativeFile();
    const bool read = !file.IsEmpty() && platform::FileExists(file.Str()) && parser.Open(file) == 0 &&
                      parser.ReadHeader() == 0;
    m_rows.ShowHeader(read ? &parser : nullptr);
    if (read && fillParams)
        m_rows.FillFromSample(parser);
}

void CDialogTypePowShell::Browse() {
    const CQvcString directory = ScriptDirectory(ScriptKind::PowerShell, m_root);
    QFileDialog dialog(this, "Choose a PowerShell file", Q(directory), "PowerShell files (*.ps1);;All files (*)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted || dialog.selectedFiles().isEmpty())
        return;
    const CQvcString stored =
        StoredScriptPath(ScriptKind::PowerShell, CQvcString(dialog.selectedFiles().front().toStdString()), m_root);
    if (stored.IsEmpty()) {
        Context().seam.Message(
            CQvcString().FormatGrow(MessageText(kOutsidePowerShellDirectory), directory.c_str()),
            CUiSeam::Icon::Warning);
        return;
    }
    ChooseFile(Q(stored));
}

void CDialogTypePowShell::NewFile() {
    DialogPowerShellNewFile dialog(this, Context().seam, ScriptDirectory(ScriptKind::PowerShell, m_root));
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    RefreshFiles(Q(StoredScriptPath(ScriptKind::PowerShell, dialog.CreatedPath(), m_root)));
    ShowHeader(true);
}

void CDialogTypePowShell::DeleteFile() {
    const QString current = m_file->currentText().trimmed();
    CDialogPowerShellDeleteFile dialog(this, Context().seam, m_root, C(current));
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    const bool wasCurrent = Q(dialog.DeletedFile()).compare(current, Qt::CaseInsensitive) == 0;
    RefreshFiles(wasCurrent ? QString(kPowerShellDirectory) : current);
    ShowHeader(false);
}

void CDialogTypePowShell::EditTimeout() {
    QDialog dialog(this);
    dialog.setWindowTitle("Timeout Settings");
    auto* form = new QFormLayout(&dialog);
    auto* stop = new QCheckBox("&Stop the script when it runs longer than:", &dialog);
    stop->setObjectName("stop");
    stop->setChecked(m_timeout.StopOnTimeout);
    auto* seconds = new QLineEdit(&dialog);
    seconds->setObjectName("timeout");
    SetNumber(*seconds, m_timeout.TimeoutSecs);
    auto* row = new QHBoxLayout;
    row->addWidget(seconds);
    row->addWidget(new QLabel("seconds", &dialog));
    form->addRow(stop, row);
    auto* error = new QRadioButton("&Error", &dialog);
    error->setObjectName("error");
    auto* uncertain = new QRadioButton("&Uncertain", &dialog);
    uncertain->setObjectName("uncertain");
    (m_timeout.TimeoutIsError ? error : uncertain)->setChecked(true);
    auto* result = new QHBoxLayout;
    result->addWidget(error);
    result->addWidget(uncertain);
    result->addStretch(1);
    form->addRow("A script stopped so makes the check:", result);
    for (QWidget* field : std::initializer_list<QWidget*>{seconds, error, uncertain}) {
        field->setEnabled(stop->isChecked());
        connect(stop, &QCheckBox::toggled, field, &QWidget::setEnabled);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    m_timeout.StopOnTimeout = stop->isChecked();
    m_timeout.TimeoutSecs = static_cast<int>(Number(*seconds)); // OK judges the range
    m_timeout.TimeoutIsError = error->isChecked();
}

bool CDialogTypePowShell::Collect(CSnNodeCfgFunction& out) {
    PowerShellSettings s = ReadOptions<PowerShellSettings>(out);
    s.File = C(m_file->currentText()).Str();
    s.Args = m_rows.Params();
    s.TimeoutSecs = m_timeout.TimeoutSecs;
    s.StopOnTimeout = m_timeout.StopOnTimeout;
    s.TimeoutIsError = m_timeout.TimeoutIsError;
    const auto exists = [this](const std::string& file) {
        return !m_root.IsEmpty() && platform::FileExists(EngineRootPath(CQvcString(file), m_root).Str());
    };
    if (!PassesAt(CheckPowerShellFields(s, exists), {m_file, m_timeoutButton}))
        return false;
    s.Write(out);
    return true;
}
