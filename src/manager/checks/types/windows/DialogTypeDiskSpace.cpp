#include "manager/checks/types/windows/DialogTypeDiskSpace.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QFormLayout>
#include <QHBoxLayout>

using namespace windowsrows;

CDialogTypeDiskSpace::CDialogTypeDiskSpace(QWidget* parent, CSnNode& w, std::int32_t,
                                           const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeDiskSpace, ctx, "Disk Space Check") {
    setObjectName("diskSpaceDialog");
    AddHostRow("&Name/IP:");
    m_drive = &AddTextRow("&Drive:");
    m_drive->setObjectName("drive");
    m_drive->setToolTip("A drive (\"C:\" is the root file system here) or any path on the file system.");
    m_limit = DecimalField(this);
    m_limit->setObjectName("limit");
    m_unit = new QComboBox(this);
    m_unit->setObjectName("unit");
    for (const char* unit : DiskSpaceUnits())
        m_unit->addItem(unit);
    auto* row = new QHBoxLayout;
    row->addWidget(m_limit);
    row->addWidget(m_unit);
    row->addStretch(1);
    Form().addRow(BuddyLabel("Disk &Space:", m_limit), row);
    AddOptionChoice(1, {{"Measure the &used space", 'U'}, {"Measure the &free space", 'F'}})
        .setObjectName("measure");
    AddOptionChoice(0, {{"Error when the space is &above the limit", '0'},
                        {"Error when the space is &below the limit", '1'}})
        .setObjectName("comparison");
    AddCredentialsRow();
    Show(DiskSpaceSettings::Read(Initial()));
    Finish();
}

void CDialogTypeDiskSpace::Show(const DiskSpaceSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_drive->setText(QString::fromStdString(s.Drive));
    m_limit->setText(QString::fromStdString(DecimalText(s.Limit)));
    m_unit->setCurrentIndex(static_cast<int>(s.LimitUnit));
    ShowOptions(s);
}

bool CDialogTypeDiskSpace::Collect(CSnNodeCfgFunction& out) {
    DiskSpaceSettings s = ReadOptions<DiskSpaceSettings>(out);
    s.Computer = Text(*HostField());
    s.Drive = Text(*m_drive);
    s.Limit = ParamDecimal(Text(*m_limit), -1);
    if (!PassesAt(CheckDiskSpaceFields(s, m_unit->currentText().toStdString(), HostLimits()),
                  {HostField(), m_limit, m_unit}))
        return false;
    s.LimitUnit = static_cast<DiskSpaceSettings::Unit>(m_unit->currentIndex());
    s.Write(out);
    WriteCredentials(out);
    return true;
}
