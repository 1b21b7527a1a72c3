#include "manager/checks/types/windows/DialogTypeEventLog.h"

#include "WindowsRows.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

using namespace windowsrows;

CDialogTypeEventLog::CDialogTypeEventLog(QWidget* parent, CSnNode& w, std::int32_t,
                                         const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeEventLog, ctx, "Event Log Check") {
    setObjectName("eventLogDialog");
    AddHostRow("&Computer:");
    m_log = new QComboBox(this);
    m_log->setObjectName("log");
    m_log->setEditable(true);
    m_log->addItems({"Application", "System", "Security"});
    Form().addRow(BuddyLabel("&Log File:", m_log), m_log);
    BeginGroup("Event types");
    const char* types[] = {"&Information", "&Warning", "&Error", "Success &Audit", "&Failure Audit"};
    for (std::size_t i = 0; i < std::size(types); ++i)
        AddOption(types[i], 2 + i, '1').setObjectName(QString("eventType%1").arg(i));
    EndGroup();
    BeginGroup("Event criteria (use \"*\" to match any)");
    m_source = &AddTextRow("&Source:");
    m_source->setObjectName("source");
    m_category = &AddTextRow("Ca&tegory:");
    m_category->setObjectName("category");
    m_id = &AddTextRow("I&D:");
    m_id->setObjectName("id");
    m_user = &AddTextRow("&User:");
    m_user->setObjectName("user");
    m_description = &AddTextRow("Descri&ption matches string:");
    m_description->setObjectName("description");
    AddOption("Match the description's letter case", 1).setObjectName("caseSensitive");
    EndGroup();
    m_minutes = &AddNumberRow("Only Events from the &last", "minutes");
    m_minutes->setObjectName("minutes");
    AddOptionChoice(0, {{"Fail if such event is p&resent", '0'}, {"Fail if such event is &not present", '1'}})
        .setObjectName("presence");
    AddCredentialsRow();
    Show(EventLogSettings::Read(Initial()));
    Finish();
}

void CDialogTypeEventLog::Show(const EventLogSettings& s) {
    HostField()->setText(QString::fromStdString(s.Computer));
    m_log->setCurrentText(QString::fromStdString(s.Log));
    m_source->setText(QString::fromStdString(s.Source));
    m_category->setText(QString::fromStdString(s.Category));
    m_id->setText(QString::fromStdString(s.Id));
    m_user->setText(QString::fromStdString(s.User));
    m_description->setText(QString::fromStdString(s.Description));
    SetNumber(*m_minutes, s.LastMinutes);
    ShowOptions(s);
}

bool CDialogTypeEventLog::Collect(CSnNodeCfgFunction& out) {
    EventLogSettings s = ReadOptions<EventLogSettings>(out);
    s.Computer = Text(*HostField());
    s.Log = m_log->currentText().trimmed().toStdString();
    s.Source = Text(*m_source);
    s.Category = Text(*m_category);
    s.Id = Text(*m_id);
    s.User = Text(*m_user);
    s.Description = m_description->text().toStdString();
    s.LastMinutes = static_cast<int>(Number(*m_minutes));
    QWidget* criteria = s.Source.empty()     ? m_source
                        : s.Category.empty() ? m_category
                        : s.Id.empty()       ? m_id
                                             : m_user;
    if (!PassesAt(CheckEventLogFields(s, HostLimits()), {HostField(), m_log, criteria, m_id, m_minutes}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}
