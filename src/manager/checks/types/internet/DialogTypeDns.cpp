#include "manager/checks/types/internet/DialogTypeDns.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>

CDialogTypeDns::CDialogTypeDns(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeDns, ctx, "DNS Server Check") {
    setObjectName("dnsDialog");
    AddHostRow("&Host/IP:");
    m_name = &AddTextRow("&Name:");
    m_name->setObjectName("name");
    m_expected = &AddTextRow("&Expected addresses:");
    m_expected->setObjectName("expected");
    m_expected->setToolTip(
        "Addresses (or host names for MX and CNAME records) separated by commas; empty: any "
        "answer is a success.");
    BeginGroup("Record type");
    QButtonGroup& records =
        AddOptionChoice(0, {{"A-RECORD", 'A'}, {"MX-RECORD", 'M'}, {"CNAME-RECORD", 'C'}});
    for (QAbstractButton* button : records.buttons())
        button->setObjectName(button->text());
    EndGroup();
    AddOption("All expected addresses must be in the answer", 1).setObjectName("requireAll");
    AddOption("Ask the server to resolve the name recursively", 2).setObjectName("recursion");
    AddSampleLink();
    Show(DnsSettings::Read(Initial()));
    Finish();
}

void CDialogTypeDns::Show(const DnsSettings& s) {
    HostField()->setText(QString::fromStdString(s.Server));
    m_name->setText(QString::fromStdString(s.Name));
    m_expected->setText(QString::fromStdString(s.ExpectedText));
    ShowOptions(s);
}

bool CDialogTypeDns::Collect(CSnNodeCfgFunction& out) {
    DnsSettings s = ReadOptions<DnsSettings>(out);
    s.Server = HostField()->text().trimmed().toStdString();
    s.Name = m_name->text().trimmed().toStdString();
    s.ExpectedText = m_expected->text().trimmed().toStdString();
    if (!PassesAt(CheckDnsFields(s, HostLimits()), {HostField(), m_name}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeDns::FillSample() {
    Show(DnsSampleData());
}
