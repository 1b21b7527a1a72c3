#include "manager/checks/types/windows/DialogTypeRegistry.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

using namespace windowsrows;

CDialogTypeRegistry::CDialogTypeRegistry(QWidget* parent, CSnNode& w, std::int32_t,
                                         const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeRegistry, ctx, "Registry Check") {
    setObjectName("registryDialog");
    AddHostRow("&Computer:");
    m_root = new QComboBox(this);
    m_root->setObjectName("rootKey");
    m_root->setEditable(true);
    for (const char* key : RegistryRootKeys())
        m_root->addItem(key);
    Form().addRow(BuddyLabel("&Root Key:", m_root), m_root);
    m_subKey = &AddTextRow("Sub &Key (Path):");
    m_subKey->setObjectName("subKey");
    m_value = &AddTextRow("&Value:");
    m_value->setObjectName("value");
    BeginGroup("Data");
    AddOptionChoice(0, {{"The value's data must meet the &conditions:", '0'},
                        {"Report any c&hange of the value's data", '1'}})
        .setObjectName("mode");
    auto conditionRow = [this](const QString& label, QComboBox*& op, QLineEdit*& data, const char* name) {
        op = new QComboBox(this);
        op->setObjectName(QString(name) + "Operator");
        FillCodeCombo(*op, ComparisonOperators());
        data = new QLineEdit(this);
        data->setObjectName(QString(name) + "Data");
        auto* row = new QHBoxLayout;
        row->addWidget(op);
        row->addWidget(data, 1);
        Form().addRow(BuddyLabel(label, op), row);
    };
    conditionRow("Data:", m_operator1, m_data1, "first");
    AddOption("Use a &second condition:", 1).setObjectName("useSecond");
    AddOptionChoice(2, {{"&AND", '0'}, {"&OR", '1'}}).setObjectName("join");
    conditionRow("Data:", m_operator2, m_data2, "second");
    EndGroup();
    AddCredentialsRow();
    Show(RegistrySettings::Read(Initial()));
    Finish();
}

void CDialogTypeRegistry::Show(const RegistrySettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_root->setCurrentText(QString::fromStdString(s.RootKey));
    m_subKey->setText(QString::fromStdString(s.SubKey));
    m_value->setText(QString::fromStdString(s.Value));
    m_operator1->setCurrentIndex(std::max(0, m_operator1->findData(s.Operator1)));
    m_operator2->setCurrentIndex(std::max(0, m_operator2->findData(s.Operator2)));
    m_data1->setText(QString::fromStdString(s.Data1));
    m_data2->setText(QString::fromStdString(s.Data2));
    ShowOptions(s);
}

bool CDialogTypeRegistry::Collect(CSnNodeCfgFunction& out) {
    RegistrySettings s = ReadOptions<RegistrySettings>(out);
    s.Computer = Text(*HostField());
    s.RootKey = m_root->currentText().trimmed().toStdString();
    s.SubKey = Text(*m_subKey);
    s.Value = Text(*m_value);
    s.Operator1 = m_operator1->currentData().toInt();
    s.Operator2 = m_operator2->currentData().toInt();
    s.Data1 = m_data1->text().toStdString();
    s.Data2 = m_data2->text().toStdString();
    if (!PassesAt(CheckRegistryFields(s, HostLimits()), {HostField(), m_root, m_subKey, m_data1, m_data2}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
