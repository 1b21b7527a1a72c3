#pragma once
// CDialogTypeEventLog: "Event Log Check" (type 90): the computer, the log, the event types and criteria, the
// time window, whether a match fails or its absence does, and the credentials, through
// EventLogSettings.  The notice about the check's interval is shown by the General page
// before this dialog opens.
#include "manager/checks/types/DialogCheck.h"

class QComboBox;
class QLineEdit;
struct EventLogSettings;

class CDialogTypeEventLog final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeEventLog(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void Show(const EventLogSettings& settings);

    QComboBox* m_log = nullptr;
    QLineEdit* m_source = nullptr;
    QLineEdit* m_category = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_minutes = nullptr;
};
