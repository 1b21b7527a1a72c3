#include "manager/checks/types/windows/DialogTypeMemory.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QLabel>

using namespace windowsrows;

namespace {

QString LimitLabel(bool pagesPerSecond) {
    return pagesPerSecond ? "Maximum allowed Pages/Second:" : "Maximum allowed Committed Memory:";
}

} // namespace

CDialogTypeMemory::CDialogTypeMemory(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeMemoryUsage, ctx, "Memory Usage Check") {
    setObjectName("memoryDialog");
    AddHostRow("&Computer:");
    m_measure =
        &AddOptionChoice(0, {{"Check the c&ommitted memory", '0'}, {"Check the &pages per second", '1'}});
    m_measure->setObjectName("measure");
    m_limit = DecimalField(this);
    m_limit->setObjectName("limit");
    m_limitLabel = BuddyLabel(LimitLabel(false), m_limit);
    Form().addRow(m_limitLabel, m_limit);
    connect(m_measure, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_limitLabel->setText(LimitLabel(id == '1'));
    });
    AddCredentialsRow();
    Show(MemorySettings::Read(Initial()));
    Finish();
}

void CDialogTypeMemory::Show(const MemorySettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_limit->setText(QString::fromStdString(DecimalText(s.Limit)));
    ShowOptions(s);
}

bool CDialogTypeMemory::Collect(CSnNodeCfgFunction& out) {
    MemorySettings s = ReadOptions<MemorySettings>(out);
    s.Computer = Text(*HostField());
    s.Limit = ParamDecimal(Text(*m_limit), -1);
    if (!PassesAt(CheckMemoryFields(s, HostLimits()), {HostField(), m_limit}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
