#pragma once
// CDialogUncertain: how a check reports a result that cannot be determined: as the global
// setting says, or as Uncertain, Error or Success.
#include "model/tree/SnNodeCfg.h"

#include <QDialog>
#include <QRadioButton>

class CDialogUncertain final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogUncertain(const CSnNodeCfgUncertain& value, QWidget* parent = nullptr);
    // The choice as the node keeps it (at most one of error and success set).
    CSnNodeCfgUncertain Value() const;

    QRadioButton& UseGlobal() { return m_global; }
    QRadioButton& OwnSettings() { return m_own; }
    QRadioButton& AsUncertain() { return m_uncertain; }
    QRadioButton& AsError() { return m_error; }
    QRadioButton& AsSuccess() { return m_success; }

private:
    void UpdateEnabling();

    QRadioButton m_global{"Use the &Global Uncertain settings"};
    QRadioButton m_own{"Uncertain settings for this check are &different from the Global Uncertain Settings:"};
    QRadioButton m_uncertain{"If result cannot be determined, report it as '&Uncertain' (default)"};
    QRadioButton m_error{"If result cannot be determined, report it as '&Error'"};
    QRadioButton m_success{"If result cannot be determined, report it as '&Success'"};
};
