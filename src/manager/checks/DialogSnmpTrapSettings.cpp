#include "manager/checks/DialogSnmpTrapSettings.h"

#include "manager/checks/SheetText.h"
#include "model/notify/SnSnmpTrapsSettings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>

using sheettext::Q;

namespace {

CQvcString C(const QLineEdit& edit) { return CQvcString(edit.text().trimmed().toStdString()); }

} // namespace

CDialogSnmpTrapSettings::CDialogSnmpTrapSettings(const CQvcString& text, const CSnSnmpTrapsSettings& global,
                                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName("snmpTrapSettingsDialog");
    setWindowTitle("SNMP Trap Settings");
    auto* form = new QFormLayout(this);
    auto* note = new QLabel("Where this check's SNMP trap is sent. An empty field takes the global SNMP trap "
                            "notification settings.");
    note->setWordWrap(true);
    form->addRow(note);
    form->addRow("&Agent (trap receiver):", &m_agent);
    form->addRow("&Port:", &m_port);
    form->addRow("&Community:", &m_community);
    form->addRow("&OID:", &m_oid);
    m_port.setValidator(new QIntValidator(0, 65535, &m_port));
    m_agent.setText(Q(CQvcString::Setting(text, "Agent")));
    m_port.setText(Q(CQvcString::Setting(text, "Port")));
    m_community.setText(Q(CQvcString::Setting(text, "Community")));
    m_oid.setText(Q(CQvcString::Setting(text, "OID")));
    m_agent.setPlaceholderText(Q(global.Agent));
    m_port.setPlaceholderText(QString::number(global.Port));
    m_community.setPlaceholderText(Q(global.Community));
    m_oid.setPlaceholderText(Q(global.Oid));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CQvcString CDialogSnmpTrapSettings::Text() const {
    const CQvcString values[] = {C(m_agent), C(m_port), C(m_community), C(m_oid)};
    if (values[0].IsEmpty() && values[1].IsEmpty() && values[2].IsEmpty() && values[3].IsEmpty())
        return CQvcString();
    return "Agent:=" + values[0] + ";;Port:=" + values[1] + ";;Community:=" + values[2] + ";;OID:=" + values[3];
}
