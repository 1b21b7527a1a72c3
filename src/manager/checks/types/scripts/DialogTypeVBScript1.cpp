#include "manager/checks/types/scripts/DialogTypeVBScript1.h"

#include "library/Messages.h"
#include "library/QvcPath.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/types/scripts/ScriptFileDialogs.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/scripts/ParserVBScript.h"
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

namespace {

constexpr unsigned kOutsideVbScriptDirectory = 51667;

QString Q(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

CQvcString C(const QString& text) {
    return CQvcString(text.trimmed().toStdString());
}

} // namespace

CDialogTypeVBScript1::CDialogTypeVBScript1(QWidget* parent, CSnNode& w, std::int32_t,
                                           const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeVBScript, ctx, "VBScript Check") {
    setObjectName("vbScriptDialog");
    if (ctx.cfg != nullptr)
        m_root = ctx.cfg->RootDirectory();

    const ScriptFileRows fileRows = ScriptFileRows::Build(*this, Form(), "&File:");
    m_file = fileRows.file;
    m_browse = fileRows.browse;
    m_newFile = fileRows.newFile;
    m_deleteFile = fileRows.deleteFile;

    m_function = new QComboBox(this);
    m_function->setObjectName("function");
    m_function->setEditable(true);
    m_function->setInsertPolicy(QComboBox::NoInsert);
    Form().addRow(BuddyLabel("F&unction:", m_function), m_function);
    m_newFunction = NamedButton(this, "New Function...", "newFunction");
    m_deleteFunction = NamedButton(this, "Delete Function...", "deleteFunction");
    auto* functionButtons = new QHBoxLayout;
    functionButtons->addStretch(1);
    functionButtons->addWidget(m_newFunction);
    functionButtons->addWidget(m_deleteFunction);
    Form().addRow(QString(), functionButtons);

    m_rows = ScriptCallRows::Build(*this, Form());
    m_advanced = NamedButton(this, "Advanced VBScript Settings...", "advanced");
    auto* advancedRow = new QHBoxLayout;
    advancedRow->addWidget(m_advanced);
    advancedRow->addStretch(1);
    Form().addRow(advancedRow);

    ScriptCheckSettings s = ScriptCheckSettings::Read(Initial());
    // A new directory check starts on its stock function, with the sample's arguments.
    const bool stockStart = ctx.scriptMode != 0 && s.Function.empty();
    if (stockStart) {
        s.File = kDirectoryScriptFile;
        s.Function = ctx.scriptMode == 2 ? kLdapFunction : kMembershipFunction;
    }
    m_timeoutSecs = s.TimeoutSecs;
    m_blockAfterFailure = s.BlockAfterFailure;
    RefreshFiles(QString::fromStdString(s.File));
    m_rows.SetParams(s.Args);
    LoadFunctions(QString::fromStdString(s.Function), stockStart);

    connect(m_file, &QComboBox::activated, this, [this] { LoadFunctions(QString(), true); });
    connect(m_file->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (m_file->lineEdit()->isModified()) {
            m_file->lineEdit()->setModified(false);
            LoadFunctions(QString(), true);
        }
    });
    connect(m_function, &QComboBox::activated, this, [this] { ShowFunction(true); });
    connect(m_browse, &QPushButton::clicked, this, &CDialogTypeVBScript1::Browse);
    connect(m_newFile, &QPushButton::clicked, this, &CDialogTypeVBScript1::NewFile);
    connect(m_deleteFile, &QPushButton::clicked, this, &CDialogTypeVBScript1::DeleteFile);
    connect(m_newFunction, &QPushButton::clicked, this, &CDialogTypeVBScript1::NewFunction);
    connect(m_deleteFunction, &QPushButton::clicked, this, &CDialogTypeVBScript1::DeleteFunction);
    connect(m_advanced, &QPushButton::clicked, this, &CDialogTypeVBScript1::Advanced);
    Finish();
}

CQvcString CDialogTypeVBScript1::NativeFile() const {
    const CQvcString stored = C(m_file->currentText());
    return m_root.IsEmpty() || stored.IsEmpty() ? CQvcString() : EngineRootPath(stored, m_root);
}

void CDialogTypeVBScript1::ChooseFile(const QString& stored) {
    m_file->setEditText(stored);
    LoadFunctions(QString(), true);
}

void CDialogTypeVBScript1::ChooseFunction(const QString& name) {
    m_function->setCurrentIndex(m_function->findText(name, Qt::MatchFixedString));
    ShowFunction(true);
}

void CDialogTypeVBScript1::RefreshFiles(const QString& select) {
    m_file->clear();
    if (!m_root.IsEmpty()) {
        for (const CQvcString& file : ScriptFilesOf(ScriptKind::VBScript, m_root))
            m_file->addItem(Q(file));
    }
    const int at = m_file->findText(select, Qt::MatchFixedString);
    if (at >= 0)
        m_file->setCurrentIndex(at);
    m_file->setEditText(select);
}

void CDialogTypeVBScript1::LoadFunctions(const QString& select, bool fillParams) {
    m_function->clear();
    CParserVBScript parser;
    const CQvcString file = NativeFile();
    if (!file.IsEmpty() && parser.Open(file) == 0) {
        while (parser.ReadNextFunction() == 0)
            m_function->addItem(Q(parser.Name()));
    }
    const int at = select.isEmpty() ? 0 : m_function->findText(select, Qt::MatchFixedString);
    if (at >= 0 && at < m_function->count())
        m_function->setCurrentIndex(at);
    else
        m_function->setEditText(select); // kept as stored; OK refuses it when it is not defined
    ShowFunction(fillParams);
}

