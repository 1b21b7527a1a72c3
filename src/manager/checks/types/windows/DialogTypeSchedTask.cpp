#include "manager/checks/types/windows/DialogTypeSchedTask.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

CDialogTypeSchedTask::CDialogTypeSchedTask(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeScheduledTask, ctx, "Scheduled Task Check") {
    setObjectName("schedTaskDialog");
    m_logFile = &AddTextRow("&Log file (\\\\server\\share\\...):");
    m_logFile->setToolTip("The task scheduler's log on another computer, or a local absolute path.");
    m_job = &AddTextRow("&Job Name:");
    m_keyword = &AddTextRow("&Completed Keyword:");
    m_dateFormat = &AddTextRow("&Today's date formatted as:");
    m_dateFormat->setToolTip("As strftime writes it, for instance %m/%d/%Y");
    m_pattern = &AddTextRow("&Match the following pattern:");
    m_pattern->setMinimumWidth(380);
    BeginGroup("When the pattern matches, the result is");
    m_result = &AddOptionChoice(0, {{"&Success", '0'}, {"&Error", '1'}});
    EndGroup();
    AddCredentialsRow();
    const ScheduledTaskSettings s = ScheduledTaskSettings::Read(Initial());
    m_logFile->setText(QString::fromStdString(s.LogFile));
    m_job->setText(QString::fromStdString(s.Job));
    m_keyword->setText(QString::fromStdString(s.Keyword));
    m_dateFormat->setText(QString::fromStdString(s.DateFormat));
    m_pattern->setText(QString::fromStdString(s.Pattern));
    ShowOptions(s);
    Finish();
}

bool CDialogTypeSchedTask::Collect(CSnNodeCfgFunction& out) {
    ScheduledTaskSettings s = ReadOptions<ScheduledTaskSettings>(out);
    s.LogFile = m_logFile->text().trimmed().toStdString();
    s.Job = m_job->text().trimmed().toStdString();
    s.Keyword = m_keyword->text().trimmed().toStdString();
    s.DateFormat = m_dateFormat->text().trimmed().toStdString();
    s.Pattern = m_pattern->text().toStdString();
    if (!PassesAt(CheckScheduledTaskFields(s), {m_logFile, m_job, m_keyword, m_dateFormat, m_pattern}))
        return false;
    s.Write(out);
    // The credentials are those of the computer that holds the log.
    WriteCredentials(out);
    out.CredentialsServer = PathServer(s.LogFile);
    return true;
}
