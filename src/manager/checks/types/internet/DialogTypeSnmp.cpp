#include "manager/checks/types/internet/DialogTypeSnmp.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

// A code combo whose first entry, empty, stands for "none chosen" (code 0).
QComboBox* CodeCombo(QWidget* parent, const std::vector<CodeTableEntry>& table, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItem(QString(), 0);
    for (const CodeTableEntry& entry : table)
        combo->addItem(QString::fromUtf8(entry.Text), entry.Code);
    return combo;
}

void SetCode(QComboBox& combo, int code) {
    combo.setCurrentIndex(std::max(0, combo.findData(code)));
}

int Code(const QComboBox& combo) {
    return combo.currentData().toInt();
}

} // namespace

CDialogTypeSnmp::CDialogTypeSnmp(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSnmpGet, ctx, "SNMP GET Check") {
    setObjectName("snmpDialog");
    AddHostRow("Host (&Name/IP address):");
    m_port = &AddNumberRow("&Port:");
    m_port->setObjectName("port");
    m_community = &AddTextRow("&Community:");
    m_community->setObjectName("community");
    m_protocol = new QComboBox(this);
    m_protocol->setObjectName("protocol");
    m_protocol->addItems({SnmpProtocolName(1), SnmpProtocolName(2)});
    Form().addRow(BuddyLabel("P&rotocol :", m_protocol), m_protocol);
    m_oid = &AddTextRow("&OID:");
    m_oid->setObjectName("oid");
    m_note = &AddTextRow("Descr&iption:");
    m_note->setObjectName("note");
    m_dataType = CodeCombo(this, SnmpDataTypes(), "dataType");
    Form().addRow(BuddyLabel("OID &Data Type:", m_dataType), m_dataType);
    const auto condition = [this](const QString& label, QComboBox*& op, QLineEdit*& value, const char* name) {
        op = CodeCombo(this, ComparisonOperators(), name);
        value = new QLineEdit(this);
        value->setObjectName(QString(name) + "Value");
        auto* row = new QHBoxLayout;
        row->addWidget(op);
        row->addWidget(value, 1);
        Form().addRow(BuddyLabel(label, op), row);
    };
    BeginGroup("Value");
    condition("&Value is:", m_operator1, m_value1, "operator1");
    QCheckBox& second = AddOption("Compare with a &second condition:", 2);
    second.setObjectName("useSecond");
    QButtonGroup& join = AddOptionChoice(1, {{"AND", '0'}, {"OR", '1'}});
    join.button('0')->setObjectName("and");
    join.button('1')->setObjectName("or");
    condition("and &the value is:", m_operator2, m_value2, "operator2");
    for (QWidget* field :
         std::initializer_list<QWidget*>{join.button('0'), join.button('1'), m_operator2, m_value2}) {
        field->setEnabled(false); // until the box is set
        connect(&second, &QAbstractButton::toggled, field, &QWidget::setEnabled);
    }
    EndGroup();
    AddSampleLink();
    Show(SnmpGetSettings::Read(Initial()));
    Finish();
}

void CDialogTypeSnmp::Show(const SnmpGetSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_port, s.Port);
    m_community->setText(QString::fromStdString(s.Community));
    m_protocol->setCurrentIndex(s.Version1 ? 0 : 1);
    m_oid->setText(QString::fromStdString(s.OidAsEntered.empty() ? s.Oid : s.OidAsEntered));
    m_note->setText(QString::fromStdString(s.Note));
    SetCode(*m_dataType, s.DataType);
    SetCode(*m_operator1, s.Operator1);
    m_value1->setText(QString::fromStdString(s.Value1));
    SetCode(*m_operator2, s.Operator2);
    m_value2->setText(QString::fromStdString(s.Value2));
    ShowOptions(s);
}

bool CDialogTypeSnmp::Collect(CSnNodeCfgFunction& out) {
    SnmpGetSettings s = ReadOptions<SnmpGetSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.Port = static_cast<int>(Number(*m_port));
    s.Community = m_community->text().toStdString();
    s.Version1 = m_protocol->currentIndex() == 0;
    s.OidAsEntered = m_oid->text().trimmed().toStdString();
    // The OID asked for goes without the leading "." that some tools print.
    s.Oid = s.OidAsEntered.rfind('.', 0) == 0 ? s.OidAsEntered.substr(1) : s.OidAsEntered;
    s.Note = m_note->text().toStdString();
    s.DataType = Code(*m_dataType);
    s.Operator1 = Code(*m_operator1);
    s.Value1 = m_value1->text().toStdString();
    s.Operator2 = Code(*m_operator2);
    s.Value2 = m_value2->text().toStdString();
    if (!PassesAt(CheckSnmpGetFields(s, HostLimits()),
                  {HostField(), m_community, m_oid, m_dataType, m_operator1, m_operator2, m_value1, m_value2,
                   m_port}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeSnmp::FillSample() {
    Show(SnmpGetSampleData());
}
