#pragma once
// CDialogAutoRefresh: "Auto Refresh Settings".  A box that enables auto refresh, the
// choice between the dynamic period and a custom one, and the custom period in seconds.
// The choice is usable only while auto refresh is enabled, the period field only while
// the custom period is chosen as well.  OK validates (CSnAutoRefreshSettings::Validate):
// a refused period shows its message with the warning icon and the dialog stays open.
#include "model/console/SnAutoRefreshSettings.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

class CUiSeam;

class CDialogAutoRefresh final : public QDialog {
    Q_OBJECT
public:
    CDialogAutoRefresh(CUiSeam& ui, const CSnAutoRefreshSettings& settings, QWidget* parent = nullptr);

    // OK: takes the fields, validates them, and closes only when they may be written.
    void accept() override;
    // The values as OK left them.
    const CSnAutoRefreshSettings& Settings() const { return m_settings; }

    QCheckBox& EnabledBox() { return m_enabled; }
    QRadioButton& DynamicButton() { return m_dynamic; }
    QRadioButton& CustomButton() { return m_custom; }
    QLineEdit& PeriodField() { return m_period; }

private:
    void UpdateEnabling();

    CUiSeam& m_ui;
    CSnAutoRefreshSettings m_settings;
    QGridLayout m_grid;
    QCheckBox m_enabled;
    QRadioButton m_dynamic;
    QRadioButton m_custom;
    QRegularExpressionValidator m_digits;
    QLineEdit m_period;
    QLabel m_seconds;
    QDialogButtonBox m_buttons;
};
