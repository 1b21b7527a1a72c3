#include "manager/checks/types/windows/DialogTypeDirSize.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

using namespace windowsrows;

CDialogTypeDirSize::CDialogTypeDirSize(QWidget* parent, CSnNode& w, std::int32_t,
                                       const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeDirectory, ctx, "Directory Check") {
    setObjectName("directoryDialog");
    m_path = &AddTextRow("&Directory:");
    m_path->setObjectName("path");
    m_path->setPlaceholderText("\\\\server\\share\\... or /path/of/the/directory");
    BeginGroup("Condition");
    QButtonGroup& condition = AddOptionChoice(0, {{"Check directory &existence only", '0'},
                                                  {"Maximum directory si&ze:", '1'},
                                                  {"Maximum number of &files:", '2'}});
    condition.setObjectName("condition");
    QHBoxLayout* sizeRow = SizeRow(this, m_size, m_unit);
    Form().addRow(BuddyLabel("Size:", m_size), sizeRow);
    m_files = DecimalField(this);
    m_files->setObjectName("files");
    Form().addRow(BuddyLabel("Files:", m_files), m_files);
    AddOption("Also &count a directory as a file", 1).setObjectName("countDirectories");
    AddOption("Include &subdirectories", 2).setObjectName("recursive");
    AddOptionChoice(4,
                    {{"The above condition should true", '0'}, {"The above condition should be false", '1'}})
        .setObjectName("truth");
    EndGroup();
    // Only the limit of the chosen condition can be edited.
    connect(&condition, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on)
            return;
        m_size->setEnabled(id == '1');
        m_unit->setEnabled(id == '1');
        m_files->setEnabled(id == '2');
    });
    AddCredentialsRow();
    Show(DirectorySettings::Read(Initial()));
    Finish();
}

void CDialogTypeDirSize::Show(const DirectorySettings& s) {
    m_path->setText(QString::fromStdString(s.Path));
    m_size->setText(QString::fromStdString(DecimalText(s.SizeLimit)));
    ShowSizeUnit(*m_unit, s.SizeUnitBytes);
    m_files->setText(QString::number(s.MaxFiles));
    ShowOptions(s);
}

bool CDialogTypeDirSize::Collect(CSnNodeCfgFunction& out) {
    DirectorySettings s = ReadOptions<DirectorySettings>(out);
    s.Path = Text(*m_path);
    s.SizeUnitBytes = SizeUnitOf(*m_unit);
    QLineEdit* limit = s.Rule == DirectorySettings::Condition::MaxFiles ? m_files : m_size;
    const bool limitGiven = !Text(*limit).empty();
    s.SizeLimit = ParamDecimal(Text(*m_size), s.SizeLimit);
    s.MaxFiles = static_cast<long long>(ParamDecimal(Text(*m_files), static_cast<double>(s.MaxFiles)));
    if (!PassesAt(CheckDirectoryFields(s, limitGiven), {m_path, m_size, m_files}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}

QString CDialogTypeDirSize::CredentialsComputer() const {
    return QString::fromStdString(UncServer(Text(*m_path)));
}
