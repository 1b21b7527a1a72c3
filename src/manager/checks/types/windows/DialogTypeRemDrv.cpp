#include "manager/checks/types/windows/DialogTypeRemDrv.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>

CDialogTypeRemDrv::CDialogTypeRemDrv(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeRemovableDrives, ctx, "Removable Drive Check") {
    setObjectName("remDrvDialog");
    BeginGroup("Computers");
    m_target = &AddOptionChoice(0, {{"&All computers of the domain:", '1'}, {"The &following computers:", '0'}});
    m_domain = &AddTextRow("&Domain:");
    m_computers = &AddTextRow("&Computers:");
    m_computers->setToolTip("Computer names separated by commas");
    EndGroup();
    m_exclude = &AddOption("&Exclude the following drives:", 1);
    m_drives = &AddTextRow("D&rives:");
    m_drives->setToolTip("Drive letters separated by commas, for instance A:,D:");
    m_optical = &AddOption("C&ount CD and DVD drives as removable drives", 2);
    connect(m_target, &QButtonGroup::idToggled, this, [this] { UpdateEnabled(); });
    connect(m_exclude, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });

    const RemovableDrivesSettings s = RemovableDrivesSettings::Read(Initial());
    m_domain->setText(QString::fromStdString(s.Domain));
    m_computers->setText(QString::fromStdString(s.Computers));
    m_drives->setText(QString::fromStdString(s.Drives));
    ShowOptions(s);
    UpdateEnabled();
    Finish();
}

void CDialogTypeRemDrv::UpdateEnabled() {
    const bool domain = m_target->checkedId() == '1';
    m_domain->setEnabled(domain);
    m_computers->setEnabled(!domain);
    m_drives->setEnabled(m_exclude->isChecked());
}

bool CDialogTypeRemDrv::Collect(CSnNodeCfgFunction& out) {
    RemovableDrivesSettings s = ReadOptions<RemovableDrivesSettings>(out);
    s.Domain = m_domain->text().trimmed().toStdString();
    s.Computers = m_computers->text().trimmed().toStdString();
    s.Drives = m_drives->text().trimmed().toStdString();
    if (!PassesAt(CheckRemovableDrivesFields(s), {m_computers, m_domain, m_drives}))
        return false;
    s.Write(out);
    return true;
}
