#include "manager/checks/types/scripts/ScriptFileDialogs.h"

#include "library/QvcPath.h"
#include "manager/app/UiSeam.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString Q(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

CQvcString C(const QString& text) {
    return CQvcString(text.toStdString());
}

// The form of a helper dialog: its rows, then OK and Cancel.
QFormLayout& Layout(QDialog& dialog, const QString& title) {
    dialog.setWindowTitle(title);
    auto* outer = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    outer->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    outer->addWidget(buttons);
    return *form;
}

QLineEdit* NameRow(QDialog& dialog, QFormLayout& form, const QString& label) {
    auto* field = new QLineEdit(&dialog);
    field->setObjectName("name");
    field->setMinimumWidth(280);
    auto* text = new QLabel(label, &dialog);
    text->setBuddy(field);
    form.addRow(text, field);
    return field;
}

// A shown file: its name, the whole path as tool tip.
void FileRow(QDialog& dialog, QFormLayout& form, const CQvcString& file) {
    auto* label = new QLabel(Q(ScriptFileName(file)), &dialog);
    label->setToolTip(Q(file));
    form.addRow("File:", label);
}

// A failed operation as an error box: its message, and the reason when one is known.
bool Shown(CUiSeam& seam, const ScriptFileResult& result) {
    if (result.Ok())
        return true;
    CQvcString text = result.message;
    if (!result.detail.IsEmpty())
        text += "\n\n" + result.detail;
    seam.Message(text, CUiSeam::Icon::Error);
    return false;
}

} // namespace

CDialogScriptNewFile::CDialogScriptNewFile(QWidget* parent, CUiSeam& seam, ScriptKind kind,
                                           const CQvcString& directory)
    : QDialog(parent), m_seam(seam), m_kind(kind), m_directory(directory) {
    QFormLayout& form =
        Layout(*this, kind == ScriptKind::VBScript ? "New VBScript File" : "New PowerShell File");
    m_name = NameRow(*this, form, "File &name:");
    auto* where = new QLabel(Q(directory), this);
    where->setObjectName("directory");
    form.addRow("Directory:", where);
}

void CDialogScriptNewFile::accept() {
    const ScriptFileResult result = NewScriptFile(m_kind, m_directory, C(m_name->text()));
    if (!Shown(m_seam, result)) {
        m_name->setFocus();
        return;
    }
    m_created = result.path;
    QDialog::accept();
}

CDialogScriptDeleteFile::CDialogScriptDeleteFile(QWidget* parent, CUiSeam& seam, ScriptKind kind,
                                                 const CQvcString& engineRoot, const CQvcString& current)
    : QDialog(parent), m_seam(seam), m_root(engineRoot) {
    QFormLayout& form =
        Layout(*this, kind == ScriptKind::VBScript ? "Delete VBScript File" : "Delete PowerShell File");
    m_files = new QComboBox(this);
    m_files->setObjectName("files");
    m_files->setMinimumWidth(320);
    for (const CQvcString& file : ScriptFilesOf(kind, engineRoot))
        m_files->addItem(Q(file));
    const int at = m_files->findText(Q(current), Qt::MatchFixedString);
    if (at >= 0)
        m_files->setCurrentIndex(at);
    form.addRow("&File:", m_files);
}

void CDialogScriptDeleteFile::accept() {
    const CQvcString stored = C(m_files->currentText());
    const CQvcString file = EngineRootPath(stored, m_root);
    const ScriptFileResult question = DeleteScriptFileQuestion(file);
    if (!Shown(m_seam, question))
        return;
    if (m_seam.Message(question.question, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
        return;
    if (!Shown(m_seam, DeleteScriptFile(file)))
        return;
    m_deleted = stored;
    QDialog::accept();
}

CDialogVbScriptNewFunction::CDialogVbScriptNewFunction(QWidget* parent, CUiSeam& seam, const CQvcString& file)
    : QDialog(parent), m_seam(seam), m_file(file) {
    QFormLayout& form = Layout(*this, "New VBScript Function");
    FileRow(*this, form, file);
    m_name = NameRow(*this, form, "Function &name:");
}

void CDialogVbScriptNewFunction::accept() {
    const ScriptFileResult result = NewVbScriptFunction(m_file, C(m_name->text()));
    if (!Shown(m_seam, result)) {
        m_name->setFocus();
        return;
    }
    m_created = result.name;
    QDialog::accept();
}

CDialogVbScriptDeleteFunction::CDialogVbScriptDeleteFunction(QWidget* parent, CUiSeam& seam,
                                                             const CQvcString& file,
                                                             const QStringList& functions,
                                                             const QString& current)
    : QDialog(parent), m_seam(seam), m_file(file) {
    QFormLayout& form = Layout(*this, "Delete VBScript Function");
    FileRow(*this, form, file);
    m_functions = new QComboBox(this);
    m_functions->setObjectName("functions");
    m_functions->addItems(functions);
    m_functions->setCurrentIndex(std::max(0, static_cast<int>(functions.indexOf(current))));
    form.addRow("F&unction:", m_functions);
}

void CDialogVbScriptDeleteFunction::accept() {
    if (!Shown(m_seam, DeleteVbScriptFunction(m_file, C(m_functions->currentText()))))
        return;
    QDialog::accept();
}