void CDialogTypeVBScript1::ShowFunction(bool fillParams) {
    CParserVBScript parser;
    const CQvcString file = NativeFile();
    const CQvcString function = C(m_function->currentText());
    const bool found =
        !file.IsEmpty() && !function.IsEmpty() && parser.Open(file) == 0 && parser.FindFunction(function) == 0;
    m_rows.ShowHeader(found ? &parser : nullptr);
    if (found && fillParams)
        m_rows.FillFromSample(parser);
    UpdateEnabling();
}

void CDialogTypeVBScript1::UpdateEnabling() {
    const bool installed = !m_root.IsEmpty();
    for (QPushButton* button : {m_browse, m_newFile, m_deleteFile})
        button->setEnabled(installed);
    const CQvcString file = NativeFile();
    m_newFunction->setEnabled(!file.IsEmpty() && platform::FileExists(file.Str()));
    m_deleteFunction->setEnabled(m_newFunction->isEnabled() && m_function->count() > 0);
}

void CDialogTypeVBScript1::Browse() {
    const CQvcString directory = ScriptDirectory(ScriptKind::VBScript, m_root);
    QFileDialog dialog(this, "Choose a VBScript file", Q(directory), "VBScript files (*.vbs);;All files (*)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted || dialog.selectedFiles().isEmpty())
        return;
    const CQvcString stored =
        StoredScriptPath(ScriptKind::VBScript, CQvcString(dialog.selectedFiles().front().toStdString()), m_root);
    if (stored.IsEmpty()) {
        Context().seam.Message(CQvcString().FormatGrow(MessageText(kOutsideVbScriptDirectory), directory.c_str()),
                               CUiSeam::Icon::Warning);
        return;
    }
    ChooseFile(Q(stored));
}

void CDialogTypeVBScript1::NewFile() {
    DialogVbScriptNewFile dialog(this, Context().seam, ScriptDirectory(ScriptKind::VBScript, m_root));
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    RefreshFiles(Q(StoredScriptPath(ScriptKind::VBScript, dialog.CreatedPath(), m_root)));
    LoadFunctions(QString(), true);
}

void CDialogTypeVBScript1::DeleteFile() {
    const QString current = m_file->currentText().trimmed();
    CDialogVbScriptDeleteFile dialog(this, Context().seam, m_root, C(current));
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    const bool wasCurrent = Q(dialog.DeletedFile()).compare(current, Qt::CaseInsensitive) == 0;
    const QString function = m_function->currentText();
    RefreshFiles(wasCurrent ? QString(kVbScriptDirectory) : current);
    LoadFunctions(wasCurrent ? QString() : function, false);
}

void CDialogTypeVBScript1::NewFunction() {
    CDialogVbScriptNewFunction dialog(this, Context().seam, NativeFile());
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    LoadFunctions(Q(dialog.CreatedName()), true);
}

void CDialogTypeVBScript1::DeleteFunction() {
    QStringList functions;
    for (int i = 0; i < m_function->count(); ++i)
        functions << m_function->itemText(i);
    const QString current = m_function->currentText().trimmed();
    CDialogVbScriptDeleteFunction dialog(this, Context().seam, NativeFile(), functions, current);
    if (Context().seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    const bool wasCurrent = dialog.FunctionCombo().currentText().compare(current, Qt::CaseInsensitive) == 0;
    LoadFunctions(wasCurrent ? QString() : current, wasCurrent);
}

void CDialogTypeVBScript1::Advanced() {
    QDialog dialog(this);
    dialog.setWindowTitle("Advanced VBScript Settings");
    auto* form = new QFormLayout(&dialog);
    auto* timeout = new QLineEdit(&dialog);
    timeout->setObjectName("timeout");
    SetNumber(*timeout, m_timeoutSecs);
    auto* row = new QHBoxLayout;
    row->addWidget(timeout);
    row->addWidget(new QLabel("seconds", &dialog));
    auto* label = new QLabel("Script &time-out:", &dialog);
    label->setBuddy(timeout);
    form->addRow(label, row);
    auto* block = new QCheckBox("&Block the check after a bad operation (until its failure is cleared)", &dialog);
    block->setObjectName("block");
    block->setChecked(m_blockAfterFailure);
    form->addRow(block);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (Context().seam.ExecDialog(dialog) == CUiSeam::kAccepted) {
        m_timeoutSecs = static_cast<int>(Number(*timeout)); // OK judges the range
        m_blockAfterFailure = block->isChecked();
    }
}

bool CDialogTypeVBScript1::Collect(CSnNodeCfgFunction& out) {
    ScriptCheckSettings s = ScriptCheckSettings::Read(out);
    s.File = C(m_file->currentText()).Str();
    s.Function = C(m_function->currentText()).Str();
    s.Args = m_rows.Params();
    s.TimeoutSecs = m_timeoutSecs;
    s.BlockAfterFailure = m_blockAfterFailure;
    const auto defined = [this](const std::string& file, const std::string& function) {
        CParserVBScript parser;
        return !m_root.IsEmpty() && parser.Open(EngineRootPath(CQvcString(file), m_root)) == 0 &&
               parser.FindFunction(CQvcString(function)) == 0;
    };
    if (!PassesAt(CheckVbScriptFields(s, defined), {m_file, m_function, m_advanced}))
        return false;
    s.Write(out);
    return true;
}
