#include "manager/checks/types/internet/DialogTypeSnmpTrapRcv.h"

#include "manager/app/UiSeam.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/settings/SnAdvancedSettings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

CDialogTypeSnmpTrapRcv::CDialogTypeSnmpTrapRcv(QWidget* parent, CSnNode& w, std::int32_t,
                                               const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSnmpTrapReceive, ctx, "SNMP Trap Receive Check") {
    setObjectName("snmpTrapDialog");
    AddHostRow("Accept Trap(s) from &Host:");
    HostField()->setToolTip("\"*\" accepts traps from any host.");
    m_oid = &AddTextRow("Trap &OID:");
    m_oid->setObjectName("oid");
    m_oid->setToolTip("\"*\" accepts any trap.");
    AddOption("Also accept the OIDs &below it", 1).setObjectName("subtree");
    m_community = &AddTextRow("&Community:");
    m_community->setObjectName("community");
    m_version = new QComboBox(this);
    m_version->setObjectName("version");
    m_version->addItems({"Any", SnmpProtocolName(1), SnmpProtocolName(2)});
    Form().addRow(BuddyLabel("P&rotocol :", m_version), m_version);

    BeginGroup("Value");
    QCheckBox& match = AddOption("A &variable of the trap must match:", 2);
    match.setObjectName("matchValue");
    m_variable = &AddTextRow("Variable O&ID:");
    m_variable->setObjectName("variable");
    m_variable->setToolTip("Empty: any variable of the trap.");
    m_dataType = new QComboBox(this);
    m_dataType->setObjectName("dataType");
    m_dataType->addItem("Any Type", 0);
    FillCodeCombo(*m_dataType, SnmpDataTypes());
    Form().addRow(BuddyLabel("OID &Data Type:", m_dataType), m_dataType);
    m_operator = new QComboBox(this);
    m_operator->setObjectName("operator");
    FillCodeCombo(*m_operator, ComparisonOperators());
    Form().addRow(BuddyLabel("O&perator:", m_operator), m_operator);
    m_value = &AddTextRow("V&alue:");
    m_value->setObjectName("value");
    QCheckBox& ignoreCase = AddOption("Ignore &letter case", 3);
    ignoreCase.setObjectName("ignoreCase");
    for (QWidget* field :
         std::initializer_list<QWidget*>{m_variable, m_dataType, m_operator, m_value, &ignoreCase}) {
        field->setEnabled(false); // until the box is set
        connect(&match, &QAbstractButton::toggled, field, &QWidget::setEnabled);
    }
    EndGroup();

    BeginGroup("When a matching trap is received");
    QButtonGroup& result =
        AddOptionChoice(0, {{"Set the check to &Success", '0'}, {"Set the check to &Error", '1'}});
    result.button('0')->setObjectName("success");
    result.button('1')->setObjectName("error");
    EndGroup();
    AddSampleLink();
    Show(SnmpTrapSettings::Read(Initial()));
    Finish();

    // The check only sees traps that the Engine's receiver takes in.
    if (ctx.cfg != nullptr) {
        CSnAdvancedSettings advanced;
        if (advanced.Read(*ctx.cfg) == 0 && !advanced.SnmpTrapRcv.Enabled)
            ctx.seam.Message(SnmpTrapReceiverOff().Text, CUiSeam::Icon::Information);
    }
}

void CDialogTypeSnmpTrapRcv::FillSample() { Show(SnmpTrapSampleData()); }

void CDialogTypeSnmpTrapRcv::Show(const SnmpTrapSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    m_oid->setText(QString::fromStdString(s.Oid));
    m_community->setText(QString::fromStdString(s.Community));
    m_version->setCurrentIndex(s.Version);
    m_variable->setText(QString::fromStdString(s.VariableOid));
    m_dataType->setCurrentIndex(std::max(0, m_dataType->findData(s.DataType)));
    m_operator->setCurrentIndex(std::max(0, m_operator->findData(s.Operator)));
    m_value->setText(QString::fromStdString(s.Value));
    ShowOptions(s);
}

bool CDialogTypeSnmpTrapRcv::Collect(CSnNodeCfgFunction& out) {
    SnmpTrapSettings s = ReadOptions<SnmpTrapSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.Oid = m_oid->text().trimmed().toStdString();
    s.Community = m_community->text().trimmed().toStdString();
    s.Version = m_version->currentIndex();
    s.VariableOid = m_variable->text().trimmed().toStdString();
    s.DataType = m_dataType->currentData().toInt();
    s.Operator = m_operator->currentData().toInt();
    s.Value = m_value->text().toStdString();
    if (!PassesAt(CheckSnmpTrapFields(s), {m_oid, m_variable, m_operator, m_dataType, m_value}))
        return false;
    s.Write(out);
    return true;
}
