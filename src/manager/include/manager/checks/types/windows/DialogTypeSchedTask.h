#pragma once
// CDialogTypeSchedTask: "Scheduled Task Check" (220): the task log (a network path, or a
// local absolute path on this platform), the job, the completed keyword, how today's date
// is written, the pattern and whether a match is a success or an error; the credentials are
// those of the log's server.  Fields through ScheduledTaskSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypeSchedTask final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSchedTask(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& LogFileField() { return *m_logFile; }
    QLineEdit& JobField() { return *m_job; }
    QLineEdit& KeywordField() { return *m_keyword; }
    QLineEdit& DateFormatField() { return *m_dateFormat; }
    QLineEdit& PatternField() { return *m_pattern; }
    QButtonGroup& ResultChoice() { return *m_result; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLineEdit* m_logFile = nullptr;
    QLineEdit* m_job = nullptr;
    QLineEdit* m_keyword = nullptr;
    QLineEdit* m_dateFormat = nullptr;
    QLineEdit* m_pattern = nullptr;
    QButtonGroup* m_result = nullptr;
};
