#include "manager/checks/types/windows/DialogTypeServiceProcess.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QFormLayout>
#include <QStringList>

using namespace windowsrows;

namespace {

// The lists are typed as entries separated by ",".
std::vector<std::string> Entries(const QLineEdit& field) {
    std::vector<std::string> entries;
    for (const QString& entry : field.text().split(',', Qt::SkipEmptyParts))
        if (!entry.trimmed().isEmpty())
            entries.push_back(entry.trimmed().toStdString());
    return entries;
}

QString Typed(const std::vector<std::string>& entries) {
    QStringList list;
    for (const std::string& entry : entries)
        list << QString::fromStdString(entry);
    return list.join(", ");
}

} // namespace

CDialogTypeServiceProcess::CDialogTypeServiceProcess(QWidget* parent, CSnNode& w, std::int32_t type,
                                                     const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, type, ctx, "Service Process Check") {
    setObjectName("serviceProcessDialog");
    AddHostRow("&Computer:");
    m_role = new QComboBox(this);
    m_role->setObjectName("role");
    for (std::int32_t role = kTypeAntiVirus; role <= kTypeCitrixXenApp; ++role)
        m_role->addItem(CheckTypeName(role), role);
    m_role->setCurrentIndex(std::max(0, m_role->findData(type)));
    Form().addRow(BuddyLabel("Check &What:", m_role), m_role);
    BeginGroup("Watch (entries separated by \",\")");
    m_services = &AddTextRow("&Services:");
    m_services->setObjectName("services");
    m_processes = &AddTextRow("&Processes:");
    m_processes->setObjectName("processes");
    m_counters = &AddTextRow("Performance c&ounters:");
    m_counters->setObjectName("counters");
    EndGroup();
    AddCredentialsRow();
    Show(ServerRoleSettings::Read(Initial()));
    Finish();
}

void CDialogTypeServiceProcess::Show(const ServerRoleSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_services->setText(Typed(s.Services));
    m_processes->setText(Typed(s.Processes));
    m_counters->setText(Typed(s.Counters));
}

bool CDialogTypeServiceProcess::Collect(CSnNodeCfgFunction& out) {
    const std::int32_t type = m_role->currentData().toInt();
    ServerRoleSettings s = ServerRoleSettings::Read(out);
    s.Computer = Text(*HostField());
    s.Role = CheckTypeName(type);
    s.Services = Entries(*m_services);
    s.Processes = Entries(*m_processes);
    s.Counters = Entries(*m_counters);
    if (!PassesAt(CheckServerRoleFields(s, HostLimits()), {HostField(), m_services}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    SetType(type);
    return true;
}
