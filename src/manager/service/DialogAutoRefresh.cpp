#include "manager/service/DialogAutoRefresh.h"

#include "manager/app/UiSeam.h"

#include <QPushButton>

CDialogAutoRefresh::CDialogAutoRefresh(CUiSeam& ui, const CSnAutoRefreshSettings& settings, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_enabled("&Enable Auto Refresh"),
      m_dynamic("&Let Quorvane choose what's best for this computer"), m_custom("&Custom Refresh Frequency:"),
      m_seconds("seconds"), m_buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel) {
    setObjectName("autoRefreshDialog");
    setWindowTitle("Auto Refresh Settings");
    m_enabled.setObjectName("autoRefreshEnabled");
    m_dynamic.setObjectName("autoRefreshDynamic");
    m_custom.setObjectName("autoRefreshCustom");
    m_period.setObjectName("autoRefreshPeriod");
    // Digits only; the range is OK's to judge, so that a wrong value gets its message.
    m_digits.setRegularExpression(QRegularExpression("[0-9]{0,9}"));
    m_period.setValidator(&m_digits);

    m_grid.addWidget(&m_enabled, 0, 0, 1, 3);
    m_grid.addWidget(&m_dynamic, 1, 0, 1, 3);
    m_grid.addWidget(&m_custom, 2, 0);
    m_grid.addWidget(&m_period, 2, 1);
    m_grid.addWidget(&m_seconds, 2, 2);
    m_grid.addWidget(&m_buttons, 3, 0, 1, 3);
    setLayout(&m_grid);

    m_enabled.setChecked(settings.Enabled);
    (settings.Dynamic ? m_dynamic : m_custom).setChecked(true);
    m_period.setText(QString::number(settings.PeriodSecs));
    UpdateEnabling();

    connect(&m_enabled, &QCheckBox::toggled, this, &CDialogAutoRefresh::UpdateEnabling);
    connect(&m_dynamic, &QRadioButton::toggled, this, &CDialogAutoRefresh::UpdateEnabling);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &CDialogAutoRefresh::accept);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDialogAutoRefresh::UpdateEnabling() {
    const bool enabled = m_enabled.isChecked();
    m_dynamic.setEnabled(CSnAutoRefreshSettings::ChoiceEnabled(enabled));
    m_custom.setEnabled(CSnAutoRefreshSettings::ChoiceEnabled(enabled));
    m_period.setEnabled(CSnAutoRefreshSettings::PeriodFieldEnabled(enabled, m_dynamic.isChecked()));
}

void CDialogAutoRefresh::accept() {
    CSnAutoRefreshSettings settings;
    settings.Enabled = m_enabled.isChecked();
    settings.Dynamic = m_dynamic.isChecked();
    bool ok = false;
    const long period = m_period.text().toLong(&ok);
    // An empty or unreadable field counts as 0, which is out of range.
    settings.PeriodSecs = ok ? period : 0;
    const CQvcString refusal = settings.Validate();
    if (!refusal.IsEmpty()) {
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        m_period.setFocus();
        return;
    }
    m_settings = settings;
    QDialog::accept();
}
