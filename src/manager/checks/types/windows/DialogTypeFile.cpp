#include "manager/checks/types/windows/DialogTypeFile.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

using namespace windowsrows;

CDialogTypeFile::CDialogTypeFile(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeFile, ctx, "File Check") {
    setObjectName("fileDialog");
    m_path = &AddTextRow("&File:");
    m_path->setObjectName("path");
    m_path->setPlaceholderText("\\\\server\\share\\... or /path/of/the/file");
    BeginGroup("Condition");
    QButtonGroup& condition = AddOptionChoice(0, {{"Check file &existence only", '1'},
                                                  {"Maximum file si&ze:", '0'},
                                                  {"File contains the &text:", '2'},
                                                  {"File was changed within the &last:", '3'}});
    condition.setObjectName("condition");
    QHBoxLayout* sizeRow = SizeRow(this, m_size, m_unit);
    Form().addRow(BuddyLabel("Size:", m_size), sizeRow);
    m_text = &AddTextRow("Text:");
    m_text->setObjectName("text");
    m_age = &AddNumberRow("Changed within:", "minutes");
    m_age->setObjectName("age");
    AddOptionChoice(1,
                    {{"The above condition should true", '0'}, {"The above condition should be false", '1'}})
        .setObjectName("truth");
    EndGroup();
    // Only the field of the chosen condition can be edited.
    connect(&condition, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on)
            return;
        m_size->setEnabled(id == '0');
        m_unit->setEnabled(id == '0');
        m_text->setEnabled(id == '2');
        m_age->setEnabled(id == '3');
    });
    AddCredentialsRow();
    Show(FileSettings::Read(Initial()));
    Finish();
}

void CDialogTypeFile::Show(const FileSettings& s) {
    m_path->setText(QString::fromStdString(s.Path));
    m_size->setText(QString::fromStdString(DecimalText(s.SizeLimit)));
    ShowSizeUnit(*m_unit, s.SizeUnitBytes);
    m_text->setText(QString::fromStdString(s.Text));
    SetNumber(*m_age, s.AgeMinutes);
    ShowOptions(s);
}

bool CDialogTypeFile::Collect(CSnNodeCfgFunction& out) {
    FileSettings s = ReadOptions<FileSettings>(out);
    s.Path = Text(*m_path);
    s.Text = m_text->text().toStdString();
    s.SizeUnitBytes = SizeUnitOf(*m_unit);
    QLineEdit* limit = s.Rule == FileSettings::Condition::ChangedWithin ? m_age : m_size;
    const bool limitGiven = !Text(*limit).empty();
    if (!PassesAt(CheckFileFields(s, limitGiven), {m_path, m_text, limit}))
        return false;
    s.SizeLimit = ParamDecimal(Text(*m_size), s.SizeLimit);
    s.AgeMinutes = static_cast<int>(FieldNumber(Text(*m_age), s.AgeMinutes));
    s.Write(out);
    WriteCredentials(out);
    return true;
}

QString CDialogTypeFile::CredentialsComputer() const {
    return QString::fromStdString(UncServer(Text(*m_path)));
}
