#pragma once
// CDialogTypeSensatronics: "Sensatronics Check" for every environmental type (41, 200-208,
// 210; the type it is made with): the sensor unit, the probe, the range its value must stay
// in, the temperature unit of that range (temperature checks only) and the log file.
// "Retrieve settings..." reads the unit over HTTP (CSnSensatrDeviceCfg), shows what it is
// and lists its probes of the dialog's type; choosing one sets the probe and its
// temperature unit.  Fields through EnvironmentalSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypeSensatronics final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSensatronics(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& ProbeField() { return *m_probe; }
    QComboBox& ProbeCombo() { return *m_probes; }
    QLineEdit& LowField() { return *m_low; }
    QLineEdit& HighField() { return *m_high; }
    QComboBox& UnitCombo() { return *m_unit; }
    QCheckBox& LogBox() { return *m_log; }
    QLineEdit& LogFileField() { return *m_logFile; }
    QPushButton& RetrieveButton() { return *m_retrieve; }
    QLabel& UnitDetails() { return *m_details; }
    // Reads the unit named by the host field; a failure is shown as a warning.
    void Retrieve();

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    void ChooseProbe(int index);

    QLineEdit* m_probe = nullptr;
    QComboBox* m_probes = nullptr;
    QLineEdit* m_low = nullptr;
    QLineEdit* m_high = nullptr;
    QComboBox* m_unit = nullptr;
    QCheckBox* m_log = nullptr;
    QLineEdit* m_logFile = nullptr;
    QPushButton* m_retrieve = nullptr;
    QLabel* m_details = nullptr;
};
